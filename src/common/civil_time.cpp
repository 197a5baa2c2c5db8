#include "common/civil_time.h"

namespace civil_time {
namespace {

int64_t FloorDiv(int64_t a, int64_t b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); }

// Days since 1970-01-01 of a date (month 1..12, any day), after the
// well-known era algorithm: years start in March so that the leap day is last.
int64_t DaysFromCivil(int64_t y, int64_t m, int64_t d) {
  y -= m <= 2;
  const int64_t era = FloorDiv(y, 400);
  const int64_t yoe = y - era * 400;
  const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

}  // namespace

int64_t SecondsFromFields(const std::tm& f) {
  int64_t year = 1900LL + f.tm_year + FloorDiv(f.tm_mon, 12);
  const int64_t month = f.tm_mon - FloorDiv(f.tm_mon, 12) * 12 + 1;
  const int64_t days = DaysFromCivil(year, month, 1) + f.tm_mday - 1;
  return days * 86400 + f.tm_hour * 3600LL + f.tm_min * 60LL + f.tm_sec;
}

std::tm FieldsFromSeconds(int64_t seconds) {
  const int64_t days = FloorDiv(seconds, 86400);
  const int64_t rest = seconds - days * 86400;
  const int64_t z = days + 719468;
  const int64_t era = FloorDiv(z, 146097);
  const int64_t doe = z - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doyMarch = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doyMarch + 2) / 153;
  const int64_t day = doyMarch - (153 * mp + 2) / 5 + 1;
  const int64_t month = mp < 10 ? mp + 3 : mp - 9;
  const int64_t year = yoe + era * 400 + (month <= 2);

  std::tm f{};
  f.tm_year = static_cast<int>(year - 1900);
  f.tm_mon = static_cast<int>(month - 1);
  f.tm_mday = static_cast<int>(day);
  f.tm_hour = static_cast<int>(rest / 3600);
  f.tm_min = static_cast<int>(rest / 60 % 60);
  f.tm_sec = static_cast<int>(rest % 60);
  f.tm_wday = static_cast<int>((days % 7 + 11) % 7);  // 1970-01-01 was a Thursday
  f.tm_yday = static_cast<int>(days - DaysFromCivil(year, 1, 1));
  return f;
}

}  // namespace civil_time
