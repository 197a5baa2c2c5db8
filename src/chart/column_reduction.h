#pragma once
// Reduces a long series to what a chart of a given width can show: each pixel
// column keeps its first, lowest, highest and last sample, in the order they
// come, so the drawn line has the same extremes as the full series while the
// number of points follows the width, not the series length. A sample marked
// as starting a new stretch (a gap before it) is never joined to the one
// before it, and no column reaches across such a gap.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace chart {

// One point kept by the reduction.
struct ReducedPoint {
  double x = 0;
  double y = 0;
  bool breakBefore = false;  // no line from the previous point to this one
  size_t source = 0;         // index of the sample in the full series
};

// Samples are x[i], y[i] with x ascending; breakBefore[i] != 0 starts a new
// stretch (may be null: one stretch). Only samples whose x lies in
// [from, to] are reduced, plus the nearest one outside on each side, so the
// line runs on to the edge of the visible range. `columns` is the width in
// pixels (at least 1).
std::vector<ReducedPoint> ReduceToColumns(const double* x, const double* y, const uint8_t* breakBefore, size_t count,
                                          double from, double to, int columns);

}  // namespace chart
