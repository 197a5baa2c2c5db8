#include "chart/record_series.h"

#include <map>

namespace chart {

void RecordSeries::Reserve(size_t n) {
  id.reserve(n);
  time.reserve(n);
  levelM.reserve(n);
  batteryV.reserve(n);
  breakBefore.reserve(n);
}

void RecordSeries::Append(int recordId, int64_t calendarSeconds, double level, double battery) {
  id.push_back(recordId);
  time.push_back(calendarSeconds);
  levelM.push_back(level);
  batteryV.push_back(battery);
  breakBefore.push_back(0);
}

void MarkGaps(RecordSeries& series, int idModulus, int64_t maxStep) {
  const size_t n = series.Size();
  if (n == 0) return;
  series.breakBefore[0] = 0;
  for (size_t i = 1; i < n; ++i) {
    const bool idGap = idModulus > 0 && series.id[i] != (series.id[i - 1] + 1) % idModulus;
    const bool timeGap = maxStep > 0 && series.time[i] - series.time[i - 1] > maxStep;
    series.breakBefore[i] = idGap || timeGap ? 1 : 0;
  }
}

int64_t TypicalStep(const RecordSeries& series) {
  // A sample of the steps is enough; long series would only cost time.
  constexpr size_t kLooked = 4096;
  std::map<int64_t, size_t> seen;
  const size_t n = series.Size();
  const size_t stride = n > kLooked ? n / kLooked : 1;
  for (size_t i = 1; i < n; i += stride) {
    const int64_t step = series.time[i] - series.time[i - 1];
    if (step > 0) ++seen[step];
  }
  int64_t best = 0;
  size_t bestCount = 0;
  for (const auto& [step, times] : seen) {
    if (times > bestCount) {
      best = step;
      bestCount = times;
    }
  }
  return best;
}

}  // namespace chart
