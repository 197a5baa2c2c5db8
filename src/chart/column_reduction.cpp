#include "chart/column_reduction.h"

#include <algorithm>
#include <cmath>

namespace chart {

namespace {

// The samples of one column within one stretch.
struct Column {
  size_t first = 0;
  size_t last = 0;
  size_t lowest = 0;
  size_t highest = 0;
};

void Emit(const Column& c, const double* x, const double* y, bool breakBefore, std::vector<ReducedPoint>& out) {
  size_t kept[4] = {c.first, c.lowest, c.highest, c.last};
  std::sort(kept, kept + 4);
  const size_t* end = std::unique(kept, kept + 4);
  for (const size_t* i = kept; i != end; ++i) {
    out.push_back(ReducedPoint{x[*i], y[*i], breakBefore && i == kept, *i});
  }
}

}  // namespace

std::vector<ReducedPoint> ReduceToColumns(const double* x, const double* y, const uint8_t* breakBefore, size_t count,
                                          double from, double to, int columns) {
  std::vector<ReducedPoint> out;
  if (count == 0 || !(to >= from)) return out;
  if (columns < 1) columns = 1;

  // The visible samples and one neighbour on each side.
  size_t begin = static_cast<size_t>(std::lower_bound(x, x + count, from) - x);
  size_t end = static_cast<size_t>(std::upper_bound(x, x + count, to) - x);
  if (begin > 0) --begin;
  if (end < count) ++end;

  const double width = to - from;
  const auto columnOf = [&](double value) -> long {
    if (width <= 0) return 0;
    const double c = std::floor((value - from) / width * columns);
    // Neighbours outside the range get columns of their own.
    return static_cast<long>(std::clamp(c, -1.0, static_cast<double>(columns)));
  };

  out.reserve(std::min<size_t>(end - begin, static_cast<size_t>(columns) * 4 + 8));
  // Column by column: where the column ends is found by bisection (the
  // column is a non-decreasing function of x), so the pass over the samples
  // only compares values and looks for gaps.
  for (size_t i = begin; i < end;) {
    const long column = columnOf(x[i]);
    const size_t columnEnd = static_cast<size_t>(
        std::partition_point(x + i, x + end, [&](double value) { return columnOf(value) <= column; }) - x);
    // One group per stretch between gaps within the column.
    for (size_t s = i; s < columnEnd;) {
      Column group{s, s, s, s};
      double low = y[s], high = y[s];
      size_t j = s + 1;
      for (; j < columnEnd; ++j) {
        if (breakBefore != nullptr && breakBefore[j] != 0) break;
        if (y[j] < low) {
          low = y[j];
          group.lowest = j;
        }
        if (y[j] > high) {
          high = y[j];
          group.highest = j;
        }
      }
      group.last = j - 1;
      const bool gap = breakBefore != nullptr && breakBefore[s] != 0;
      Emit(group, x, y, gap && !out.empty(), out);
      s = j;
    }
    i = columnEnd;
  }
  return out;
}

}  // namespace chart
