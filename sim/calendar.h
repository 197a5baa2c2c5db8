#pragma once
// Calendar arithmetic of the virtual logger. The logger keeps local wall
// time without any time-zone or daylight-saving notion, so its instants are
// held as "calendar seconds": the local calendar date and time counted as if
// it were UTC. Adding seconds then never jumps at a daylight-saving change.
#include <cstdint>
#include <optional>
#include <string>

namespace vlogger {

// A calendar date and time with a four-digit year.
struct CalendarTime {
  int year = 2000;
  int month = 1;
  int day = 1;
  int hour = 0;
  int minute = 0;
  int second = 0;
};

bool operator==(const CalendarTime& a, const CalendarTime& b);
inline bool operator!=(const CalendarTime& a, const CalendarTime& b) { return !(a == b); }

// Calendar seconds of a date and time (no validation; fields are normalised
// arithmetically).
int64_t ToCalendarSeconds(const CalendarTime& t);
CalendarTime FromCalendarSeconds(int64_t seconds);

// The host's local wall clock, as calendar seconds.
int64_t HostLocalCalendarSeconds();

// True when the fields form a real date and time (year 2000..2099).
bool IsValidCalendarTime(const CalendarTime& t);

// "yy/mm/dd hh:mm:ss", the logger's date-time form in its listings.
std::string FormatDateTime(const CalendarTime& t);

// "DddHhhMmmSss" with days capped at 99.
std::string FormatDuration(int64_t seconds);

// Parses a duration of letter-number fields ("D01H02M03S04", "S30"): each of
// the letters D, H, M and S at most once, in that order, each followed by at
// least one digit. Anything else gives no value.
std::optional<int64_t> ParseDuration(const std::string& text);

// Parses the start time of "ST STM": a date "yy/mm/dd" and a time "hh:mm",
// both with two-digit fields. An impossible date or time gives no value.
std::optional<CalendarTime> ParseStartTime(const std::string& date, const std::string& time);

}  // namespace vlogger
