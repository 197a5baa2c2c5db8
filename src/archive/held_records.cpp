#include "archive/held_records.h"

#include "archive/record_line.h"

namespace archive {

std::vector<IdRange> MissingIds(const MemoryIds& held, const std::vector<int>& archived) {
  std::vector<IdRange> missing;
  const int64_t count = HeldCount(held);
  if (count == 0) return missing;
  // Position of each held ID counted from the first held one.
  std::vector<bool> have(static_cast<size_t>(count), false);
  for (const int id : archived) {
    if (id < 0 || id >= kRecordIdModulus) continue;
    const int64_t at =
        ((static_cast<int64_t>(id) - held.first) % kRecordIdModulus + kRecordIdModulus) % kRecordIdModulus;
    if (at < count) have[static_cast<size_t>(at)] = true;
  }
  for (int64_t at = 0; at < count; ++at) {
    if (have[static_cast<size_t>(at)]) continue;
    const int id = static_cast<int>((held.first + at) % kRecordIdModulus);
    if (!missing.empty() && missing.back().last + 1 == id)
      missing.back().last = id;
    else
      missing.push_back({id, id});
  }
  return missing;
}

int64_t IdCount(const std::vector<IdRange>& ranges) {
  int64_t n = 0;
  for (const IdRange& r : ranges) n += r.last - r.first + 1;
  return n;
}

std::string IdRangesText(const std::vector<IdRange>& ranges, size_t maxRanges) {
  std::string text;
  for (size_t i = 0; i < ranges.size(); ++i) {
    if (i == maxRanges) return text + ", ...";
    if (i > 0) text += ", ";
    text += std::to_string(ranges[i].first);
    if (ranges[i].last != ranges[i].first) text += "-" + std::to_string(ranges[i].last);
  }
  return text;
}

}  // namespace archive
