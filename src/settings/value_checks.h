#pragma once
// One check per value that reaches the logger: a value passes only when the
// page that sets it could have sent it. The settings file import, the
// command-line options and the page edits all use these, so that a value is
// judged the same way whichever way it came in.
//
// Texts are judged as a whole: a number is ASCII digits with an optional
// leading "-" (and, for reals, one "." and no exponent); blanks around it are
// allowed, anything else (trailing text, a decimal comma, full-width digits,
// "inf", "nan") is not.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "protocol/device_record.h"

namespace value_checks {

// ---- numbers ----
std::optional<int32_t> StrictInt(const std::string& text);
std::optional<double> StrictDecimal(const std::string& text);
// Digits after the decimal point of a text that StrictDecimal accepts.
int DecimalPlaces(const std::string& text);

// ---- battery cut-off (battery page: 2.4 to 3.6 V in steps of 0.1 V) ----
constexpr int kBatteryMinMillivolts = 2400;
constexpr int kBatteryMaxMillivolts = 3600;
constexpr int kBatteryStepMillivolts = 100;
// Empty when the logger gets exactly this cut-off (a step of 100 mV within
// the range), else the reason with the value and the steps beside it.
std::string BatteryProblem(int32_t millivolts);
// The page's voltage field or the command line: volts with at most one
// decimal within the range; the millivolts the page sends.
std::optional<int32_t> BatteryFromVoltsText(const std::string& text);

// ---- judgement limits (limit fields: -9999.999 to 9999.999 m) ----
constexpr double kLimitMagnitude = 9999.999;
// Finite and, rounded to the three decimals of the page, within the range;
// the formatted limits then never exceed the command's form.
bool LimitOk(double metres);
std::optional<double> LimitFromText(const std::string& text);
// Empty when the limit reaches the logger as given (within the range, no
// more than the page's three decimals), else the reason with the value the
// command would carry. The text form also refuses further non-zero digits
// that the command's four decimals would hide.
std::string LimitProblem(double metres);
std::string LimitTextProblem(const std::string& text);
// A judgement on/off flag: 1 on, 0 off.
bool JudgementFlagOk(int32_t flag);

// ---- measurement schedule ----
constexpr int kMaxIntervalDays = 10;
constexpr int kMaxTransmission = 240;
// An interval is 1 minute to 10 days in whole minutes, as the page's range
// text says; the page's fields drop seconds.
constexpr int32_t kMinIntervalSeconds = 60;
constexpr int32_t kMaxIntervalSeconds = kMaxIntervalDays * 86400;
bool IntervalSecondsOk(int32_t seconds);
// Empty when the interval reaches the logger as given, else the reason
// with the value (and, for seconds the page drops, what it would send).
std::string IntervalProblem(int32_t seconds);
// The page's interval fields: days text and the four digits "hhmm"; a zero
// interval or one beyond 10 days is refused.
std::optional<int32_t> IntervalFromFieldTexts(const std::string& daysText, const std::string& hoursMinutesDigits);
bool TransmissionOk(int32_t count);
std::string TransmissionProblem(int32_t count);
std::optional<int32_t> TransmissionFromText(const std::string& text);

// A real date and time in the years 2000 to 2099.
bool StartTimeOk(const CSdlTime& time);
// The settings file's "Y-M-D h:m[:s]" (each separator any of "-/:_"),
// checked as above.
std::optional<CSdlTime> StartTimeFromText(const std::string& text);
// Empty when the start time has no seconds (the start field and the "ST STM"
// command carry minutes), else the reason with the minute that would be sent.
std::string StartTimeProblem(const CSdlTime& time);
// The start field's ten digits "YYMMDDhhmm" (year 20YY, seconds 0).
std::optional<CSdlTime> StartTimeFromDigits(const std::string& digits);

// ---- access point ----
// "none", "PAP" or "CHAP" in any case, as the logger's record holds them:
// "" for none, else "PAP" or "CHAP".
std::optional<std::string> CanonicalAuth(const std::string& text);
// A name, user id or password in the logger's code page: only what the
// page's address edit lets through (half-width letters and digits and the
// symbols ! " # $ % & ' * + - . / = ? @ ^ _ { | } ~).
// The longest access point text a "MAIL APN %s" line (95 characters at most)
// carries whole.
constexpr size_t kMaxAccessPointText = 86;
bool AccessPointTextOk(const std::string& ansi);
// The same for a UTF-8 text, converted to the code page; nullopt when a
// character is not accepted or the code page cannot hold it.
std::optional<std::string> AccessPointTextFromUtf8(const std::string& utf8);

}  // namespace value_checks
