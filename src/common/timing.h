#pragma once
// Time seam of the core. Every time-out and every sleep of the core goes
// through here. Production runs with scale 1.0, so the protocol's waits are
// exactly the documented ones; tests shorten them with SetTimeScale().
#include <chrono>
#include <cstdint>

namespace timing {

using Clock = std::chrono::steady_clock;

// Factor applied to every protocol time-out and sleep (1.0 in production).
void SetTimeScale(double scale);
double TimeScale();

// A protocol duration in milliseconds, scaled.
Clock::duration Scaled(int64_t ms);

// Sleeps for a scaled protocol duration.
void SleepMs(int64_t ms);

// Wall clock seconds since the epoch (the PC clock the session compares the
// logger's clock with). Tests may shift it.
int64_t NowSeconds();
void SetClockOffsetSeconds(int64_t offset);

}  // namespace timing
