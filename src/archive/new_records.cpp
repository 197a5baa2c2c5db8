#include "archive/new_records.h"

#include "archive/record_line.h"

namespace archive {
namespace {

int64_t Forward(int from, int to) {
  return ((static_cast<int64_t>(to) - from) % kRecordIdModulus + kRecordIdModulus) % kRecordIdModulus;
}

}  // namespace

int64_t HeldCount(const MemoryIds& memory) {
  if (memory.first == 0 && memory.last == 0) return 0;
  return Forward(memory.first, memory.last) + 1;
}

ReadPlan PlanNewReadout(const std::optional<RecordKey>& newestArchived, const MemoryIds& memory) {
  ReadPlan plan;
  const int64_t held = HeldCount(memory);
  if (held == 0) {
    plan.nothingHeld = true;
    return plan;
  }
  const bool inRange = newestArchived && newestArchived->id >= 0 && newestArchived->id < kRecordIdModulus &&
                       Forward(memory.first, newestArchived->id) < held;
  if (!inRange) {
    plan.wholeMemory = true;
    plan.firstId = memory.first;
    plan.count = held;
    return plan;
  }
  plan.fromArchived = true;
  plan.firstId = newestArchived->id;
  plan.count = Forward(newestArchived->id, memory.last) + 1;
  return plan;
}

bool CheckFirstRecord(const RecordKey& newestArchived, const std::optional<RecordKey>& firstRead) {
  return firstRead && *firstRead == newestArchived;
}

std::optional<int64_t> LostBetweenVisits(const RecordKey& newestArchived, const RecordKey& oldestHeld) {
  if (oldestHeld.time <= newestArchived.time) return std::nullopt;
  const int64_t gap = Forward(newestArchived.id, oldestHeld.id);
  if (gap == 0) return std::nullopt;
  // A cleared memory numbers from 1 again; IDs that run on past the archived
  // one would reach 1 only after a wrap, which cannot be told from a clear.
  if (oldestHeld.id == 1 && newestArchived.id != 0) return std::nullopt;
  return gap - 1;
}

}  // namespace archive
