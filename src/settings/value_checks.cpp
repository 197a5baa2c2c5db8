#include "settings/value_checks.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include "common/codepage.h"
#include "settings/decimal_text.h"
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

bool BatteryMillivoltsOk(int32_t millivolts) {
  // The page shows the volts with one decimal and sends what it shows.
  const int sent = MillivoltsFromVoltsText(VoltsFieldText(millivolts));
  return sent >= kBatteryMinMillivolts && sent <= kBatteryMaxMillivolts;
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

bool JudgementFlagOk(int32_t flag) { return flag == 0 || flag == 1; }

bool IntervalSecondsOk(int32_t seconds) { return seconds >= 0 && seconds <= kMaxIntervalSeconds; }

std::optional<int32_t> IntervalFromFieldTexts(const std::string& daysText, const std::string& hoursMinutesDigits) {
  const std::optional<int32_t> days = daysText.empty() ? std::optional<int32_t>(0) : StrictInt(daysText);
  if (!days || *days < 0 || *days > kMaxIntervalDays) return std::nullopt;
  if (hoursMinutesDigits.size() != 4 || !DigitsOnly(hoursMinutesDigits)) return std::nullopt;
  const int hours = Digits(hoursMinutesDigits, 0, 2);
  const int minutes = Digits(hoursMinutesDigits, 2, 2);
  if (hours > 23 || minutes > 59) return std::nullopt;
  return *days * 86400 + hours * 3600 + minutes * 60;
}

bool TransmissionOk(int32_t count) { return count >= 0 && count <= kMaxTransmission; }

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
