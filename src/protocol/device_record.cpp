#include "protocol/device_record.h"

#include <cstdlib>
#include <cstring>
#include <ctime>

#include "common/civil_time.h"

namespace {

int ReadPair(const char* p) {
  // The usual leading-number rule, limited to the two characters of the pair.
  char pair[3] = {p[0], p[1], 0};
  return std::atoi(pair);
}

// Seconds west of UTC of local standard time (no daylight saving). The zone
// is read from the environment at each call, so a changed TZ takes effect.
long StandardOffsetWest() {
  tzset();
  return timezone;
}

}  // namespace

int CSdlTime::Parse(const char* text) {
  if (text == nullptr || std::strlen(text) <= 16) return 0;
  year = 2000 + ReadPair(text + 0);
  month = ReadPair(text + 3);
  day = ReadPair(text + 6);
  hour = ReadPair(text + 9);
  minute = ReadPair(text + 12);
  second = ReadPair(text + 15);
  return 1;
}

int64_t CSdlTime::ToTime() const {
  int y = year < 1971 ? 1971 : year;
  y %= 3000;
  int mo = month <= 0 ? 1 : month;
  mo %= 13;
  int d = day <= 0 ? 1 : day;
  d &= 0x1F;
  if (mo == 0 || d == 0 || y < 1900) return -1;
  std::tm tm{};
  tm.tm_year = y - 1900;
  tm.tm_mon = mo - 1;
  tm.tm_mday = d;
  tm.tm_hour = hour % 24;
  tm.tm_min = minute % 60;
  tm.tm_sec = second % 60;
  if (tm.tm_hour < 0 || tm.tm_min < 0 || tm.tm_sec < 0) return -1;
  // A day beyond the month carries into the next month.
  return civil_time::SecondsFromFields(tm) + StandardOffsetWest();
}

CSdlTime CSdlTime::FromTime(int64_t seconds) {
  const std::tm tm = civil_time::FieldsFromSeconds(seconds - StandardOffsetWest());
  CSdlTime r;
  r.year = tm.tm_year + 1900;
  r.month = tm.tm_mon + 1;
  r.day = tm.tm_mday;
  r.hour = tm.tm_hour;
  r.minute = tm.tm_min;
  r.second = tm.tm_sec;
  return r;
}
