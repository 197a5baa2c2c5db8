#include "option_formats.h"

#include <cctype>
#include <cstdlib>

#include "settings/value_checks.h"

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
  if (!InRange(year, 2000, 2099) || month < 0 || day < 0 || hour < 0 || minute < 0) return std::nullopt;
  std::string digits =
      text.substr(2, 2) + text.substr(5, 2) + text.substr(8, 2) + text.substr(11, 2) + text.substr(14, 2);
  // A real date and time, as the schedule page takes it.
  if (!value_checks::StartTimeFromDigits(digits)) return std::nullopt;
  return digits;
}

std::string CheckStartText(const std::string& text) {
  return StartDigitsFromText(text) ? std::string()
                                   : "expected a real date and time \"YYYY-MM-DD hh:mm\" with a year from 2000 to "
                                     "2099, e.g. 2026-01-03 08:30";
}

std::optional<IntervalTexts> IntervalTextsFromText(const std::string& text) {
  const size_t first = text.find(':');
  if (first == std::string::npos || first == 0 || first > 2 || text.size() != first + 6 || text[first + 3] != ':')
    return std::nullopt;
  const int days = DigitsAt(text, 0, first), hours = DigitsAt(text, first + 1, 2),
            minutes = DigitsAt(text, first + 4, 2);
  if (!InRange(days, 0, 10) || !InRange(hours, 0, 23) || !InRange(minutes, 0, 59)) return std::nullopt;
  // 1 minute to 10 days, as the schedule page takes it.
  if (!value_checks::IntervalSecondsOk(days * 86400 + hours * 3600 + minutes * 60)) return std::nullopt;
  return IntervalTexts{std::to_string(days), text.substr(first + 1, 2) + text.substr(first + 4, 2)};
}

std::string CheckIntervalText(const std::string& text) {
  return IntervalTextsFromText(text)
             ? std::string()
             : "expected D:HH:MM from 0:00:01 (1 minute) to 10:00:00 (10 days), e.g. 0:00:10 for 10 minutes";
}

std::string CheckVoltsText(const std::string& text) {
  return value_checks::BatteryFromVoltsText(text) ? std::string()
                                                  : "expected volts from 2.4 to 3.6 with at most one decimal, e.g. 3.3";
}

std::string CheckLimitText(const std::string& text) {
  if (!value_checks::LimitFromText(text)) return "expected metres from -9999.999 to 9999.999, e.g. 1.25";
  // More decimals than the logger takes: named with what would be sent.
  return value_checks::LimitTextProblem(text);
}

std::string CheckWholeNumber(const std::string& text, long low, long high, const char* what) {
  const std::optional<int32_t> n = value_checks::StrictInt(text);
  if (n && *n >= low && *n <= high) return std::string();
  return "expected a whole number of " + std::string(what) + " from " + std::to_string(low) + " to " +
         std::to_string(high) + ", not \"" + text + "\"";
}
