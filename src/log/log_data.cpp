#include "log/log_data.h"

#include <cstddef>
#include <new>

CLogData::CLogData() { cells.reserve(kReservedCells); }

bool CRingLogBuffer::Resize(int capacity) {
  start_ = 0;
  count_ = 0;
  try {
    std::vector<CLogData> fresh(static_cast<std::size_t>(capacity > 0 ? capacity : 0));
    entries_.swap(fresh);
  } catch (const std::bad_alloc&) {
    entries_.clear();
    return false;
  }
  return true;
}

const CLogData& CRingLogBuffer::GetAt(int i) const {
  return entries_[static_cast<std::size_t>((i + start_) % Capacity())];
}

void CRingLogBuffer::Push(const std::vector<uint16_t>& line) {
  const int capacity = Capacity();
  if (capacity == 0) return;
  int slot = start_ + count_;
  if (slot < capacity) {
    ++count_;
  } else {
    slot %= capacity;
    start_ = (start_ + 1) % capacity;
  }
  // assign() reuses the slot's storage, so a full ring allocates nothing.
  entries_[static_cast<std::size_t>(slot)].cells.assign(line.begin(), line.end());
}
