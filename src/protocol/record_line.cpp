#include "protocol/record_line.h"

#include <charconv>
#include <cstdlib>

namespace records {
namespace {

// Days since 1970-01-01 of a proleptic Gregorian date.
int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

void CivilFromDays(int64_t z, int64_t* y, unsigned* m, unsigned* d) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  *d = doy - (153 * mp + 2) / 5 + 1;
  *m = mp < 10 ? mp + 3 : mp - 9;
  *y = static_cast<int64_t>(yoe) + era * 400 + (*m <= 2);
}

bool Digits(std::string_view s, size_t pos, size_t n, int* value) {
  if (pos + n > s.size()) return false;
  int v = 0;
  for (size_t i = pos; i < pos + n; ++i) {
    if (s[i] < '0' || s[i] > '9') return false;
    v = v * 10 + (s[i] - '0');
  }
  *value = v;
  return true;
}

int DaysInMonth(int year, int month) {
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return month == 2 && leap ? 29 : kDays[month - 1];
}

bool ValidDateTime(int y, int mo, int d, int h, int mi, int s) {
  return mo >= 1 && mo <= 12 && d >= 1 && d <= DaysInMonth(y, mo) && h <= 23 && mi <= 59 && s <= 59;
}

bool ParseNumber(std::string_view text, double* value) {
  if (text.empty()) return false;
  const char* end = text.data() + text.size();
  auto [p, ec] = std::from_chars(text.data(), end, *value, std::chars_format::fixed);
  return ec == std::errc() && p == end;
}

char* Put2(char* p, unsigned v) {
  p[0] = static_cast<char>('0' + v / 10 % 10);
  p[1] = static_cast<char>('0' + v % 10);
  return p + 2;
}

}  // namespace

std::string_view StripLineEnd(std::string_view line) {
  while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.remove_suffix(1);
  return line;
}

std::optional<RecordValues> ParseRecordLine(std::string_view line) {
  line = StripLineEnd(line);
  // "IIIII,yy/mm/dd hh:mm:ss,B,L": the ID is five digits, the time 17 chars.
  const size_t c1 = line.find(',');
  if (c1 == std::string_view::npos || c1 == 0 || c1 > 5) return std::nullopt;
  RecordValues r;
  if (!Digits(line, 0, c1, &r.id)) return std::nullopt;
  const std::string_view t = line.substr(c1 + 1);
  if (t.size() < 18 || t[2] != '/' || t[5] != '/' || t[8] != ' ' || t[11] != ':' || t[14] != ':' || t[17] != ',')
    return std::nullopt;
  int yy, mo, d, h, mi, s;
  if (!Digits(t, 0, 2, &yy) || !Digits(t, 3, 2, &mo) || !Digits(t, 6, 2, &d) || !Digits(t, 9, 2, &h) ||
      !Digits(t, 12, 2, &mi) || !Digits(t, 15, 2, &s))
    return std::nullopt;
  if (!ValidDateTime(2000 + yy, mo, d, h, mi, s)) return std::nullopt;
  r.time = CalendarSeconds(2000 + yy, mo, d, h, mi, s);
  const std::string_view rest = t.substr(18);
  const size_t c3 = rest.find(',');
  if (c3 == std::string_view::npos) return std::nullopt;
  const std::string_view battery = rest.substr(0, c3);
  const std::string_view level = rest.substr(c3 + 1);
  // The logger reports its battery in volts ("3.163").
  if (!ParseNumber(battery, &r.batteryV)) return std::nullopt;
  if (!ParseNumber(level, &r.levelM)) return std::nullopt;
  return r;
}

int64_t CalendarSeconds(int year, int month, int day, int hour, int minute, int second) {
  return DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) * 86400 + hour * 3600 +
         minute * 60 + second;
}

char* PutIsoTime(char* out, int64_t calendarSeconds) {
  int64_t days = calendarSeconds / 86400;
  int64_t secs = calendarSeconds % 86400;
  if (secs < 0) {
    secs += 86400;
    --days;
  }
  int64_t y;
  unsigned m, d;
  CivilFromDays(days, &y, &m, &d);
  const unsigned year = static_cast<unsigned>(y < 0 ? 0 : y > 9999 ? 9999 : y);
  char* p = Put2(out, year / 100);
  p = Put2(p, year % 100);
  *p++ = '-';
  p = Put2(p, m);
  *p++ = '-';
  p = Put2(p, d);
  *p++ = 'T';
  p = Put2(p, static_cast<unsigned>(secs / 3600));
  *p++ = ':';
  p = Put2(p, static_cast<unsigned>(secs / 60 % 60));
  *p++ = ':';
  return Put2(p, static_cast<unsigned>(secs % 60));
}

std::string IsoTime(int64_t calendarSeconds) {
  char text[24];
  char* end = PutIsoTime(text, calendarSeconds);
  return std::string(text, end);
}

std::optional<int64_t> ParseIsoTime(std::string_view text) {
  int y, mo, d, h = 0, mi = 0, s = 0;
  if (text.size() != 10 && text.size() != 19) return std::nullopt;
  if (!Digits(text, 0, 4, &y) || text[4] != '-' || !Digits(text, 5, 2, &mo) || text[7] != '-' ||
      !Digits(text, 8, 2, &d))
    return std::nullopt;
  if (text.size() == 19) {
    if ((text[10] != 'T' && text[10] != ' ') || !Digits(text, 11, 2, &h) || text[13] != ':' ||
        !Digits(text, 14, 2, &mi) || text[16] != ':' || !Digits(text, 17, 2, &s))
      return std::nullopt;
  }
  if (!ValidDateTime(y, mo, d, h, mi, s)) return std::nullopt;
  return CalendarSeconds(y, mo, d, h, mi, s);
}

}  // namespace records
