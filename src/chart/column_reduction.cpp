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
  Column current;
  long currentColumn = 0;
  bool open = false;
  bool openBreak = false;
  for (size_t i = begin; i < end; ++i) {
    const bool gap = breakBefore != nullptr && breakBefore[i] != 0;
    const long column = columnOf(x[i]);
    if (open && (gap || column != currentColumn)) {
      Emit(current, x, y, openBreak, out);
      open = false;
    }
    if (!open) {
      current = Column{i, i, i, i};
      currentColumn = column;
      openBreak = gap && !out.empty();
      open = true;
      continue;
    }
    current.last = i;
    if (y[i] < y[current.lowest]) current.lowest = i;
    if (y[i] > y[current.highest]) current.highest = i;
  }
  if (open) Emit(current, x, y, openBreak, out);
  return out;
}

}  // namespace chart
