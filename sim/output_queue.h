#pragma once
// What the logger has still to send, and how the line lets it out.
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>

namespace vlogger {

using Clock = std::chrono::steady_clock;

struct OutputItem {
  std::string bytes;
  size_t offset = 0;      // bytes already written
  Clock::time_point due;  // not sent before this time
  bool records = false;   // part of a record readout (cut by ESC)
  size_t Remaining() const { return bytes.size() - offset; }
};

// First in, first out: an item waits for the ones before it even when its
// own due time has come.
class OutputQueue {
 public:
  void Push(std::string bytes, Clock::time_point due, bool records = false);
  bool Empty() const { return items_.empty(); }
  OutputItem& Front() { return items_.front(); }
  void PopFront() { items_.pop_front(); }
  bool HasRecords() const;
  // Ends a record readout early: the record line being sent is finished,
  // record lines not yet started are dropped.
  void CutRecords();
  void Clear() { items_.clear(); }

 private:
  std::deque<OutputItem> items_;
};

// The line's shaping: chunks of at most `chunk_bytes` with a gap between
// them, the pace of 9600 baud, and a byte budget after which the link drops.
struct LineShaping {
  size_t chunk_bytes = 0;  // 0: no limit
  std::chrono::microseconds chunk_gap{0};
  bool paced = false;
  int64_t drop_after_bytes = -1;  // -1: never
};

class LinePacer {
 public:
  // 10 bits per byte at 9600 baud.
  static constexpr std::chrono::nanoseconds kByteTime{1041667};

  LineShaping& Shaping() { return shaping_; }

  // How many of `available` bytes may be written now. 0 means wait until
  // *retry_at (or, with the budget used up, drop the link: BudgetSpent()).
  size_t Allowance(Clock::time_point now, size_t available, Clock::time_point* retry_at);
  // Accounts `count` bytes written at `now`.
  void Sent(Clock::time_point now, size_t count);
  bool BudgetSpent() const { return shaping_.drop_after_bytes == 0; }
  void Reset();

 private:
  static constexpr size_t kPacedChunk = 16;
  static constexpr std::chrono::milliseconds kIdleAfter{50};

  LineShaping shaping_;
  Clock::time_point next_chunk_at_{};  // end of the gap after the last chunk
  Clock::time_point pace_clock_{};     // when the line is free at 9600 baud
};

}  // namespace vlogger
