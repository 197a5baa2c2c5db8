#pragma once
// The logger clock's offset from the PC clock at connect, and its drift rate
// from the archive's connects.
#include <cstdint>
#include <optional>
#include <vector>

namespace archive {

// Seconds the logger clock is ahead of the PC clock (negative: behind). Both
// in the same seconds (the logger's fields and the PC's local time, each read
// as local standard time).
int64_t ClockOffset(int64_t loggerClock, int64_t pcTime);

struct ConnectSample {
  int64_t pcTime = 0;  // seconds since the epoch
  int64_t offset = 0;  // logger clock minus PC clock, seconds
  // The clock was set during this visit, after the offset was taken: the
  // offset of the next visit no longer continues this one.
  bool synchronised = false;
};

// Shorter spans give no rate: a second of reading jitter would swamp it.
constexpr int64_t kMinDriftSpanSeconds = 3600;

// Seconds per day the logger clock gains (negative: loses), from the newest
// connect back to the earliest one reached without a synchronisation in
// between. Connects in order of PC time. Nothing when that span is shorter
// than kMinDriftSpanSeconds.
std::optional<double> DriftSecondsPerDay(const std::vector<ConnectSample>& connects);

}  // namespace archive
