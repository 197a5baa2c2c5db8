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
