#include "calendar.h"

#include <cctype>
#include <cstdio>
#include <ctime>

namespace vlogger {
namespace {

constexpr int64_t kSecondsPerDay = 86400;

// Days since 1970-01-01 of a proleptic Gregorian date (H. Hinnant's method).
int64_t DaysFromCivil(int64_t y, int64_t m, int64_t d) {
  y -= m <= 2 ? 1 : 0;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const int64_t yoe = y - era * 400;
  const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

void CivilFromDays(int64_t z, int& year, int& month, int& day) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const int64_t doe = z - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  year = static_cast<int>(yoe + era * 400 + (month <= 2 ? 1 : 0));
}

int DaysInMonth(int year, int month) {
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month == 2) {
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return leap ? 29 : 28;
  }
  return kDays[month - 1];
}

// Reads exactly two decimal digits at text[pos].
std::optional<int> TwoDigits(const std::string& text, size_t pos) {
  if (pos + 2 > text.size()) return std::nullopt;
  const unsigned char a = static_cast<unsigned char>(text[pos]);
  const unsigned char b = static_cast<unsigned char>(text[pos + 1]);
  if (!std::isdigit(a) || !std::isdigit(b)) return std::nullopt;
  return (a - '0') * 10 + (b - '0');
}

}  // namespace

bool operator==(const CalendarTime& a, const CalendarTime& b) {
  return a.year == b.year && a.month == b.month && a.day == b.day && a.hour == b.hour && a.minute == b.minute &&
         a.second == b.second;
}

int64_t ToCalendarSeconds(const CalendarTime& t) {
  return DaysFromCivil(t.year, t.month, t.day) * kSecondsPerDay + t.hour * 3600 + t.minute * 60 + t.second;
}

CalendarTime FromCalendarSeconds(int64_t seconds) {
  int64_t days = seconds / kSecondsPerDay;
  int64_t rest = seconds % kSecondsPerDay;
  if (rest < 0) {
    rest += kSecondsPerDay;
    --days;
  }
  CalendarTime t;
  CivilFromDays(days, t.year, t.month, t.day);
  t.hour = static_cast<int>(rest / 3600);
  t.minute = static_cast<int>(rest / 60 % 60);
  t.second = static_cast<int>(rest % 60);
  return t;
}

int64_t HostLocalCalendarSeconds() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  CalendarTime t;
  t.year = local.tm_year + 1900;
  t.month = local.tm_mon + 1;
  t.day = local.tm_mday;
  t.hour = local.tm_hour;
  t.minute = local.tm_min;
  t.second = local.tm_sec > 59 ? 59 : local.tm_sec;
  return ToCalendarSeconds(t);
}

bool IsValidCalendarTime(const CalendarTime& t) {
  return t.year >= 2000 && t.year <= 2099 && t.month >= 1 && t.month <= 12 && t.day >= 1 &&
         t.day <= DaysInMonth(t.year, t.month) && t.hour >= 0 && t.hour <= 23 && t.minute >= 0 && t.minute <= 59 &&
         t.second >= 0 && t.second <= 59;
}

std::string FormatDateTime(const CalendarTime& t) {
  char text[40];
  std::snprintf(text, sizeof text, "%02d/%02d/%02d %02d:%02d:%02d", t.year % 100, t.month, t.day, t.hour, t.minute,
                t.second);
  return text;
}

std::string FormatDuration(int64_t seconds) {
  if (seconds < 0) seconds = 0;
  int64_t days = seconds / 86400;
  if (days > 99) days = 99;
  char text[40];
  std::snprintf(text, sizeof text, "D%02dH%02dM%02dS%02d", static_cast<int>(days),
                static_cast<int>(seconds / 3600 % 24), static_cast<int>(seconds / 60 % 60),
                static_cast<int>(seconds % 60));
  return text;
}

std::optional<int64_t> ParseDuration(const std::string& text) {
  static const char kLetters[] = "DHMS";
  static const int64_t kUnits[] = {86400, 3600, 60, 1};
  int64_t total = 0;
  int next_letter = 0;  // letters must come in order, each at most once
  size_t pos = 0;
  if (text.empty()) return std::nullopt;
  while (pos < text.size()) {
    int letter = next_letter;
    while (letter < 4 && text[pos] != kLetters[letter]) ++letter;
    if (letter == 4) return std::nullopt;
    ++pos;
    int64_t number = 0;
    size_t digits = 0;
    while (pos < text.size() && std::isdigit(static_cast<unsigned char>(text[pos]))) {
      if (++digits > 6) return std::nullopt;
      number = number * 10 + (text[pos] - '0');
      ++pos;
    }
    if (digits == 0) return std::nullopt;
    total += number * kUnits[letter];
    next_letter = letter + 1;
  }
  return total;
}

std::optional<CalendarTime> ParseStartTime(const std::string& date, const std::string& time) {
  if (date.size() != 8 || date[2] != '/' || date[5] != '/') return std::nullopt;
  if (time.size() != 5 || time[2] != ':') return std::nullopt;
  const auto yy = TwoDigits(date, 0), mo = TwoDigits(date, 3), dd = TwoDigits(date, 6);
  const auto hh = TwoDigits(time, 0), mi = TwoDigits(time, 3);
  if (!yy || !mo || !dd || !hh || !mi) return std::nullopt;
  CalendarTime t;
  t.year = 2000 + *yy;
  t.month = *mo;
  t.day = *dd;
  t.hour = *hh;
  t.minute = *mi;
  t.second = 0;
  if (!IsValidCalendarTime(t)) return std::nullopt;
  return t;
}

}  // namespace vlogger
