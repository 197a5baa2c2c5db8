#include "link/read_data.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include "common/timing.h"
#include "common/zeroed_block.h"

namespace {
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

void CReadData::StoreBlock(const uint8_t* bytes, int32_t length) {
  if (length <= 0) return;
  if (stored_ == 0) {
    // An empty ring starts again at its beginning: a reader that keeps up
    // then reuses the same few pages, which stay in the cache, instead of
    // walking a whole long readout through fresh memory that the system
    // must supply page by page and that stays resident afterwards.
    read_pos_ = write_pos_ = 0;
  }
  if (length >= capacity_) {
    // Only the newest capacity bytes can stay.
    bytes += length - capacity_;
    length = capacity_;
    read_pos_ = write_pos_ = stored_ = line_count_ = 0;
  } else if (stored_ + length > capacity_) {
    // A full ring drops its oldest bytes first, with the lines they end.
    int32_t drop = stored_ + length - capacity_;
    stored_ -= drop;
    while (drop > 0) {
      const int32_t run = std::min(drop, capacity_ - read_pos_);
      line_count_ -= static_cast<int32_t>(std::count(storage_ + read_pos_, storage_ + read_pos_ + run, '\n'));
      read_pos_ += run;
      if (read_pos_ == capacity_) read_pos_ = 0;
      drop -= run;
    }
  }
  while (length > 0) {
    const int32_t run = std::min(length, capacity_ - write_pos_);
    std::memcpy(storage_ + write_pos_, bytes, static_cast<size_t>(run));
    write_pos_ += run;
    if (write_pos_ > touched_) touched_ = write_pos_;
    if (write_pos_ == capacity_) write_pos_ = 0;
    stored_ += run;
    bytes += run;
    length -= run;
  }
}

int32_t CReadData::StoreWithoutCrNul(const uint8_t* bytes, int32_t length) {
  // Lines end in CR LF, so a CR is usual and a NUL rare: both are found with
  // memchr and the runs between them are stored as blocks.
  const uint8_t* end = bytes + length;
  const uint8_t* cr = static_cast<const uint8_t*>(std::memchr(bytes, '\r', static_cast<size_t>(length)));
  const uint8_t* nul = static_cast<const uint8_t*>(std::memchr(bytes, 0, static_cast<size_t>(length)));
  int32_t stored = 0;
  const uint8_t* p = bytes;
  for (;;) {
    const uint8_t* cut = std::min(cr != nullptr ? cr : end, nul != nullptr ? nul : end);
    const int32_t run = static_cast<int32_t>(cut - p);
    StoreBlock(p, run);
    stored += run;
    if (cut == end) return stored;
    p = cut + 1;
    if (cut == cr) cr = static_cast<const uint8_t*>(std::memchr(p, '\r', static_cast<size_t>(end - p)));
    if (cut == nul) nul = static_cast<const uint8_t*>(std::memchr(p, 0, static_cast<size_t>(end - p)));
  }
}

void CReadData::Append(const uint8_t* bytes, size_t length) {
  if (bytes == nullptr) return;
  std::unique_lock<std::mutex> lock(ring_lock_);
  if (storage_ == nullptr) return;
  if (length > 0) {
    last_arrival_ = timing::Clock::now();
    arrival_event_.notify_all();
  }
  const int32_t filter = Filter();
  int32_t lines_added = 0;
  const uint8_t* p = bytes;
  const uint8_t* const end = bytes + length;
  while (p < end) {
    if (skipping_) {
      // The rest of a '#'-line goes, up to and including its line feed.
      const void* lf = std::memchr(p, '\n', static_cast<size_t>(end - p));
      if (lf == nullptr) break;
      skipping_ = 0;
      column_ = 0;
      p = static_cast<const uint8_t*>(lf) + 1;
      continue;
    }
    if (filter && column_ == 0) {
      // The first byte of a line that counts: CR and NUL are not bytes of it.
      while (p < end && (*p == '\r' || *p == 0)) ++p;
      if (p == end) break;
      if (*p == '#') {
        skipping_ = 1;
        column_ = 1;
        ++p;
        continue;
      }
    }
    // Everything up to and including the next line feed is stored.
    const void* lf = std::memchr(p, '\n', static_cast<size_t>(end - p));
    const uint8_t* stop = lf != nullptr ? static_cast<const uint8_t*>(lf) + 1 : end;
    const int32_t stored = StoreWithoutCrNul(p, static_cast<int32_t>(stop - p));
    if (lf != nullptr) {
      ++line_count_;
      ++lines_added;
      column_ = 0;
    } else {
      column_ = stored < INT32_MAX - column_ ? column_ + stored : INT32_MAX;
    }
    p = stop;
  }
  // A waiter waits only while no line is stored, so only a chunk that
  // completed a line has anyone to wake.
  const bool new_line = lines_added > 0 && line_count_ > 0;
  lock.unlock();
  if (new_line) line_event_.notify_all();
}

int CReadData::ReadLine(char* destination, int32_t size, uint32_t timeoutMs) {
  return Take(destination, size, timeoutMs, false, nullptr);
}

int CReadData::ReadLineCut(char* destination, int32_t size, uint32_t timeoutMs, bool* cut) {
  if (cut != nullptr) *cut = false;
  return Take(destination, size, timeoutMs, true, cut);
}

int CReadData::Take(char* destination, int32_t size, uint32_t timeoutMs, bool dropRest, bool* cut) {
  std::unique_lock<std::mutex> lock(ring_lock_);
  if (line_count_ == 0) {
    const uint64_t wakes = wakes_;
    lock.unlock();
    std::lock_guard<std::recursive_mutex> waiting(wait_lock_);
    const auto deadline = timing::Clock::now() + timing::Scaled(timeoutMs);
    lock.lock();
    for (;;) {
      if (line_count_ > 0) break;
      const auto now = timing::Clock::now();
      if (now >= deadline || abandoned_ || lost_ || wakes_ != wakes) {
        if (size > 0) destination[0] = '\0';
        return 0;
      }
      if (line_event_.wait_until(lock, deadline,
                                 [&] { return line_count_ > 0 || abandoned_ || lost_ || wakes_ != wakes; }) &&
          line_count_ > 0)
        break;
    }
  }

  int copied = 0;
  bool complete = false;  // the line feed was consumed
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
        complete = true;
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
  if (dropRest && !complete && line_count_ > 0 && storage_ != nullptr && size > 1 && storage_[read_pos_] == '\n') {
    // Exactly size - 1 bytes: only the line feed is left (after a wrap).
    if (++read_pos_ == capacity_) read_pos_ = 0;
    --stored_;
    --line_count_;
    complete = true;
  }
  if (dropRest && !complete && line_count_ > 0 && storage_ != nullptr && size > 1) {
    // The line goes on beyond the buffer: drop the rest up to its line feed,
    // which is in the ring because a line was counted.
    while (stored_ > 0) {
      const int32_t run = std::min(capacity_ - read_pos_, stored_);
      const uint8_t* start = storage_ + read_pos_;
      const void* lf = std::memchr(start, '\n', static_cast<size_t>(run));
      const int32_t n = lf != nullptr ? static_cast<int32_t>(static_cast<const uint8_t*>(lf) - start) + 1 : run;
      read_pos_ += n;
      stored_ -= n;
      if (read_pos_ >= capacity_) read_pos_ -= capacity_;
      if (lf != nullptr) {
        --line_count_;
        break;
      }
    }
    ++cut_lines_;
    if (cut != nullptr) *cut = true;
  }
  // A drained ring that held a large backlog gives those pages back now
  // rather than at the next purge: the ring starts again at its beginning.
  if (stored_ == 0) ReleaseTouchedPages();
  if (size > 0) {
    destination[copied] = '\0';
    destination[size - 1] = '\0';
  }
  return copied;
}

int64_t CReadData::CutLines() const {
  std::lock_guard<std::mutex> lock(ring_lock_);
  return cut_lines_;
}

bool CReadData::WaitQuiet(uint32_t quietMs, uint32_t limitMs) {
  const auto quiet = timing::Scaled(quietMs);
  const auto start = timing::Clock::now();
  const auto deadline = start + timing::Scaled(limitMs);
  std::unique_lock<std::mutex> lock(ring_lock_);
  for (;;) {
    const auto now = timing::Clock::now();
    const auto quiet_until = std::max(last_arrival_, start) + quiet;
    if (now >= quiet_until || abandoned_ || lost_) return true;
    if (now >= deadline) return false;
    arrival_event_.wait_until(lock, std::min(quiet_until, deadline));
  }
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
  arrival_event_.notify_all();
}

void CReadData::WakeWaiters() {
  {
    std::lock_guard<std::mutex> lock(ring_lock_);
    ++wakes_;
  }
  line_event_.notify_all();
}

bool CReadData::Abandoned() const {
  std::lock_guard<std::mutex> lock(ring_lock_);
  return abandoned_;
}

void CReadData::MarkLost() {
  {
    std::lock_guard<std::mutex> lock(ring_lock_);
    lost_ = true;
  }
  line_event_.notify_all();
  arrival_event_.notify_all();
}

void CReadData::ClearLost() {
  std::lock_guard<std::mutex> lock(ring_lock_);
  lost_ = false;
}

bool CReadData::Lost() const {
  std::lock_guard<std::mutex> lock(ring_lock_);
  return lost_;
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
