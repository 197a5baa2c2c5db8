#include "log/traffic_capture.h"

#include <cerrno>

#include <algorithm>
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
  int32_t r = read_pos_, w = write_pos_, p = pending_;
  const uint16_t high = static_cast<uint16_t>(mark) << 8;
  for (uint32_t i = 0; i < length; ++i) {
    const uint8_t b = bytes[i];
    if (b == 0) continue;
    if (p == kCells)
      r = (r + 1) & (kCells - 1);  // the oldest untaken cell is lost
    else
      ++p;
    cells_[static_cast<size_t>(w)] = static_cast<uint16_t>(high | b);
    w = (w + 1) & (kCells - 1);
  }
  read_pos_ = r;
  write_pos_ = w;
  pending_ = p;
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
