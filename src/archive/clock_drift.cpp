#include "archive/clock_drift.h"

namespace archive {

int64_t ClockOffset(int64_t loggerClock, int64_t pcTime) { return loggerClock - pcTime; }

std::optional<double> DriftSecondsPerDay(const std::vector<ConnectSample>& connects) {
  if (connects.size() < 2) return std::nullopt;
  size_t newest = connects.size() - 1;
  size_t start = newest;
  while (start > 0 && !connects[start - 1].synchronised) --start;
  const int64_t span = connects[newest].pcTime - connects[start].pcTime;
  if (span < kMinDriftSpanSeconds) return std::nullopt;
  const double days = static_cast<double>(span) / 86400.0;
  return static_cast<double>(connects[newest].offset - connects[start].offset) / days;
}

}  // namespace archive
