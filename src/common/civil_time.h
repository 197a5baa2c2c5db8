#pragma once
// Calendar arithmetic on the proleptic Gregorian calendar without the C
// library's time zone functions, which differ between platforms (timegm and
// gmtime_r are POSIX).
#include <cstdint>
#include <ctime>

namespace civil_time {

// Seconds since 1970-01-01 00:00:00 of the fields read as UTC. Fields out of
// their range carry into the next larger one (31 April is 1 May).
int64_t SecondsFromFields(const std::tm& fields);
// The fields (year, month, day, hour, minute, second, weekday, day of year)
// of seconds since 1970 read as UTC.
std::tm FieldsFromSeconds(int64_t seconds);

}  // namespace civil_time
