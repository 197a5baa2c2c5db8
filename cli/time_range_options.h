#pragma once
// The --from/--to options of a logger-time range. Each takes a date
// ("2026-01-03"), a date and minutes ("2026-01-03T08:30") or the full form
// ("2026-01-03T08:30:00"); a blank may stand for the "T". The range is
// inclusive: --from starts at the first second of what it names, --to ends
// at the last (a date alone takes in the whole day).
#include <cstdint>
#include <optional>
#include <string>

struct TimeRange {
  std::optional<int64_t> from;  // calendar seconds of the logger's clock
  std::optional<int64_t> to;
};

// The range of the two option texts (an empty text leaves its end open), or
// the usage message: every bad option named with its text, then a range
// whose end lies before its start. `command` starts the message.
struct TimeRangeParse {
  TimeRange range;
  std::string problem;  // empty when the range is usable
};
TimeRangeParse ParseTimeRange(const std::string& command, const std::string& from, const std::string& to);
