#include "settings/value_checks.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include "common/codepage.h"
#include "common/string_table.h"
#include "settings/decimal_text.h"
#include "settings/schedule_fields.h"
#include "settings/wizard_values.h"

namespace value_checks {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The text without the blanks (space, tab) around it.
std::string Trimmed(const std::string& text) {
  const size_t begin = text.find_first_not_of(" \t");
  if (begin == std::string::npos) return std::string();
  const size_t end = text.find_last_not_of(" \t");
  return text.substr(begin, end - begin + 1);
}

// Shape of a strict number: [-]digits[.digits] or [-].digits; `real`
// allows the point.
bool IsNumberShape(const std::string& t, bool real) {
  size_t i = t.size() > 0 && t[0] == '-' ? 1 : 0;
  size_t digits = 0;
  bool point = false;
  for (; i < t.size(); ++i) {
    if (IsDigit(t[i])) {
      ++digits;
    } else if (t[i] == '.' && real && !point) {
      point = true;
    } else {
      return false;
    }
  }
  return digits > 0;
}

bool DigitsOnly(const std::string& t) {
  if (t.empty()) return false;
  for (const char c : t)
    if (!IsDigit(c)) return false;
  return true;
}

int Digits(const std::string& t, size_t pos, size_t n) {
  int v = 0;
  for (size_t i = pos; i < pos + n; ++i) v = v * 10 + (t[i] - '0');
  return v;
}

bool IsLeapYear(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int DaysInMonth(int y, int m) {
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && IsLeapYear(y) ? 29 : kDays[m - 1];
}

// Splits at any of "-/:_" keeping empty parts, so that "2026--01" is not
// mistaken for two parts.
std::vector<std::string> DateParts(const std::string& text) {
  std::vector<std::string> parts(1);
  for (const char c : text) {
    if (std::strchr("-/:_", c) != nullptr)
      parts.emplace_back();
    else
      parts.back() += c;
  }
  return parts;
}

// The string table's text `id` with its conversions filled in.
template <typename... Args>
std::string Formatted(uint32_t id, Args... args) {
  const std::string format = strings::Text(id);
  const int n = std::snprintf(nullptr, 0, format.c_str(), args...);
  if (n <= 0) return format;
  std::string text(static_cast<size_t>(n), '\0');
  std::snprintf(&text[0], text.size() + 1, format.c_str(), args...);
  return text;
}

// A limit as the judgement command carries it: four decimals.
std::string CommandLimitText(double metres) { return FormatFixed(metres, 4); }

// What the judgement page sends for a limit: its three decimals.
double PageLimit(double metres) { return LimitFromFieldText(LimitFieldText(metres)); }

std::string MinuteText(const CSdlTime& t) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d", t.year, t.month, t.day, t.hour, t.minute);
  return buf;
}

bool IsAddressSymbol(unsigned char c) {
  return (c >= 33 && c <= 39) || c == '*' || c == '+' || (c >= 45 && c <= 47) || c == '=' || c == '?' || c == '@' ||
         c == '^' || c == '_' || (c >= 123 && c <= 126);
}

}  // namespace

std::optional<int32_t> StrictInt(const std::string& text) {
  const std::string t = Trimmed(text);
  if (!IsNumberShape(t, false) || t.size() > 11) return std::nullopt;
  const long long v = std::stoll(t);
  if (v < INT32_MIN || v > INT32_MAX) return std::nullopt;
  return static_cast<int32_t>(v);
}

std::optional<double> StrictDecimal(const std::string& text) {
  const std::string t = Trimmed(text);
  if (!IsNumberShape(t, true)) return std::nullopt;
  const double v = DecimalToDouble(t);
  if (!std::isfinite(v)) return std::nullopt;
  return v;
}

int DecimalPlaces(const std::string& text) {
  const std::string t = Trimmed(text);
  const size_t point = t.find('.');
  return point == std::string::npos ? 0 : static_cast<int>(t.size() - point - 1);
}

std::string BatteryProblem(int32_t millivolts) {
  if (millivolts < kBatteryMinMillivolts || millivolts > kBatteryMaxMillivolts)
    return Formatted(strings::id::kBatteryRangeProblem, static_cast<long>(millivolts));
  const long below = millivolts / kBatteryStepMillivolts * kBatteryStepMillivolts;
  if (below == millivolts) return std::string();
  return Formatted(strings::id::kBatteryStepProblem, static_cast<long>(millivolts), below,
                   below + kBatteryStepMillivolts);
}

std::optional<int32_t> BatteryFromVoltsText(const std::string& text) {
  const std::optional<double> volts = StrictDecimal(text);
  if (!volts || *volts < 0 || DecimalPlaces(text) > 1) return std::nullopt;
  const int32_t millivolts = MillivoltsFromVoltsText(Trimmed(text));
  if (millivolts < kBatteryMinMillivolts || millivolts > kBatteryMaxMillivolts) return std::nullopt;
  return millivolts;
}

bool LimitOk(double metres) {
  if (!std::isfinite(metres)) return false;
  // As the page shows the limit and takes it back on Next.
  const double taken = LimitFromFieldText(LimitFieldText(metres));
  return std::isfinite(taken) && std::fabs(taken) <= kLimitMagnitude;
}

std::optional<double> LimitFromText(const std::string& text) {
  const std::optional<double> metres = StrictDecimal(text);
  if (!metres || !LimitOk(*metres)) return std::nullopt;
  return metres;
}

std::string LimitProblem(double metres) {
  if (metres == 0) metres = 0;  // -0 is sent as 0.0000, as it is meant
  if (!LimitOk(metres)) return Formatted(strings::id::kLimitRangeProblem, CommandLimitText(metres).c_str());
  const std::string given = CommandLimitText(metres);
  const std::string sent = CommandLimitText(PageLimit(metres));
  if (given == sent) return std::string();
  return Formatted(strings::id::kLimitDecimalsProblem, given.c_str(), sent.c_str());
}

std::string LimitTextProblem(const std::string& text) {
  const std::optional<double> metres = StrictDecimal(text);
  if (!metres) return std::string();  // not a number: the caller names the text
  const std::string t = Trimmed(text);
  const size_t point = t.find('.');
  if (point != std::string::npos && t.size() > point + 4 && t.find_first_not_of('0', point + 4) != std::string::npos)
    return Formatted(strings::id::kLimitDecimalsProblem, t.c_str(), CommandLimitText(PageLimit(*metres)).c_str());
  return LimitProblem(*metres);
}

bool JudgementFlagOk(int32_t flag) { return flag == 0 || flag == 1; }

bool IntervalSecondsOk(int32_t seconds) { return IntervalProblem(seconds).empty(); }

std::string IntervalProblem(int32_t seconds) {
  if (seconds % 60 != 0 && seconds > 0 && seconds < kMaxIntervalSeconds) {
    // As the page's fields show the interval and take it back.
    const std::string shown = IntervalHoursMinutesText(seconds);
    const int sent = IntervalFromFields(shown.substr(0, 2) + shown.substr(3, 2), IntervalDaysText(seconds));
    return Formatted(strings::id::kIntervalMinutesProblem, static_cast<long>(seconds), static_cast<long>(sent));
  }
  if (seconds < kMinIntervalSeconds || seconds > kMaxIntervalSeconds)
    return Formatted(strings::id::kIntervalRangeProblem, static_cast<long>(seconds));
  return std::string();
}

std::optional<int32_t> IntervalFromFieldTexts(const std::string& daysText, const std::string& hoursMinutesDigits) {
  const std::optional<int32_t> days = daysText.empty() ? std::optional<int32_t>(0) : StrictInt(daysText);
  if (!days || *days < 0 || *days > kMaxIntervalDays) return std::nullopt;
  if (hoursMinutesDigits.size() != 4 || !DigitsOnly(hoursMinutesDigits)) return std::nullopt;
  const int hours = Digits(hoursMinutesDigits, 0, 2);
  const int minutes = Digits(hoursMinutesDigits, 2, 2);
  if (hours > 23 || minutes > 59) return std::nullopt;
  const int32_t seconds = *days * 86400 + hours * 3600 + minutes * 60;
  if (!IntervalSecondsOk(seconds)) return std::nullopt;
  return seconds;
}

bool TransmissionOk(int32_t count) { return count >= 0 && count <= kMaxTransmission; }

std::string TransmissionProblem(int32_t count) {
  return TransmissionOk(count) ? std::string()
                               : Formatted(strings::id::kTransmissionRangeProblem, static_cast<long>(count));
}

std::optional<int32_t> TransmissionFromText(const std::string& text) {
  const std::optional<int32_t> n = StrictInt(text);
  if (!n || !TransmissionOk(*n)) return std::nullopt;
  return n;
}

bool StartTimeOk(const CSdlTime& t) {
  if (t.year < 2000 || t.year > 2099 || t.month < 1 || t.month > 12) return false;
  if (t.day < 1 || t.day > DaysInMonth(t.year, t.month)) return false;
  return t.hour >= 0 && t.hour <= 23 && t.minute >= 0 && t.minute <= 59 && t.second >= 0 && t.second <= 59;
}

std::optional<CSdlTime> StartTimeFromText(const std::string& text) {
  const std::string t = Trimmed(text);
  const size_t blank = t.find(' ');
  if (blank == std::string::npos) return std::nullopt;
  const std::vector<std::string> date = DateParts(t.substr(0, blank));
  const std::vector<std::string> clock = DateParts(Trimmed(t.substr(blank + 1)));
  if (date.size() != 3 || (clock.size() != 2 && clock.size() != 3)) return std::nullopt;
  int values[6] = {};
  for (size_t i = 0; i < 6; ++i) {
    const std::string& part = i < 3 ? date[i] : i - 3 < clock.size() ? clock[i - 3] : std::string("0");
    if (!DigitsOnly(part) || part.size() > 4) return std::nullopt;
    values[i] = Digits(part, 0, part.size());
  }
  CSdlTime time;
  time.year = values[0];
  time.month = values[1];
  time.day = values[2];
  time.hour = values[3];
  time.minute = values[4];
  time.second = values[5];
  if (!StartTimeOk(time)) return std::nullopt;
  return time;
}

std::string StartTimeProblem(const CSdlTime& time) {
  if (time.second == 0) return std::string();
  char seconds[8];
  std::snprintf(seconds, sizeof seconds, ":%02d", time.second);
  const std::string minute = MinuteText(time);
  return Formatted(strings::id::kStartMinutesProblem, (minute + seconds).c_str(), minute.c_str());
}

std::optional<CSdlTime> StartTimeFromDigits(const std::string& digits) {
  if (digits.size() != 10 || !DigitsOnly(digits)) return std::nullopt;
  CSdlTime time;
  time.year = 2000 + Digits(digits, 0, 2);
  time.month = Digits(digits, 2, 2);
  time.day = Digits(digits, 4, 2);
  time.hour = Digits(digits, 6, 2);
  time.minute = Digits(digits, 8, 2);
  if (!StartTimeOk(time)) return std::nullopt;
  return time;
}

std::optional<std::string> CanonicalAuth(const std::string& text) {
  std::string upper = Trimmed(text);
  for (char& c : upper)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  if (upper == "NONE") return std::string();
  if (upper == "PAP" || upper == "CHAP") return upper;
  return std::nullopt;
}

bool AccessPointTextOk(const std::string& ansi) {
  if (ansi.size() > kMaxAccessPointText) return false;
  for (const char ch : ansi) {
    const unsigned char c = static_cast<unsigned char>(ch);
    const bool alnum = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
    // Half-width katakana letters and sound marks, single bytes in the code page.
    const bool kana = c >= 0xA6 && c <= 0xDF;
    if (!alnum && !kana && !IsAddressSymbol(c)) return false;
  }
  return true;
}

std::optional<std::string> AccessPointTextFromUtf8(const std::string& utf8) {
  std::string ansi;
  if (!codepage::Utf8ToAnsiExact(utf8, &ansi) || !AccessPointTextOk(ansi)) return std::nullopt;
  return ansi;
}

}  // namespace value_checks
