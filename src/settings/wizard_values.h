#pragma once
// Value conversions of the battery and judgement wizard pages.
#include <string>

// The battery field's text of a cut-off in millivolts: volts with one
// decimal (3260 mV shows as "3.3").
std::string VoltsFieldText(int millivolts);

// The cut-off in millivolts from the battery field's text: the volts (a
// decimal number; text that is not one gives 0) times 1000, truncated toward
// zero and limited to the int range.
int MillivoltsFromVoltsText(const std::string& text);

// A judgement limit field's text: three decimals.
std::string LimitFieldText(double metres);

// A judgement limit from its field's text, rounded to three decimals with
// halves away from zero (1.2345 gives 1.235, -1.2345 gives -1.235).
double LimitFromFieldText(const std::string& text);

// The judgement limit fields: metres from -kLimitMax to kLimitMax with
// kLimitDecimals decimals; the battery field: volts with kVoltsDecimals.
constexpr double kLimitMax = 9999.999;
constexpr int kLimitDecimals = 3;
constexpr int kVoltsDecimals = 1;

// The text a number field shows once it loses the focus: the value,
// clamped to the range unless the limits are equal, with `decimals`
// decimals and never a negative zero (-0.0004 gives "0.000"). Values typed
// into a page and values given on the command line both pass through this,
// so the same input sends the same value.
std::string NormalizedFieldText(double value, double minimum, double maximum, int decimals);
// The same for the leading number of a text, as the battery and limit
// fields take it.
std::string NormalizedVoltsText(const std::string& text);
std::string NormalizedLimitText(const std::string& text);
