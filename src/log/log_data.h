#pragma once
// The stored lines of the log view: one line of traffic cells and a
// fixed-capacity ring of such lines.
//
// A cell is 16 bits: the low byte is the character, the high byte the mark
// (0 received, 1 sent, 2 typed in the terminal's input line).
#include <cstdint>
#include <vector>

// One stored line. It keeps its CR and LF cells.
class CLogData {
 public:
  // Room reserved for the cells of a typical line.
  static constexpr int kReservedCells = 255;

  CLogData();
  virtual ~CLogData() = default;
  CLogData(const CLogData&) = default;
  CLogData& operator=(const CLogData&) = default;

  std::vector<uint16_t> cells;
};

// A ring of lines: once full, every new line replaces the oldest one.
class CRingLogBuffer {
 public:
  CRingLogBuffer() = default;
  virtual ~CRingLogBuffer() = default;

  // Makes exactly `capacity` empty entries and forgets every line. Returns
  // false when memory runs out (the ring is then empty with capacity 0).
  bool Resize(int capacity);
  // The i-th line in use, 0 being the oldest; i must be below Count().
  const CLogData& GetAt(int i) const;
  // Copies the cells into the next slot, replacing the oldest line when full.
  void Push(const std::vector<uint16_t>& line);

  int Count() const { return count_; }
  int Capacity() const { return static_cast<int>(entries_.size()); }

 private:
  int start_ = 0;
  int count_ = 0;
  std::vector<CLogData> entries_;
};
