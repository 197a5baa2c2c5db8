#include <gtest/gtest.h>

#include "archive/clock_drift.h"

namespace {

using archive::ConnectSample;

struct DriftCase {
  const char* what;
  std::vector<ConnectSample> connects;
  std::optional<double> perDay;
};

TEST(ClockDrift, RateFromConnectsSinceTheLastSynchronisation) {
  const int64_t day = 86400;
  const DriftCase cases[] = {
      {"no connect", {}, std::nullopt},
      {"one connect", {{0, 5, false}}, std::nullopt},
      {"gains 2 s a day over ten days", {{0, 10, false}, {10 * day, 30, false}}, 2.0},
      {"loses", {{0, 0, false}, {2 * day, -3, false}}, -1.5},
      {"span from the first unsynchronised connect", {{0, 10, false}, {day, 11, false}, {4 * day, 18, false}}, 2.0},
      {"a synchronisation cuts the span", {{0, 100, true}, {day, 0, false}, {3 * day, 6, false}}, 3.0},
      {"synchronised at the newest visit still counts up to it", {{0, 0, false}, {day, 4, true}}, 4.0},
      {"synchronised at the visit before the newest",
       {{0, 0, false}, {day, 4, true}, {day + 1800, 9, false}},
       std::nullopt},
      {"too short a span", {{0, 0, false}, {600, 2, false}}, std::nullopt},
  };
  for (const DriftCase& c : cases) {
    SCOPED_TRACE(c.what);
    const auto r = archive::DriftSecondsPerDay(c.connects);
    ASSERT_EQ(r.has_value(), c.perDay.has_value());
    if (r) {
      EXPECT_NEAR(*r, *c.perDay, 1e-9);
    }
  }
  EXPECT_EQ(archive::ClockOffset(1083, 1000), 83);
  EXPECT_EQ(archive::ClockOffset(1000, 1083), -83);
}

}  // namespace
