#include "chart/archived_series.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../archive/archive_fixture.h"

namespace {

using ArchivedSeriesTest = ArchiveTest;

// What the chart shows of a range must be what the archive's own reader
// gives: the parsed records in the range, in time order.
chart::RecordSeries Reference(archive::Archive& a, const std::string& serial, int64_t from, int64_t to) {
  chart::RecordSeries s;
  a.ForEachRecord(
      serial, from, to,
      [&s](const archive::ArchivedRecord& r) {
        if (r.parsed) s.Append(r.id, r.time, r.levelM, r.batteryV);
        return true;
      },
      false);
  return s;
}

TEST_F(ArchivedSeriesTest, RangeOfOneLoggerAsTheArchiveReadsIt) {
  archive::Archive a;
  ASSERT_TRUE(a.Open(path).ok());
  // S100: two readouts with IDs 11-19 missing between them (a gap), a line
  // that does not parse, and a readout written out of time order; S200 beside it.
  std::vector<std::string> first = Lines(1, 10, 0);
  first.push_back("#>RX:$NOISE");
  Readout(a, first);
  Readout(a, Lines(20, 10, 190));
  Readout(a, {Line(40, 400), Line(30, 350)});
  Readout(a, Lines(1, 5, 0), "S200");

  const int64_t t0 = archive::CalendarSeconds(2026, 1, 3, 0, 0, 0);
  struct Case {
    const char* name;
    std::string serial;
    int64_t from, to;
    size_t count;
  };
  const std::vector<Case> cases = {
      {"everything", "S100", INT64_MIN, INT64_MAX, 22},
      {"bounds are inclusive", "S100", t0 + 10 * 60, t0 + 200 * 60, 11},
      {"other logger", "S200", INT64_MIN, INT64_MAX, 5},
      {"unknown logger", "S999", INT64_MIN, INT64_MAX, 0},
      {"empty range", "S100", t0 + 1, t0 + 599, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    chart::RecordSeries s;
    ASSERT_TRUE(chart::ReadArchivedSeries(a, c.serial, c.from, c.to, &s).ok());
    const chart::RecordSeries expected = Reference(a, c.serial, c.from, c.to);
    EXPECT_EQ(s.Size(), c.count);
    EXPECT_EQ(s.id, expected.id);
    EXPECT_EQ(s.time, expected.time);
    EXPECT_EQ(s.levelM, expected.levelM);
    EXPECT_EQ(s.batteryV, expected.batteryV);
    EXPECT_EQ(s.breakBefore.size(), s.Size());
  }

  // Gaps where IDs skip and where the step exceeds the usual 10 minutes.
  chart::RecordSeries all;
  ASSERT_TRUE(chart::ReadArchivedSeries(a, "S100", INT64_MIN, INT64_MAX, &all).ok());
  std::vector<size_t> gaps;
  for (size_t i = 0; i < all.Size(); ++i)
    if (all.breakBefore[i]) gaps.push_back(i);
  EXPECT_EQ(gaps, (std::vector<size_t>{10, 20, 21}));  // ID skip, time step, ID skip
  EXPECT_EQ(all.id[20], 30);
  EXPECT_EQ(all.id[21], 40);
}

TEST_F(ArchivedSeriesTest, LimitsOfTheLatestConnectThatReportedThem) {
  archive::Archive a;
  ASSERT_TRUE(a.Open(path).ok());
  std::optional<chart::ArchivedLimits> limits;
  ASSERT_TRUE(chart::ReadArchivedLimits(a, "S100", &limits).ok());
  EXPECT_FALSE(limits);

  archive::ConnectInfo c;
  c.logger = {"S100", "HX7", "1.07", ""};
  c.pcTime = 2000;
  c.upperThreshold = 2.5;
  c.lowerThreshold = 0.5;
  c.upperEnabled = true;
  ASSERT_TRUE(a.AddConnect(c).ok());
  c.pcTime = 1000;  // an older connect added later
  c.upperThreshold = 9;
  ASSERT_TRUE(a.AddConnect(c).ok());
  c.logger.serial = "S200";
  c.lowerEnabled = true;
  ASSERT_TRUE(a.AddConnect(c).ok());

  ASSERT_TRUE(chart::ReadArchivedLimits(a, "S100", &limits).ok());
  ASSERT_TRUE(limits);
  EXPECT_EQ(limits->upper, 2.5);
  EXPECT_EQ(limits->lower, 0.5);
  EXPECT_TRUE(limits->upperOn);
  EXPECT_FALSE(limits->lowerOn);
  ASSERT_TRUE(chart::ReadArchivedLimits(a, "S200", &limits).ok());
  ASSERT_TRUE(limits);
  EXPECT_TRUE(limits->lowerOn);
}

TEST_F(ArchivedSeriesTest, ClosedArchiveFailsAndLeavesNothing) {
  archive::Archive a;
  chart::RecordSeries s;
  s.Append(1, 0, 1.0, 3.6);
  EXPECT_FALSE(chart::ReadArchivedSeries(a, "S100", 0, 1, &s).ok());
  EXPECT_EQ(s.Size(), 0u);
}

}  // namespace
