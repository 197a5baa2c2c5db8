#pragma once
// Reading only what is new: which part of the logger's memory holds the
// records after the newest one archived, whether the logger still holds that
// record (the archive can then be trusted), and how many records were lost
// between the two visits when the memory has moved on without it.
#include <cstdint>
#include <optional>

namespace archive {

// A record as the archive knows it: ID and logger time.
struct RecordKey {
  int id = 0;
  int64_t time = 0;  // calendar seconds
  bool operator==(const RecordKey& o) const { return id == o.id && time == o.time; }
};

// The IDs the logger reports for its memory ("RD SYS"); both 0 when empty.
// IDs wrap after 99999 to 0, so first may be greater than last.
struct MemoryIds {
  int first = 0;
  int last = 0;
};

// Records held from first to last (0 when the memory is empty).
int64_t HeldCount(const MemoryIds& memory);

struct ReadPlan {
  bool nothingHeld = false;  // the memory is empty: nothing to read
  bool wholeMemory = false;  // read from the first record held
  // Read from the newest archived record: the first record read back must
  // be that record (CheckFirstRecord) and is not new.
  bool fromArchived = false;
  int firstId = 0;
  int64_t count = 0;  // records to ask for, the archived one included
};

// The range to read after the newest archived record of this logger (none
// when the archive holds no record of it).
ReadPlan PlanNewReadout(const std::optional<RecordKey>& newestArchived, const MemoryIds& memory);

// True when the first record read back is the archived one: same ID, same
// time. Otherwise the memory was cleared or overwritten since, and the whole
// memory must be read.
bool CheckFirstRecord(const RecordKey& newestArchived, const std::optional<RecordKey>& firstRead);

// Records the logger took after the newest archived one and no longer holds,
// judged from the oldest record it now holds. Told only when the IDs ran on
// without a clear (the oldest held record is newer, and numbered after it
// without restarting at 1); nothing when it cannot be told.
std::optional<int64_t> LostBetweenVisits(const RecordKey& newestArchived, const RecordKey& oldestHeld);

}  // namespace archive
