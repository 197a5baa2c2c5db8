#pragma once
// The forms in which the setting commands take their values, and how those
// values become the texts of the pages' fields. Each check returns an empty
// text when the value is acceptable, else the reason (CLI11 validators).
#include <optional>
#include <string>

// "YYYY-MM-DD hh:mm", a real date and time in the years 2000 to 2099 (as
// the start field holds them), to the ten digits "YYMMDDhhmm" of the field.
std::optional<std::string> StartDigitsFromText(const std::string& text);
std::string CheckStartText(const std::string& text);

// "D:HH:MM" (1 minute to 10 days) to the days field and the four digits "HHMM" of
// the hours-and-minutes field.
struct IntervalTexts {
  std::string days;
  std::string digits;
};
std::optional<IntervalTexts> IntervalTextsFromText(const std::string& text);
std::string CheckIntervalText(const std::string& text);

// Volts as the battery page sends them: 2.4 to 3.6 with at most one decimal.
std::string CheckVoltsText(const std::string& text);

// Metres as a limit field takes them: a number from -9999.999 to 9999.999
// with no more than three decimals that are not zero.
std::string CheckLimitText(const std::string& text);

// A whole number from `low` to `high` as an option takes it; the reason
// names the range in the option's terms (`what`: "records").
std::string CheckWholeNumber(const std::string& text, long low, long high, const char* what);
