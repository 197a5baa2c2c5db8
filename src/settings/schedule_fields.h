#pragma once
// Conversions between the measurement schedule of the device record and the
// fields in which the measurement pages show and edit it: intervals in
// seconds as days, hours and minutes; the start time as the digits of a
// "20YY-MM-DD hh:mm" masked field.
#include <cstdint>
#include <string>

#include "protocol/device_record.h"

struct IntervalFields {
  int days = 0;
  int hours = 0;
  int minutes = 0;
};

// As the measurement page shows an interval: whole days, then hours (0-23)
// and minutes (0-59); seconds are dropped.
IntervalFields IntervalDisplayFields(int seconds);

// As the schedule editor fills its fields: like IntervalDisplayFields, with
// the days taken modulo 100 (the days field holds two digits).
IntervalFields IntervalEditFields(int seconds);

// The editor's hours-and-minutes text "hh:mm" and days text "%d".
std::string IntervalHoursMinutesText(int seconds);
std::string IntervalDaysText(int seconds);

// The interval in seconds from the editor's fields: the four digits "hhmm"
// of the masked field (an unfilled position reads "_") and the days text.
// Each part is read as a leading decimal number (none gives 0).
int IntervalFromFields(const std::string& hoursMinutesDigits, const std::string& daysText);

// The start time as the editor's full text "20YY-MM-DD hh:mm" (year modulo
// 100; seconds are not shown).
std::string StartTimeEditText(const CSdlTime& start);

// The start time from the editor's ten digits "YYMMDDhhmm" (unfilled
// positions read "_"): year 2000 + YY, seconds 0.
CSdlTime StartTimeFromDigits(const std::string& digits);

// The preset start text "%Y-%m-%d %H:%M" of the PC's local time two minutes
// after `nowSeconds` (seconds since the epoch).
std::string StartTimePresetText(int64_t nowSeconds);

// The logger clock as the pages show it, "%Y-%m-%d %H:%M:%S", or an empty
// text while there is no clock (an estimate of 86400 seconds or less).
std::string DeviceClockText(int64_t deviceClockSeconds);
