#pragma once
// Small helpers of the benchmark program: repetition with a median and range,
// clocks.
#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace bench {

inline double Seconds(std::chrono::steady_clock::duration d) { return std::chrono::duration<double>(d).count(); }

inline double ThreadCpuSeconds() {
  timespec ts{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
  return ts.tv_sec + ts.tv_nsec / 1e9;
}

inline double ProcessCpuSeconds() {
  timespec ts{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
  return ts.tv_sec + ts.tv_nsec / 1e9;
}

inline double Median(std::vector<double> v) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  const size_t n = v.size();
  return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// The repetitions of one figure: median and range.
struct Spread {
  std::vector<double> values;
  void Add(double v) { values.push_back(v); }
  bool Empty() const { return values.empty(); }
  double Median() const { return bench::Median(values); }
  double Min() const { return values.empty() ? 0 : *std::min_element(values.begin(), values.end()); }
  double Max() const { return values.empty() ? 0 : *std::max_element(values.begin(), values.end()); }
  // "median [min..max]" with the given printf format for each number.
  std::string Format(const char* fmt) const {
    char m[32], lo[32], hi[32];
    std::snprintf(m, sizeof m, fmt, Median());
    std::snprintf(lo, sizeof lo, fmt, Min());
    std::snprintf(hi, sizeof hi, fmt, Max());
    return std::string(m) + " [" + lo + ".." + hi + "]";
  }
};

// Runs fn `reps` times and collects what it returns.
inline Spread Repeat(int reps, const std::function<double()>& fn) {
  Spread s;
  for (int i = 0; i < reps; ++i) s.Add(fn());
  return s;
}

// The median of fn over `reps` runs.
inline double MedianOf(int reps, const std::function<double()>& fn) { return Repeat(reps, fn).Median(); }

}  // namespace bench
