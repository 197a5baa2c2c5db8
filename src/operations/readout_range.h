#pragma once
// Range arithmetic of a record readout. The logger numbers its records 0 to
// 99999 and wraps around (after 99999 comes 0), so all of it is modulo
// 100000.

constexpr int kRecordIdSpan = 100000;

// The record count the readout range dialog proposes for the memory range
// first..last: the number of IDs from first to last; 1 for a single record
// (first == last != 0) and 0 for an empty memory (both 0).
int ProposedReadoutCount(int firstId, int lastId);

// The first ID the dialog's summary line shows for a last ID and a count
// (0 when the count is 0).
int ReadoutSummaryFirstId(int lastId, int count);

// True when the memory first..last (both 0: empty) holds the ID.
bool IsHeldId(int firstId, int lastId, int id);

struct ReadoutRange {
  int firstId = 0;
  int count = 0;
};

// The readout for an entered last ID and count: at most the number of
// records from the memory's first ID up to the entered last ID, ending at the
// entered last ID. A last ID just below the memory's first ID is a full
// memory: the count then is the entered count, never 0 (0 reads to the end).
ReadoutRange ReadoutRangeForEntry(int memoryFirstId, int enteredLastId, int enteredCount);
