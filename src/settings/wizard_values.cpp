#include "settings/wizard_values.h"

#include <cmath>
#include <limits>

#include "settings/decimal_text.h"

namespace {

int ClampToInt(double value) {
  if (std::isnan(value)) return 0;
  if (value >= static_cast<double>(std::numeric_limits<int>::max())) return std::numeric_limits<int>::max();
  if (value <= static_cast<double>(std::numeric_limits<int>::min())) return std::numeric_limits<int>::min();
  return static_cast<int>(value);
}

}  // namespace

std::string VoltsFieldText(int millivolts) { return FormatFixed(millivolts / 1000.0, 1); }

int MillivoltsFromVoltsText(const std::string& text) { return ClampToInt(DecimalToDouble(text) * 1000); }

std::string LimitFieldText(double metres) { return FormatFixed(metres, 3); }

double LimitFromFieldText(const std::string& text) {
  const double x = DecimalToDouble(text);
  const double scaled = x >= 0 ? x * 1000 + 0.5 : x * 1000 - 0.5;
  if (!std::isfinite(scaled)) return x;
  return std::trunc(scaled) * 0.001;
}

std::string NormalizedFieldText(double value, double minimum, double maximum, int decimals) {
  if (maximum != minimum) value = value < minimum ? minimum : (value > maximum ? maximum : value);
  std::string out = FormatFixed(value, decimals < 0 ? 0 : decimals);
  // "-0.000": the sign of a value that rounds to zero is dropped.
  if (!out.empty() && out[0] == '-' && out.find_first_not_of("0.", 1) == std::string::npos) out.erase(0, 1);
  return out;
}

std::string NormalizedVoltsText(const std::string& text) {
  return NormalizedFieldText(DecimalToDouble(text), 0, 0, kVoltsDecimals);
}

std::string NormalizedLimitText(const std::string& text) {
  return NormalizedFieldText(DecimalToDouble(text), -kLimitMax, kLimitMax, kLimitDecimals);
}
