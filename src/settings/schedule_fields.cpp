#include "settings/schedule_fields.h"

#include <cstdio>
#include <ctime>
#include <limits>

#include "settings/decimal_text.h"

namespace {

std::string Part(const std::string& s, size_t pos, size_t len) { return pos < s.size() ? s.substr(pos, len) : ""; }

}  // namespace

IntervalFields IntervalDisplayFields(int seconds) {
  IntervalFields f;
  f.days = seconds / 86400;
  f.hours = (seconds / 3600) % 24;
  f.minutes = (seconds / 60) % 60;
  return f;
}

IntervalFields IntervalEditFields(int seconds) {
  IntervalFields f = IntervalDisplayFields(seconds);
  f.days %= 100;
  return f;
}

std::string IntervalHoursMinutesText(int seconds) {
  const IntervalFields f = IntervalEditFields(seconds);
  char buf[32];
  std::snprintf(buf, sizeof buf, "%02d:%02d", f.hours, f.minutes);
  return buf;
}

std::string IntervalDaysText(int seconds) { return std::to_string(IntervalEditFields(seconds).days); }

int IntervalFromFields(const std::string& hoursMinutesDigits, const std::string& daysText) {
  const int64_t hours = DecimalToInt(Part(hoursMinutesDigits, 0, 2));
  const int64_t minutes = DecimalToInt(Part(hoursMinutesDigits, 2, 2));
  const int64_t days = DecimalToInt(daysText);
  const int64_t total = minutes * 60 + hours * 3600 + days * 86400;
  if (total > std::numeric_limits<int>::max()) return std::numeric_limits<int>::max();
  if (total < std::numeric_limits<int>::min()) return std::numeric_limits<int>::min();
  return static_cast<int>(total);
}

std::string StartTimeEditText(const CSdlTime& start) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "20%02d-%02d-%02d %02d:%02d", start.year % 100, start.month, start.day, start.hour,
                start.minute);
  return buf;
}

CSdlTime StartTimeFromDigits(const std::string& digits) {
  CSdlTime t;
  t.year = DecimalToInt("20" + Part(digits, 0, 2));
  t.month = DecimalToInt(Part(digits, 2, 2));
  t.day = DecimalToInt(Part(digits, 4, 2));
  t.hour = DecimalToInt(Part(digits, 6, 2));
  t.minute = DecimalToInt(Part(digits, 8, 2));
  t.second = 0;
  return t;
}

std::string StartTimePresetText(int64_t nowSeconds) {
  const std::time_t t = static_cast<std::time_t>(nowSeconds + 120);
  std::tm local{};
  localtime_r(&t, &local);
  char buf[64];
  const size_t n = std::strftime(buf, sizeof buf, "%Y-%m-%d %H:%M", &local);
  return std::string(buf, n);
}

std::string DeviceClockText(int64_t deviceClockSeconds) {
  if (deviceClockSeconds <= 86400) return std::string();
  // The clock estimate counts local standard time, like the logger's dates.
  const CSdlTime c = CSdlTime::FromTime(deviceClockSeconds);
  char buf[96];
  std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", c.year, c.month, c.day, c.hour, c.minute, c.second);
  return buf;
}
