#include "common/timing.h"

#include <atomic>
#include <ctime>
#include <thread>

namespace timing {
namespace {
std::atomic<double> g_scale{1.0};
std::atomic<int64_t> g_clock_offset{0};
}  // namespace

void SetTimeScale(double scale) { g_scale.store(scale > 0 ? scale : 1.0); }
double TimeScale() { return g_scale.load(); }

Clock::duration Scaled(int64_t ms) {
  if (ms <= 0) return Clock::duration::zero();
  const double s = g_scale.load();
  if (s == 1.0) return std::chrono::milliseconds(ms);
  return std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double, std::milli>(ms * s));
}

void SleepMs(int64_t ms) {
  const auto d = Scaled(ms);
  if (d > Clock::duration::zero())
    std::this_thread::sleep_for(d);
  else
    std::this_thread::yield();
}

int64_t NowSeconds() { return static_cast<int64_t>(std::time(nullptr)) + g_clock_offset.load(); }
void SetClockOffsetSeconds(int64_t offset) { g_clock_offset.store(offset); }

}  // namespace timing
