#include <gtest/gtest.h>

#include "archive/new_records.h"

namespace {

using archive::MemoryIds;
using archive::RecordKey;

struct PlanCase {
  const char* what;
  std::optional<RecordKey> newest;
  MemoryIds memory;
  bool nothing, whole, fromArchived;
  int firstId;
  int64_t count;
};

TEST(NewRecords, RangeToRead) {
  const RecordKey at500{500, 1000};
  const PlanCase cases[] = {
      {"empty memory", at500, {0, 0}, true, false, false, 0, 0},
      {"nothing archived", std::nullopt, {1, 900}, false, true, false, 1, 900},
      {"archived one held", at500, {1, 900}, false, false, true, 500, 401},
      {"archived is the last", at500, {1, 500}, false, false, true, 500, 1},
      {"archived is the first", at500, {500, 700}, false, false, true, 500, 201},
      {"archived dropped from the front", at500, {501, 900}, false, true, false, 501, 400},
      {"archived beyond the last (cleared)", at500, {1, 20}, false, true, false, 1, 20},
      {"memory wraps, archived before the wrap", RecordKey{99990, 5}, {99900, 50}, false, false, true, 99990, 61},
      {"memory wraps, archived after the wrap", RecordKey{10, 5}, {99900, 50}, false, false, true, 10, 41},
      {"memory wraps, archived not held", RecordKey{60, 5}, {99900, 50}, false, true, false, 99900, 151},
      {"full memory of 100,000", RecordKey{0, 5}, {1, 0}, false, false, true, 0, 1},
      {"id out of range", RecordKey{100000, 5}, {1, 900}, false, true, false, 1, 900},
  };
  for (const PlanCase& c : cases) {
    SCOPED_TRACE(c.what);
    const archive::ReadPlan p = archive::PlanNewReadout(c.newest, c.memory);
    EXPECT_EQ(p.nothingHeld, c.nothing);
    EXPECT_EQ(p.wholeMemory, c.whole);
    EXPECT_EQ(p.fromArchived, c.fromArchived);
    EXPECT_EQ(p.firstId, c.firstId);
    EXPECT_EQ(p.count, c.count);
  }
}

TEST(NewRecords, FirstRecordReadBackMustBeTheArchivedOne) {
  const RecordKey archived{500, 1000};
  EXPECT_TRUE(archive::CheckFirstRecord(archived, RecordKey{500, 1000}));
  EXPECT_FALSE(archive::CheckFirstRecord(archived, RecordKey{500, 1600}));  // cleared and refilled
  EXPECT_FALSE(archive::CheckFirstRecord(archived, RecordKey{501, 1000}));
  EXPECT_FALSE(archive::CheckFirstRecord(archived, std::nullopt));  // refused or silent
}

struct LostCase {
  const char* what;
  RecordKey archived, oldestHeld;
  std::optional<int64_t> lost;
};

TEST(NewRecords, RecordsLostBetweenVisits) {
  const LostCase cases[] = {
      {"overwritten from the front", {500, 1000}, {801, 9000}, 300},
      {"next one is the oldest", {500, 1000}, {501, 1600}, 0},
      {"overwritten across the wrap", {99990, 1000}, {20, 9000}, 29},
      {"cleared: numbering starts at 1", {500, 1000}, {1, 9000}, std::nullopt},
      {"older than the archived", {500, 1000}, {801, 900}, std::nullopt},
      {"same ID, later time", {500, 1000}, {500, 9000}, std::nullopt},
      {"archived 0, then 1 runs on", {0, 1000}, {1, 1600}, 0},
  };
  for (const LostCase& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(archive::LostBetweenVisits(c.archived, c.oldestHeld), c.lost);
  }
}

TEST(NewRecords, HeldCountAcrossTheWrap) {
  EXPECT_EQ(archive::HeldCount({0, 0}), 0);
  EXPECT_EQ(archive::HeldCount({1, 1}), 1);
  EXPECT_EQ(archive::HeldCount({99999, 0}), 2);
  EXPECT_EQ(archive::HeldCount({1, 0}), 100000);
}

}  // namespace
