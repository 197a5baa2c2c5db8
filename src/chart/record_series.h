#pragma once
// The records of a readout or of the archive as the chart draws them: the
// values side by side in arrays (the reduction walks them without copying),
// with the places where the line must break.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace chart {

struct RecordSeries {
  std::vector<int> id;
  std::vector<int64_t> time;  // calendar seconds of the logger's clock
  std::vector<double> levelM;
  std::vector<double> batteryV;
  std::vector<uint8_t> breakBefore;  // 1: gap between this record and the one before

  size_t Size() const { return time.size(); }
  void Reserve(size_t n);
  void Append(int recordId, int64_t calendarSeconds, double level, double battery);
};

// Marks a gap before each record whose ID does not follow the one before it
// (IDs wrap after `idModulus` - 1) or that comes more than `maxStep` seconds
// after it (no time check when `maxStep` <= 0).
void MarkGaps(RecordSeries& series, int idModulus, int64_t maxStep);

// The most common step between consecutive records, in seconds (0 when there
// are fewer than two records): the sampling interval of a series whose
// settings are not known.
int64_t TypicalStep(const RecordSeries& series);

}  // namespace chart
