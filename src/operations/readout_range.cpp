#include "operations/readout_range.h"

#include <cstdint>

namespace {

// Non-negative remainder, so that entries outside the ID range cannot give
// negative IDs or counts.
int WrapId(int64_t v) {
  int64_t r = v % kRecordIdSpan;
  if (r < 0) r += kRecordIdSpan;
  return static_cast<int>(r);
}

// Number of IDs from `first` to `last` inclusive, modulo the span (a full
// span of IDs counts 0).
int IdsFromTo(int first, int last) { return WrapId(int64_t{last} - first + 1); }

}  // namespace

int ProposedReadoutCount(int firstId, int lastId) {
  if (firstId == lastId) return firstId != 0 ? 1 : 0;
  // A full memory ends one ID below its first: all 100,000 records, not 0.
  const int n = IdsFromTo(firstId, lastId);
  return n == 0 ? kRecordIdSpan : n;
}

bool IsHeldId(int firstId, int lastId, int id) {
  const int held = ProposedReadoutCount(firstId, lastId);
  if (held == 0 || id < 0 || id >= kRecordIdSpan) return false;
  const int upTo = IdsFromTo(firstId, id);  // 0: all the way round
  return (upTo == 0 ? kRecordIdSpan : upTo) <= held;
}

int ReadoutSummaryFirstId(int lastId, int count) {
  if (count == 0) return 0;
  return WrapId(int64_t{lastId} - count + 1);
}

ReadoutRange ReadoutRangeForEntry(int memoryFirstId, int enteredLastId, int enteredCount) {
  ReadoutRange r;
  // A last ID one below the memory's first spans all IDs, not none: with a
  // full memory a count of 0 would read to the end, not the records asked for.
  int n = IdsFromTo(memoryFirstId, enteredLastId);
  if (n == 0) n = kRecordIdSpan;
  if (n >= enteredCount) n = enteredCount;
  r.count = n;
  int64_t first = int64_t{enteredLastId} - n + 1;
  if (first < 0) first += kRecordIdSpan;
  r.firstId = static_cast<int>(first);
  return r;
}
