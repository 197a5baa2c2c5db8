#include "operations/page_fields.h"

#include "common/codepage.h"
#include "settings/decimal_text.h"
#include "settings/schedule_fields.h"
#include "settings/wizard_values.h"

namespace {

// The characters at the digit positions of a masked field's full text.
std::string MaskedDigits(const std::string& text, const std::string& mask) {
  std::string digits;
  for (size_t i = 0; i < mask.size(); ++i)
    if (mask[i] == 'D') digits += i < text.size() ? text[i] : '_';
  return digits;
}

constexpr const char* kStartMask = "  DD DD DD DD DD";
constexpr const char* kIntervalMask = "DD DD";

}  // namespace

JudgementFields JudgementFieldsFrom(const CVT7SysInfo& working) {
  JudgementFields f;
  f.upper = LimitFieldText(working.upperThreshold);
  f.lower = LimitFieldText(working.lowerThreshold);
  f.upperOn = working.upperEnabled == 1;
  f.lowerOn = working.lowerEnabled == 1;
  return f;
}

void StoreJudgementFields(const JudgementFields& fields, CVT7SysInfo* working) {
  working->upperEnabled = fields.upperOn ? 1 : 0;
  working->lowerEnabled = fields.lowerOn ? 1 : 0;
  working->upperThreshold = LimitFromFieldText(fields.upper);
  working->lowerThreshold = LimitFromFieldText(fields.lower);
}

ScheduleFields ScheduleFieldsFrom(const CVT7SysInfo& working) {
  ScheduleFields f;
  f.startDigits = MaskedDigits(StartTimeEditText(working.startTime), kStartMask);
  f.intervalDigits = MaskedDigits(IntervalHoursMinutesText(working.sampling), kIntervalMask);
  f.intervalDays = IntervalDaysText(working.sampling);
  f.transmission = std::to_string(working.interval);
  f.eventIntervalDigits = MaskedDigits(IntervalHoursMinutesText(working.eventSampling), kIntervalMask);
  f.eventIntervalDays = IntervalDaysText(working.eventSampling);
  f.eventTransmission = std::to_string(working.eventInterval);
  return f;
}

void StoreScheduleFields(const ScheduleFields& fields, CVT7SysInfo* working) {
  working->measuring = 1;
  working->sampling = IntervalFromFields(fields.intervalDigits, fields.intervalDays);
  working->startTime = StartTimeFromDigits(fields.startDigits);
  working->interval = DecimalToInt(fields.transmission);
  working->eventSampling = IntervalFromFields(fields.eventIntervalDigits, fields.eventIntervalDays);
  working->eventInterval = DecimalToInt(fields.eventTransmission);
}

AccessPointFields AccessPointFieldsFrom(const CVT7MailInfo& working) {
  AccessPointFields f;
  f.name = codepage::AnsiToUtf8(working.apn);
  f.user = codepage::AnsiToUtf8(working.apnUser);
  f.password = codepage::AnsiToUtf8(working.apnPassword);
  f.auth = working.apnAuth == "PAP" ? "PAP" : working.apnAuth == "CHAP" ? "CHAP" : "none";
  return f;
}

void StoreAccessPointFields(const AccessPointFields& fields, CVT7MailInfo* working) {
  if (fields.carrier != kCarrierOther) return;
  working->apn = codepage::Utf8ToAnsi(fields.name);
  working->apnUser = codepage::Utf8ToAnsi(fields.user);
  working->apnPassword = codepage::Utf8ToAnsi(fields.password);
  working->apnAuth = fields.auth == "none" ? std::string() : fields.auth;
}
