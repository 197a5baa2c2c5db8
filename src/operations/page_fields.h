#pragma once
// The input fields of the setting pages as texts, filled from the working
// record the way each page shows them and stored back the way its Next
// button takes them. A command edits the fields the user gave on the
// command line and leaves the others as the page would show them, so an
// unchanged field goes to the logger exactly as through the page (for
// example 3260 mV shows as 3.3 V and is sent as 3300).
#include <string>

#include "protocol/device_record.h"

// The battery cut-off page's one field, volts with one decimal, is
// VoltsFieldText / MillivoltsFromVoltsText of settings/wizard_values.h.

// ---- judgement criteria page ----
struct JudgementFields {
  std::string upper;  // metres, three decimals
  std::string lower;
  bool upperOn = true;
  bool lowerOn = true;
};
JudgementFields JudgementFieldsFrom(const CVT7SysInfo& working);
void StoreJudgementFields(const JudgementFields& fields, CVT7SysInfo* working);

// ---- measurement schedule page ----
struct ScheduleFields {
  std::string startDigits;     // "YYMMDDhhmm" of the masked field "20YY-MM-DD hh:mm"
  std::string intervalDigits;  // "hhmm" of the masked field "hh:mm"
  std::string intervalDays;
  std::string transmission;
  std::string eventIntervalDigits;
  std::string eventIntervalDays;
  std::string eventTransmission;
};
ScheduleFields ScheduleFieldsFrom(const CVT7SysInfo& working);
// Also switches measurement on, as the page's Next does.
void StoreScheduleFields(const ScheduleFields& fields, CVT7SysInfo* working);

// ---- access point page ----
enum AccessPointCarrier : int { kCarrierIij = 0, kCarrierSoracom = 1, kCarrierOther = 2 };

struct AccessPointFields {
  int carrier = kCarrierOther;  // the page always opens on "other"
  std::string name;             // UTF-8, as shown
  std::string user;
  std::string password;
  std::string auth = "none";  // "none", "PAP" or "CHAP"
};
AccessPointFields AccessPointFieldsFrom(const CVT7MailInfo& working);
// Only for the carrier "other": the fields replace the working record's
// access point ("none" becomes an empty authentication type).
void StoreAccessPointFields(const AccessPointFields& fields, CVT7MailInfo* working);
