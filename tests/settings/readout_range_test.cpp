#include <gtest/gtest.h>

#include "operations/readout_range.h"

namespace {

TEST(ReadoutRange, ProposedCount) {
  EXPECT_EQ(ProposedReadoutCount(1, 100), 100);
  EXPECT_EQ(ProposedReadoutCount(99990, 9), 20);  // wrapped memory
  EXPECT_EQ(ProposedReadoutCount(0, 0), 0);       // empty memory
  EXPECT_EQ(ProposedReadoutCount(5, 5), 1);
  EXPECT_EQ(ProposedReadoutCount(1, 0), 100000);  // full memory, wrapped once
  EXPECT_EQ(ReadoutSummaryFirstId(0, 100000), 1);
}

TEST(ReadoutRange, HeldIds) {
  struct Case {
    int first, last, id;
    bool held;
  };
  const Case cases[] = {{1, 10, 1, true},         {1, 10, 10, true},       {1, 10, 11, false},    {1, 10, 0, false},
                        {1, 10, 50, false},       {99990, 9, 99999, true}, {99990, 9, 0, true},   {99990, 9, 10, false},
                        {99990, 9, 99989, false}, {0, 0, 0, false},        {1, 0, 12345, true},   {5, 5, 5, true},
                        {5, 5, 4, false},         {1, 10, -1, false},      {1, 10, 100000, false}};
  for (const Case& c : cases)
    EXPECT_EQ(IsHeldId(c.first, c.last, c.id), c.held) << c.first << ".." << c.last << " " << c.id;
}

TEST(ReadoutRange, SummaryFirstId) {
  EXPECT_EQ(ReadoutSummaryFirstId(100, 100), 1);
  EXPECT_EQ(ReadoutSummaryFirstId(9, 20), 99990);
  EXPECT_EQ(ReadoutSummaryFirstId(0, 0), 0);
  EXPECT_EQ(ReadoutSummaryFirstId(50, 0), 0);
  const int first = ReadoutSummaryFirstId(5, 300000);  // absurd count: still an ID
  EXPECT_GE(first, 0);
  EXPECT_LT(first, kRecordIdSpan);
}

TEST(ReadoutRange, RangeForEntry) {
  struct Case {
    int memoryFirst, lastId, count;
    int expectedFirst, expectedCount;
  };
  const Case cases[] = {
      {1, 100, 10, 91, 10},       // the last 10 records
      {1, 100, 100, 1, 100},      // everything
      {1, 50, 100, 1, 50},        // no more than the records from the first ID
      {99990, 9, 20, 99990, 20},  // wrapped range
      {99990, 3, 10, 99994, 10},  // first ID wraps below 0
      {99990, 99995, 100, 99990, 6},
      {10, 9, 5, 5, 5},           // last ID just below the first: a full memory
      {1, 0, 10, 99991, 10},      // full memory, the last 10 records
      {1, 0, 100000, 1, 100000},  // full memory, all of it
      {1, 0, 0, 1, 0},            // count 0: to the end
  };
  for (const Case& c : cases) {
    const ReadoutRange r = ReadoutRangeForEntry(c.memoryFirst, c.lastId, c.count);
    EXPECT_EQ(r.firstId, c.expectedFirst) << c.memoryFirst << " " << c.lastId << " " << c.count;
    EXPECT_EQ(r.count, c.expectedCount) << c.memoryFirst << " " << c.lastId << " " << c.count;
  }
}

}  // namespace
