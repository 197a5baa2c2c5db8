#pragma once
// Number conversions of the settings file and the input pages. They follow
// the C library's decimal conversions (leading white space skipped, an
// optional sign, the leading number, 0 when there is none) but never depend
// on the process locale, which the user interface may have changed: the file
// always uses a decimal point.
#include <cstdint>
#include <string>

// The leading decimal integer of the text, like atoi(); values beyond the
// 32-bit range are clamped to it.
int32_t DecimalToInt(const std::string& text);

// The leading real number of the text, like strtod() in the "C" locale.
double DecimalToDouble(const std::string& text);

// The value with exactly `decimals` digits after a decimal point, as "%.*f"
// prints it in the "C" locale.
std::string FormatFixed(double value, int decimals);
