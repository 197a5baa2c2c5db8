#pragma once
// Receive line buffer: turns the raw byte stream of the serial reader thread
// into text lines that the command layer takes one at a time with a time-out.
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>

class CReadData {
 public:
  static constexpr int32_t kCapacity = 100000000;

  CReadData();
  ~CReadData();
  CReadData(const CReadData&) = delete;
  CReadData& operator=(const CReadData&) = delete;

  // Allocates the ring (address space only: pages become resident as they are
  // used) and empties it. Returns 1 when the storage exists, 0 otherwise.
  int Init();

  // Stores a chunk from the reader thread. Drops CR and NUL bytes and, while
  // the filter is on, whole lines that begin with '#'. Waiters are woken only
  // when the chunk completed at least one line.
  void Append(const uint8_t* bytes, size_t length);

  // Takes one line (without its line feed) into destination, NUL-terminated.
  // Waits up to timeoutMs (scaled by the time seam) for a complete line,
  // running the message-pump hook between waits of at most 10 ms. Returns the
  // number of bytes placed; 0 for a time-out and for an empty line alike. A
  // line longer than size - 1 comes back in pieces.
  int ReadLine(char* destination, int32_t size, uint32_t timeoutMs);

  // As ReadLine(), but a line longer than size - 1 gives only its first
  // size - 1 bytes: the rest up to its line feed is dropped, *cut (when
  // given) is set and the line is counted in CutLines(). A reply line never
  // legitimately fills the caller's buffer, so a flood of long lines costs no
  // memory beyond the ring.
  int ReadLineCut(char* destination, int32_t size, uint32_t timeoutMs, bool* cut);
  // Lines shortened by ReadLineCut() since the buffer was created.
  int64_t CutLines() const;

  // Waits until no byte has arrived for quietMs, counting from the later of
  // the last arrival and the call; gives up after limitMs. Returns true when
  // the line went quiet. Both durations are scaled by the time seam.
  bool WaitQuiet(uint32_t quietMs, uint32_t limitMs);

  // Empties the ring.
  void Reset();

  // The port is being closed: every wait in progress, and every later one
  // until Resume(), ends at once with 0. Lines already stored are still taken.
  void Abandon();
  // The port is open again: waits wait.
  void Resume();
  bool Abandoned() const;

  // The line is lost: nothing more will arrive. Every wait in progress, and
  // every later one until ClearLost(), ends at once with 0; lines already
  // stored are still taken. Lost() tells such an end from a time-out.
  void MarkLost();
  void ClearLost();
  bool Lost() const;
  // Ends the line waits in progress at once with 0, as their time-out would;
  // later waits wait as usual. A front end whose user asked to stop calls it
  // so that the waiting loop sees the request without waiting out its wait.
  void WakeWaiters();

  // 1 drops lines that begin with '#', 0 keeps them.
  void SetFilter(int on);
  int Filter() const;

  // Held by a thread while it waits in ReadLine(); a write passes through it.
  std::recursive_mutex& WaitLock() { return wait_lock_; }

  // Number of complete lines stored (for tests and diagnostics).
  int32_t LineCount() const;
  int32_t StoredCount() const;
  int32_t Capacity() const { return capacity_; }

 private:
  int Take(char* destination, int32_t size, uint32_t timeoutMs, bool dropRest, bool* cut);
  // Stores bytes as they are, dropping the oldest when the ring is full.
  // Line feeds among them are counted by the caller.
  void StoreBlock(const uint8_t* bytes, int32_t length);
  // Stores the bytes without their CRs and NULs; returns how many were stored.
  int32_t StoreWithoutCrNul(const uint8_t* bytes, int32_t length);
  void ReleaseTouchedPages();

  uint8_t* storage_ = nullptr;
  int32_t capacity_ = 0;

  mutable std::mutex ring_lock_;
  std::condition_variable line_event_;
  int32_t read_pos_ = 0;
  int32_t write_pos_ = 0;
  int32_t stored_ = 0;
  int32_t column_ = 0;
  int32_t skipping_ = 0;
  int32_t line_count_ = 0;
  bool abandoned_ = false;
  bool lost_ = false;
  uint64_t wakes_ = 0;   // WakeWaiters() calls so far
  int64_t touched_ = 0;  // highest byte index written since the last reset
  int64_t cut_lines_ = 0;
  // When the reader thread last handed over bytes (any bytes, stored or not).
  std::condition_variable arrival_event_;
  std::chrono::steady_clock::time_point last_arrival_{};

  std::recursive_mutex wait_lock_;

  mutable std::mutex filter_lock_;
  int32_t filter_ = 1;
};
