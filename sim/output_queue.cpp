#include "output_queue.h"

#include <algorithm>

namespace vlogger {

void OutputQueue::Push(std::string bytes, Clock::time_point due, bool records) {
  if (bytes.empty()) return;
  OutputItem item;
  item.bytes = std::move(bytes);
  item.due = due;
  item.records = records;
  items_.push_back(std::move(item));
}

bool OutputQueue::HasRecords() const {
  return std::any_of(items_.begin(), items_.end(), [](const OutputItem& i) { return i.records; });
}

void OutputQueue::CutRecords() {
  for (auto it = items_.begin(); it != items_.end();) {
    if (!it->records) {
      ++it;
    } else if (it->offset > 0) {
      // Finish the line in progress so that the end line starts a line.
      size_t cut = it->offset;
      if (it->bytes[cut - 1] != '\n') {
        const size_t end = it->bytes.find('\n', cut);
        cut = end == std::string::npos ? it->bytes.size() : end + 1;
      }
      it->bytes.resize(cut);
      ++it;
    } else {
      it = items_.erase(it);
    }
  }
}

size_t LinePacer::Allowance(Clock::time_point now, size_t available, Clock::time_point* retry_at) {
  if (shaping_.drop_after_bytes == 0) return 0;
  size_t n = available;
  if (shaping_.chunk_bytes > 0) {
    if (now < next_chunk_at_) {
      *retry_at = next_chunk_at_;
      return 0;
    }
    n = std::min(n, shaping_.chunk_bytes);
  }
  if (shaping_.paced) {
    // The schedule is absolute: a late turn catches up with the next chunk
    // at once; only a line that was idle for a while starts a new schedule.
    if (now - pace_clock_ > kIdleAfter) pace_clock_ = now;
    if (pace_clock_ > now) {
      *retry_at = pace_clock_;
      return 0;
    }
    n = std::min(n, kPacedChunk);
  }
  if (shaping_.drop_after_bytes > 0) {
    n = std::min(n, static_cast<size_t>(shaping_.drop_after_bytes));
  }
  return n;
}

void LinePacer::Sent(Clock::time_point now, size_t count) {
  if (count == 0) return;
  if (shaping_.chunk_bytes > 0) next_chunk_at_ = now + shaping_.chunk_gap;
  if (shaping_.paced) pace_clock_ += kByteTime * static_cast<int64_t>(count);
  if (shaping_.drop_after_bytes > 0) {
    shaping_.drop_after_bytes -= std::min<int64_t>(shaping_.drop_after_bytes, static_cast<int64_t>(count));
  }
}

void LinePacer::Reset() {
  shaping_.drop_after_bytes = -1;
  next_chunk_at_ = {};
  pace_clock_ = {};
}

}  // namespace vlogger
