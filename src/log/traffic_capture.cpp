#include "log/traffic_capture.h"

#include <cerrno>

#include <algorithm>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#include <new>

// ---- CTLogBuffer ----

int CTLogBuffer::Allocate() {
  std::lock_guard<std::mutex> lock(ring_lock_);
  read_pos_ = write_pos_ = pending_ = 0;
  snapshot_.clear();
  try {
    cells_.assign(kCells, 0);
    snapshot_.reserve(kCells);
  } catch (const std::bad_alloc&) {
    read_pos_ = write_pos_ = pending_ = 0;
    snapshot_.clear();
    return 0;
  }
  return 1;
}

void CTLogBuffer::Add(const uint8_t* bytes, uint32_t length, uint8_t mark) {
  std::lock_guard<std::mutex> lock(ring_lock_);
  if (cells_.size() != static_cast<size_t>(kCells)) return;
  const uint16_t high = static_cast<uint16_t>(static_cast<uint16_t>(mark) << 8);
  // NULs are rare: the runs between them are stored as blocks.
  const uint8_t* p = bytes;
  const uint8_t* const end = bytes + length;
  while (p < end) {
    const void* nul = std::memchr(p, 0, static_cast<size_t>(end - p));
    const uint8_t* stop = nul != nullptr ? static_cast<const uint8_t*>(nul) : end;
    StoreRun(p, static_cast<uint32_t>(stop - p), high);
    p = stop + (nul != nullptr ? 1 : 0);
  }
}

void CTLogBuffer::StoreRun(const uint8_t* bytes, uint32_t length, uint16_t high) {
  if (length == 0) return;
  // Only the newest kCells bytes of a run can stay; the write position moves
  // on by the whole run all the same.
  uint32_t skip = 0;
  if (length > static_cast<uint32_t>(kCells)) skip = length - static_cast<uint32_t>(kCells);
  int32_t w = static_cast<int32_t>((static_cast<uint32_t>(write_pos_) + skip) & (kCells - 1));
  const uint8_t* b = bytes + skip;
  int32_t left = static_cast<int32_t>(length - skip);
  while (left > 0) {
    const int32_t run = std::min(left, kCells - w);
    uint16_t* cell = cells_.data() + w;
    int32_t i = 0;
#if defined(__SSE2__)
    // Sixteen bytes a step: each byte is widened to a cell with the mark above it.
    const __m128i marks = _mm_set1_epi8(static_cast<char>(high >> 8));
    for (; i + 16 <= run; i += 16) {
      const __m128i in = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + i));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(cell + i), _mm_unpacklo_epi8(in, marks));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(cell + i + 8), _mm_unpackhi_epi8(in, marks));
    }
#endif
    for (; i < run; ++i) cell[i] = static_cast<uint16_t>(high | b[i]);
    b += run;
    left -= run;
    w = (w + run) & (kCells - 1);
  }
  write_pos_ = w;
  // The oldest untaken cells are lost when the ring overflows: the pending
  // cells always end at the write position.
  const int64_t pending = static_cast<int64_t>(pending_) + length;
  pending_ = pending > kCells ? kCells : static_cast<int32_t>(pending);
  read_pos_ = (write_pos_ - pending_) & (kCells - 1);
}

int32_t CTLogBuffer::TakePending() {
  std::lock_guard<std::mutex> lock(ring_lock_);
  snapshot_.clear();
  const int32_t n = std::min<int32_t>(pending_, static_cast<int32_t>(cells_.size()));
  // At most two contiguous runs: up to the end of the ring, then from its start.
  const int32_t first = std::min(n, kCells - read_pos_);
  snapshot_.insert(snapshot_.end(), cells_.begin() + read_pos_, cells_.begin() + read_pos_ + first);
  snapshot_.insert(snapshot_.end(), cells_.begin(), cells_.begin() + (n - first));
  pending_ = 0;
  read_pos_ = write_pos_;
  return n;
}

int32_t CTLogBuffer::PendingCount() const {
  std::lock_guard<std::mutex> lock(ring_lock_);
  return pending_;
}
int32_t CTLogBuffer::ReadPosition() const {
  std::lock_guard<std::mutex> lock(ring_lock_);
  return read_pos_;
}
int32_t CTLogBuffer::WritePosition() const {
  std::lock_guard<std::mutex> lock(ring_lock_);
  return write_pos_;
}

// ---- CMLogFile ----

CMLogFile::~CMLogFile() { CloseFile(); }

void CMLogFile::Write(const void* bytes, uint32_t length) {
  std::lock_guard<std::mutex> lock(file_lock_);
  if (file_ == nullptr || length == 0) return;
  std::fwrite(bytes, 1, length, file_);
  std::fflush(file_);
}

int CMLogFile::OpenFile(const std::string& path) {
  std::lock_guard<std::mutex> lock(file_lock_);
  if (file_ != nullptr) {
    std::fclose(file_);
    file_ = nullptr;
  }
  path_ = path;
  file_ = std::fopen(path.c_str(), "a+b");
  if (file_ == nullptr) {
    open_error_ = errno;
    return 0;
  }
  open_error_ = 0;
  std::fseek(file_, 0, SEEK_END);
  return 1;
}

int CMLogFile::OpenError() const {
  std::lock_guard<std::mutex> lock(file_lock_);
  return open_error_;
}

void CMLogFile::CloseFile() {
  std::lock_guard<std::mutex> lock(file_lock_);
  if (file_ != nullptr) {
    std::fclose(file_);
    file_ = nullptr;
  }
}

bool CMLogFile::IsFileOpen() const {
  std::lock_guard<std::mutex> lock(file_lock_);
  return file_ != nullptr;
}

std::string CMLogFile::FilePath() const {
  std::lock_guard<std::mutex> lock(file_lock_);
  return path_;
}

// ---- CMLog ----

CMLog::~CMLog() = default;

void CMLog::Write(const void* bytes, uint32_t length) {
  std::lock_guard<std::mutex> lock(outer_lock_);
  CMLogFile::Write(bytes, length);
}

void CMLog::AddTraffic(const uint8_t* bytes, uint32_t length, uint8_t mark) {
  {
    std::lock_guard<std::mutex> lock(outer_lock_);
    if (bytes != nullptr) {
      ring_.Add(bytes, length, mark);
      CMLogFile::Write(bytes, length);
    }
  }
  std::shared_ptr<const NotifyTarget> target;
  unsigned id;
  {
    std::lock_guard<std::mutex> lock(notify_lock_);
    target = notify_;
    id = notify_id_;
  }
  if (target) (*target)(id);
}

void CMLog::SetNotifyTarget(NotifyTarget target, unsigned commandId) {
  auto t = target ? std::make_shared<const NotifyTarget>(std::move(target)) : nullptr;
  std::lock_guard<std::mutex> lock(notify_lock_);
  notify_ = std::move(t);
  notify_id_ = commandId;
}

void CMLog::Capture(const void* bytes, uint32_t length, TrafficDirection direction) {
  AddTraffic(static_cast<const uint8_t*>(bytes), length, direction == TrafficDirection::kReceived ? 0 : 1);
}
