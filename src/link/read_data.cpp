#include "link/read_data.h"

#include <algorithm>
#include <cstring>

#include "common/timing.h"
#include "common/ui_hooks.h"
#include "common/zeroed_block.h"

namespace {
// Longest single wait between two runs of the message pump.
constexpr auto kPumpSlice = std::chrono::milliseconds(10);
// Resetting releases the used pages back to the system once this much was used.
constexpr int64_t kReleaseThreshold = 1 << 20;
}  // namespace

CReadData::CReadData() = default;

CReadData::~CReadData() { zeroed_block::Release(storage_, static_cast<size_t>(capacity_)); }

int CReadData::Init() {
  std::lock_guard<std::mutex> lock(ring_lock_);
  if (storage_ != nullptr) {
    zeroed_block::Release(storage_, static_cast<size_t>(capacity_));
    storage_ = nullptr;
    capacity_ = 0;
  }
  // The ring behaves as a zero-filled block without being resident.
  void* p = zeroed_block::Reserve(static_cast<size_t>(kCapacity));
  if (p != nullptr) {
    storage_ = static_cast<uint8_t*>(p);
    capacity_ = kCapacity;
  }
  read_pos_ = write_pos_ = stored_ = line_count_ = column_ = skipping_ = 0;
  touched_ = 0;
  return storage_ != nullptr ? 1 : 0;
}

inline void CReadData::StoreByte(uint8_t b) {
  if (stored_ == capacity_) {
    if (storage_[read_pos_] == '\n') --line_count_;
    if (++read_pos_ == capacity_) read_pos_ = 0;
    --stored_;
  }
  storage_[write_pos_] = b;
  if (write_pos_ >= touched_) touched_ = write_pos_ + 1;
  if (++write_pos_ == capacity_) write_pos_ = 0;
  ++stored_;
  if (b == '\n') ++line_count_;
}

void CReadData::Append(const uint8_t* bytes, size_t length) {
  if (bytes == nullptr) return;
  std::unique_lock<std::mutex> lock(ring_lock_);
  if (storage_ == nullptr) return;
  const int32_t filter = Filter();
  for (size_t i = 0; i < length; ++i) {
    const uint8_t b = bytes[i];
    if (b == 0 || b == '\r') continue;
    if (b == '\n' && skipping_) {
      skipping_ = 0;
      column_ = 0;
      continue;
    }
    column_ = (b == '\n') ? 0 : column_ + 1;
    if (filter && column_ == 1 && b == '#') {
      skipping_ = 1;
      continue;
    }
    if (skipping_) continue;
    StoreByte(b);
  }
  const bool has_line = line_count_ > 0;
  lock.unlock();
  if (has_line) line_event_.notify_all();
}

int CReadData::ReadLine(char* destination, int32_t size, uint32_t timeoutMs) {
  std::unique_lock<std::mutex> lock(ring_lock_);
  if (line_count_ == 0) {
    lock.unlock();
    std::lock_guard<std::recursive_mutex> waiting(wait_lock_);
    const auto deadline = timing::Clock::now() + timing::Scaled(timeoutMs);
    // On the UI thread the wait wakes every slice to keep the windows
    // responsive; elsewhere it sleeps until a line arrives or time runs out.
    const bool pump = ui_hooks::PumpsOnThisThread();
    lock.lock();
    for (;;) {
      if (line_count_ > 0) break;
      const auto now = timing::Clock::now();
      if (now >= deadline || abandoned_) {
        if (size > 0) destination[0] = '\0';
        return 0;
      }
      const auto slice = pump ? std::min<timing::Clock::duration>(deadline - now, kPumpSlice) : deadline - now;
      if (line_event_.wait_for(lock, slice, [this] { return line_count_ > 0 || abandoned_; }) &&
          line_count_ > 0)
        break;
      if (pump) {
        lock.unlock();
        ui_hooks::PumpMessages();
        lock.lock();
      }
    }
  }

  int copied = 0;
  if (storage_ != nullptr && size > 1) {
    const int32_t limit = size - 1;
    while (stored_ > 0 && copied < limit) {
      // Copy the contiguous run up to the end of the storage, the end of the
      // stored bytes, or the room left, whichever comes first.
      const int32_t run = std::min({capacity_ - read_pos_, stored_, limit - copied + 1});
      const uint8_t* start = storage_ + read_pos_;
      const void* lf = std::memchr(start, '\n', static_cast<size_t>(run));
      if (lf != nullptr) {
        const int32_t n = static_cast<int32_t>(static_cast<const uint8_t*>(lf) - start);
        std::memcpy(destination + copied, start, static_cast<size_t>(n));
        copied += n;
        read_pos_ += n + 1;
        stored_ -= n + 1;
        if (read_pos_ >= capacity_) read_pos_ -= capacity_;
        --line_count_;
        destination[copied] = '\0';
        break;
      }
      const int32_t n = std::min(run, limit - copied);
      std::memcpy(destination + copied, start, static_cast<size_t>(n));
      copied += n;
      read_pos_ += n;
      stored_ -= n;
      if (read_pos_ >= capacity_) read_pos_ -= capacity_;
    }
  }
  if (size > 0) {
    destination[copied] = '\0';
    destination[size - 1] = '\0';
  }
  return copied;
}

void CReadData::ReleaseTouchedPages() {
  if (storage_ == nullptr || touched_ < kReleaseThreshold) return;
  // Dropping the pages makes them read as zero again and frees the memory.
  const long page = 4096;
  const size_t len = static_cast<size_t>((touched_ + page - 1) / page * page);
  zeroed_block::Discard(storage_, std::min(len, static_cast<size_t>(capacity_)));
  touched_ = 0;
}

void CReadData::Reset() {
  std::lock_guard<std::mutex> lock(ring_lock_);
  read_pos_ = write_pos_ = stored_ = line_count_ = column_ = skipping_ = 0;
  ReleaseTouchedPages();
}

void CReadData::Abandon() {
  {
    std::lock_guard<std::mutex> lock(ring_lock_);
    abandoned_ = true;
  }
  line_event_.notify_all();
}

void CReadData::Resume() {
  std::lock_guard<std::mutex> lock(ring_lock_);
  abandoned_ = false;
}

void CReadData::SetFilter(int on) {
  std::lock_guard<std::mutex> ring(ring_lock_);
  std::lock_guard<std::mutex> lock(filter_lock_);
  filter_ = on ? 1 : 0;
  skipping_ = 0;
}

int CReadData::Filter() const {
  std::lock_guard<std::mutex> lock(filter_lock_);
  return filter_;
}

int32_t CReadData::LineCount() const {
  std::lock_guard<std::mutex> lock(ring_lock_);
  return line_count_;
}

int32_t CReadData::StoredCount() const {
  std::lock_guard<std::mutex> lock(ring_lock_);
  return stored_;
}
