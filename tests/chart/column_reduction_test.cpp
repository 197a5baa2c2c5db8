#include "chart/column_reduction.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <random>
#include <vector>

namespace {

using chart::ReducedPoint;
using chart::ReduceToColumns;

std::vector<ReducedPoint> Reduce(const std::vector<double>& x, const std::vector<double>& y,
                                 const std::vector<uint8_t>& gaps, double from, double to, int columns) {
  return ReduceToColumns(x.data(), y.data(), gaps.empty() ? nullptr : gaps.data(), x.size(), from, to, columns);
}

std::vector<size_t> Sources(const std::vector<ReducedPoint>& points) {
  std::vector<size_t> out;
  for (const auto& p : points) out.push_back(p.source);
  return out;
}

TEST(ColumnReduction, SmallCases) {
  struct Case {
    const char* name;
    std::vector<double> x, y;
    std::vector<uint8_t> gaps;
    double from, to;
    int columns;
    std::vector<size_t> kept;
    std::vector<size_t> breaksAt;  // sources of points drawn without a line to them
  };
  const std::vector<Case> cases = {
      {"empty", {}, {}, {}, 0, 10, 10, {}, {}},
      {"one per column is kept as is", {0, 1, 2, 3}, {5, 6, 7, 8}, {}, 0, 4, 4, {0, 1, 2, 3}, {}},
      // Column 0 holds x 0..4: first 0, lowest 2, highest 3, last 4.
      {"first, lowest, highest, last in order",
       {0, 1, 2, 3, 4, 10},
       {5, 6, 1, 9, 4, 0},
       {},
       0,
       20,
       2,
       {0, 2, 3, 4, 5},
       {}},
      {"highest before lowest keeps that order", {0, 1, 2, 3}, {5, 9, 1, 4}, {}, 0, 8, 1, {0, 1, 2, 3}, {}},
      {"a gap splits a column", {0, 1, 2, 3}, {1, 2, 3, 4}, {0, 0, 1, 0}, 0, 8, 1, {0, 1, 2, 3}, {2}},
      {"a gap at the first sample draws nothing before it", {0, 1}, {1, 2}, {1, 0}, 0, 2, 2, {0, 1}, {}},
      // Visible range 10..20 keeps 9 and 21 as neighbours, not 0 or 30.
      {"one neighbour outside each side", {0, 9, 12, 21, 30}, {0, 1, 2, 3, 4}, {}, 10, 20, 10, {1, 2, 3}, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const auto points = Reduce(c.x, c.y, c.gaps, c.from, c.to, c.columns);
    EXPECT_EQ(Sources(points), c.kept);
    std::vector<size_t> breaks;
    for (const auto& p : points)
      if (p.breakBefore) breaks.push_back(p.source);
    EXPECT_EQ(breaks, c.breaksAt);
    for (const auto& p : points) {
      EXPECT_EQ(p.x, c.x[p.source]);
      EXPECT_EQ(p.y, c.y[p.source]);
    }
  }
}

// On a long random series with random gaps: each column of each stretch
// still shows its true lowest and highest value, the points stay in series
// order, their number follows the width, and a gap is never bridged.
TEST(ColumnReduction, LongSeriesKeepsExtremesAndGaps) {
  constexpr size_t kCount = 200000;
  constexpr int kColumns = 800;
  std::mt19937 random(7);
  std::uniform_real_distribution<double> value(-3, 3);
  std::vector<double> x(kCount), y(kCount);
  std::vector<uint8_t> gaps(kCount, 0);
  for (size_t i = 0; i < kCount; ++i) {
    x[i] = static_cast<double>(i) * 600;
    y[i] = value(random);
    gaps[i] = (random() % 5000) == 0 ? 1 : 0;
  }
  const double from = x.front(), to = x.back();
  const auto points = Reduce(x, y, gaps, from, to, kColumns);
  ASSERT_FALSE(points.empty());
  EXPECT_LE(points.size(), static_cast<size_t>(kColumns) * 4 + 4 * 100);

  for (size_t k = 1; k < points.size(); ++k) ASSERT_LT(points[k - 1].source, points[k].source);

  // Every gap in the series starts a drawn stretch exactly there.
  for (size_t k = 1; k < points.size(); ++k) {
    bool gapBetween = false;
    for (size_t i = points[k - 1].source + 1; i <= points[k].source; ++i) gapBetween |= gaps[i] != 0;
    EXPECT_EQ(points[k].breakBefore, gapBetween) << "at source " << points[k].source;
    if (gapBetween) {
      EXPECT_EQ(gaps[points[k].source], 1) << "a stretch starts at its gap";
    }
  }

  // Lowest and highest per (column, stretch) agree with a direct scan.
  const auto key = [&](size_t i, size_t stretch) {
    const long column = std::clamp(static_cast<long>(std::floor((x[i] - from) / (to - from) * kColumns)), -1L,
                                   static_cast<long>(kColumns));
    return std::make_pair(stretch, column);
  };
  std::map<std::pair<size_t, long>, std::pair<double, double>> expected, drawn;
  size_t stretch = 0;
  for (size_t i = 0; i < kCount; ++i) {
    if (gaps[i]) ++stretch;
    auto [it, fresh] = expected.try_emplace(key(i, stretch), y[i], y[i]);
    if (!fresh) {
      it->second.first = std::min(it->second.first, y[i]);
      it->second.second = std::max(it->second.second, y[i]);
    }
  }
  stretch = 0;
  size_t previous = 0;
  for (const auto& p : points) {
    for (size_t i = previous + 1; i <= p.source && p.source > 0; ++i) stretch += gaps[i];
    previous = p.source;
    auto [it, fresh] = drawn.try_emplace(key(p.source, stretch), p.y, p.y);
    if (!fresh) {
      it->second.first = std::min(it->second.first, p.y);
      it->second.second = std::max(it->second.second, p.y);
    }
  }
  EXPECT_EQ(drawn, expected);
}

TEST(ColumnReduction, PointCountFollowsWidthNotLength) {
  for (size_t count : {10000u, 1000000u}) {
    std::vector<double> x(count), y(count);
    for (size_t i = 0; i < count; ++i) {
      x[i] = static_cast<double>(i);
      y[i] = std::sin(static_cast<double>(i) / 37.0);
    }
    const auto points = Reduce(x, y, {}, 0, static_cast<double>(count - 1), 500);
    EXPECT_LE(points.size(), 500u * 4 + 2) << count;
    EXPECT_GE(points.size(), 500u * 2) << count;
  }
}

}  // namespace
