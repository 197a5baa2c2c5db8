#include "chart/record_series.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(RecordSeries, GapsFromIdsAndTime) {
  struct Case {
    const char* name;
    std::vector<int> ids;
    std::vector<int64_t> times;
    int64_t maxStep;
    std::vector<uint8_t> gaps;
  };
  const std::vector<Case> cases = {
      {"steady", {1, 2, 3}, {0, 600, 1200}, 600, {0, 0, 0}},
      {"missing ID", {1, 2, 4}, {0, 600, 1200}, 600, {0, 0, 1}},
      {"ID wraps to 0", {99998, 99999, 0}, {0, 600, 1200}, 600, {0, 0, 0}},
      {"longer step than sampling", {1, 2, 3}, {0, 600, 1800}, 600, {0, 0, 1}},
      {"shorter step is no gap", {1, 2, 3}, {0, 60, 120}, 600, {0, 0, 0}},
      {"no time check without sampling", {1, 2, 3}, {0, 600, 9999}, 0, {0, 0, 0}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    chart::RecordSeries s;
    for (size_t i = 0; i < c.ids.size(); ++i) s.Append(c.ids[i], c.times[i], 1.0, 3.6);
    chart::MarkGaps(s, 100000, c.maxStep);
    EXPECT_EQ(s.breakBefore, c.gaps);
  }
}

TEST(RecordSeries, TypicalStepIsTheCommonOne) {
  chart::RecordSeries s;
  EXPECT_EQ(chart::TypicalStep(s), 0);
  int64_t t = 0;
  for (int i = 0; i < 100; ++i) {
    s.Append(i, t, 0, 0);
    t += i % 10 == 9 ? 3600 : 600;
  }
  EXPECT_EQ(chart::TypicalStep(s), 600);
}

}  // namespace
