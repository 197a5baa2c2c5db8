// Which held records the archive lacks: the archive's query of held IDs by
// time window, and the missing IDs as compact ranges. Records of earlier
// fills of the memory (IDs restart after a clear), of another logger, and
// runs of IDs across the wrap after 99999.
#include <cctype>
#include <ostream>
#include <string>
#include <vector>

#include "archive/held_records.h"
#include "archive_fixture.h"

namespace {

struct ArchivedRun {
  std::string serial;
  int firstId;
  int count;
  int firstMinute;  // records every 10 minutes from here
};

struct HeldCase {
  const char* what;
  std::vector<ArchivedRun> archived;
  archive::MemoryIds held;
  int firstHeldMinute;  // logger times of the first and last held record
  int lastHeldMinute;
  std::string missing;  // IdRangesText of the missing IDs
  int64_t missingCount;
};

void PrintTo(const HeldCase& c, std::ostream* os) { *os << c.what; }

class HeldRecordsTest : public ArchiveTest, public ::testing::WithParamInterface<HeldCase> {};

int64_t At(int minute) { return archive::CalendarSeconds(2026, 1, 3, 0, 0, 0) + int64_t{minute} * 60; }

TEST_P(HeldRecordsTest, ArchivedHeldIdsLeaveTheUnreadOnes) {
  const HeldCase& c = GetParam();
  archive::Archive a;
  ASSERT_TRUE(a.Open(path).ok());
  for (const ArchivedRun& r : c.archived) Readout(a, Lines(r.firstId, r.count, r.firstMinute), r.serial);
  std::vector<int> ids;
  ASSERT_TRUE(a.ArchivedHeldIds("S100", c.held, At(c.firstHeldMinute), At(c.lastHeldMinute), &ids).ok());
  const std::vector<archive::IdRange> missing = archive::MissingIds(c.held, ids);
  EXPECT_EQ(archive::IdRangesText(missing), c.missing);
  EXPECT_EQ(archive::IdCount(missing), c.missingCount);
}

INSTANTIATE_TEST_SUITE_P(
    Memories, HeldRecordsTest,
    ::testing::Values(
        HeldCase{"all read", {{"S100", 1, 100, 0}}, {1, 100}, 0, 990, "", 0},
        HeldCase{"two taken since", {{"S100", 1, 100, 0}}, {1, 102}, 0, 1010, "101-102", 2},
        HeldCase{"empty memory", {{"S100", 1, 100, 0}}, {0, 0}, 0, 0, "", 0},
        HeldCase{"wrapped, read past the wrap", {{"S100", 99990, 15, 0}}, {99990, 9}, 0, 190, "5-9", 5},
        HeldCase{"wrapped, unread across the wrap", {{"S100", 99990, 8, 0}}, {99990, 2}, 0, 120, "99998-99999, 0-2", 5},
        // Cleared and refilled: the old records with the same IDs are older
        // than the first held one and do not count.
        HeldCase{"cleared, refilled, partly read",
                 {{"S100", 1, 100, 0}, {"S100", 1, 5, 2000}},
                 {1, 20},
                 2000,
                 2190,
                 "6-20",
                 15},
        HeldCase{"cleared, refilled, none read", {{"S100", 1, 100, 0}}, {1, 5}, 2000, 2040, "1-5", 5},
        HeldCase{"overwritten from the front", {{"S100", 1, 50, 0}}, {21, 70}, 200, 690, "51-70", 20},
        HeldCase{"another logger's records", {{"B2", 1, 10, 0}}, {1, 10}, 0, 90, "1-10", 10}),
    [](const ::testing::TestParamInfo<HeldCase>& info) {
      std::string name;
      for (const char* p = info.param.what; *p != '\0'; ++p)
        if (std::isalnum(static_cast<unsigned char>(*p))) name += *p;
      return name;
    });

TEST(HeldRecords, ManyRangesAreCutShortInTheText) {
  std::vector<int> everySecond;
  for (int id = 2; id <= 20; id += 2) everySecond.push_back(id);
  const std::vector<archive::IdRange> missing = archive::MissingIds({1, 20}, everySecond);
  EXPECT_EQ(archive::IdCount(missing), 10);
  EXPECT_EQ(archive::IdRangesText(missing, 3), "1, 3, 5, ...");
  // Archived IDs outside the held run or the ID space change nothing.
  EXPECT_EQ(archive::MissingIds({5, 6}, {-1, 4, 7, 100000}), (std::vector<archive::IdRange>{{5, 6}}));
}

}  // namespace
