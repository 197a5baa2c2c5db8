#pragma once
// Number text in the "C" locale (a '.' decimal point) whatever locale the
// process runs in. One implementation per platform.

// strtod() of the "C" locale: the value of the longest leading number, 0 without one.
double StrtodC(const char* text);
