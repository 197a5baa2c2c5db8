#pragma once
// Which of the records the logger holds the archive lacks: the held IDs run
// from the first to the last ID the logger reports (wrapping after 99999), and
// an archived record counts as held only when its ID is in that run and its
// logger time lies between the times of the first and the last held record,
// since IDs restart at 1 after a clear.
#include <cstdint>
#include <string>
#include <vector>

#include "archive/new_records.h"

namespace archive {

// IDs first..last, counted forward (never across the wrap: a run that
// reaches 99999 ends there and the next one starts at 0).
struct IdRange {
  int first = 0;
  int last = 0;
  bool operator==(const IdRange& o) const { return first == o.first && last == o.last; }
};

// The held IDs missing from `archived` (IDs of archived records held, in any
// order, repeats allowed), in the order the logger holds them.
std::vector<IdRange> MissingIds(const MemoryIds& held, const std::vector<int>& archived);

// How many IDs the ranges hold.
int64_t IdCount(const std::vector<IdRange>& ranges);

// "1201-1202, 1205" for at most maxRanges ranges; more are left off with
// ", ...".
std::string IdRangesText(const std::vector<IdRange>& ranges, size_t maxRanges = 8);

}  // namespace archive
