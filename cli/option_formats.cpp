#include "option_formats.h"

#include <cctype>
#include <cstdlib>

#include "settings/decimal_text.h"

namespace {

bool AllDigits(const std::string& s) {
  if (s.empty()) return false;
  for (const char c : s)
    if (!std::isdigit(static_cast<unsigned char>(c))) return false;
  return true;
}

// The number of a run of digits at pos with the given length, or -1.
int DigitsAt(const std::string& text, size_t pos, size_t length) {
  if (pos + length > text.size()) return -1;
  const std::string part = text.substr(pos, length);
  return AllDigits(part) ? std::atoi(part.c_str()) : -1;
}

bool InRange(int value, int low, int high) { return value >= low && value <= high; }

}  // namespace

std::optional<std::string> StartDigitsFromText(const std::string& text) {
  // YYYY-MM-DD hh:mm
  if (text.size() != 16 || text[4] != '-' || text[7] != '-' || text[10] != ' ' || text[13] != ':') return std::nullopt;
  const int year = DigitsAt(text, 0, 4), month = DigitsAt(text, 5, 2), day = DigitsAt(text, 8, 2),
            hour = DigitsAt(text, 11, 2), minute = DigitsAt(text, 14, 2);
  if (!InRange(year, 2000, 2099) || !InRange(month, 1, 12) || !InRange(day, 1, 31) || !InRange(hour, 0, 23) ||
      !InRange(minute, 0, 59))
    return std::nullopt;
  return text.substr(2, 2) + text.substr(5, 2) + text.substr(8, 2) + text.substr(11, 2) + text.substr(14, 2);
}

std::string CheckStartText(const std::string& text) {
  return StartDigitsFromText(text)
             ? std::string()
             : "expected \"YYYY-MM-DD hh:mm\" with a year from 2000 to 2099, e.g. 2026-01-03 08:30";
}

std::optional<IntervalTexts> IntervalTextsFromText(const std::string& text) {
  const size_t first = text.find(':');
  if (first == std::string::npos || first == 0 || first > 2 || text.size() != first + 6 || text[first + 3] != ':')
    return std::nullopt;
  const int days = DigitsAt(text, 0, first), hours = DigitsAt(text, first + 1, 2),
            minutes = DigitsAt(text, first + 4, 2);
  if (!InRange(days, 0, 10) || !InRange(hours, 0, 23) || !InRange(minutes, 0, 59)) return std::nullopt;
  return IntervalTexts{std::to_string(days), text.substr(first + 1, 2) + text.substr(first + 4, 2)};
}

std::string CheckIntervalText(const std::string& text) {
  return IntervalTextsFromText(text) ? std::string()
                                     : "expected D:HH:MM with 0 to 10 days, e.g. 0:00:10 for 10 minutes";
}

std::string CheckVoltsText(const std::string& text) {
  int digits = 0, points = 0;
  for (const char c : text) {
    if (std::isdigit(static_cast<unsigned char>(c)))
      ++digits;
    else if (c == '.')
      ++points;
    else
      return "expected volts such as 3.3";
  }
  return digits > 0 && points <= 1 ? std::string() : "expected volts such as 3.3";
}

std::string CheckLimitText(const std::string& text) {
  static const std::string kReason = "expected metres from -9999.999 to 9999.999, e.g. 1.25";
  int digits = 0, points = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (std::isdigit(static_cast<unsigned char>(c)))
      ++digits;
    else if (c == '.')
      ++points;
    else if (c != '-' || i != 0)
      return kReason;
  }
  if (digits == 0 || points > 1) return kReason;
  const double value = DecimalToDouble(text);
  return value >= -9999.999 && value <= 9999.999 ? std::string() : kReason;
}
