// Arbitrary files through the checked import: whatever passes the checks of
// all four items must make command lines of the logger's forms -- whole
// lines that fit the command buffer, with only characters of the code page.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "common/codepage.h"
#include "settings/schedule_fields.h"
#include "settings/settings_import.h"
#include "settings/value_checks.h"
#include "settings/wizard_values.h"

namespace {

// The longest command line the protocol layer sends whole (without CR LF).
constexpr size_t kMaxLine = 95;

void Require(bool condition) {
  if (!condition) std::abort();
}

template <typename... Args>
std::string Line(const char* format, Args... args) {
  char buffer[256];
  const int n = std::snprintf(buffer, sizeof buffer, format, args...);
  Require(n > 0 && static_cast<size_t>(n) <= kMaxLine);
  return std::string(buffer, static_cast<size_t>(n));
}

// A value sent as text: no line break, no NUL, every byte a character of
// the code page.
void RequireSendable(const std::string& text) {
  for (const char c : text) Require(c != '\r' && c != '\n' && c != '\0');
  Require(codepage::AnsiToUtf8(text).find("\xEF\xBF\xBD") == std::string::npos);
  Line("MAIL APN %s", text.c_str());
}

void RequireDuration(int seconds) {
  Require(value_checks::IntervalSecondsOk(seconds));
  // The page's fields hold it without wrapping: days fit the two digits.
  const IntervalFields f = IntervalEditFields(seconds);
  Require(f.days <= value_checks::kMaxIntervalDays);
  Line("ST SMP D%02dH%02dM%02dS%02d", f.days, f.hours, f.minutes, 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string bytes(reinterpret_cast<const char*>(data), size);
  if (bytes.size() > CVTCSettingWork::kMaxFileBytes) bytes.resize(CVTCSettingWork::kMaxFileBytes);
  settings_import::SettingsText file;
  if (settings_import::DecodeSettingsBytes(bytes, &file) != SettingsFileLoad::kOk) return 0;

  // Start from values the pages can send, so that only the file's values are judged.
  DeviceRecord record;
  record.sys.batteryAlert = 3000;
  record.sys.startTime = CSdlTime{2026, 1, 1, 0, 0, 0};
  record.sys.sampling = 600;  // a zero interval is never sent
  record.sys.eventSampling = 600;
  CVTCSettingWork::ApplySettingsText(file.text, record);
  if (!settings_import::CheckTickedItems(file, {6, 11, 21, 22}, &record).empty()) return 0;

  const CVT7SysInfo& sys = record.sys;
  const int millivolts = MillivoltsFromVoltsText(VoltsFieldText(sys.batteryAlert));
  Require(millivolts >= value_checks::kBatteryMinMillivolts && millivolts <= value_checks::kBatteryMaxMillivolts);
  Line("ST BAT %d", millivolts);

  const CVT7MailInfo& mail = record.mail;
  for (const std::string* text : {&mail.apn, &mail.apnUser, &mail.apnPassword}) RequireSendable(*text);
  Require(mail.apnAuth.empty() || mail.apnAuth == "PAP" || mail.apnAuth == "CHAP");

  const double upper = LimitFromFieldText(LimitFieldText(sys.upperThreshold));
  const double lower = LimitFromFieldText(LimitFieldText(sys.lowerThreshold));
  const std::string limits = Line("ST ALM AN %.4f %.4f ", upper, lower);
  Require(limits.back() == ' ');
  Require(value_checks::JudgementFlagOk(sys.upperEnabled) && value_checks::JudgementFlagOk(sys.lowerEnabled));

  RequireDuration(sys.sampling);
  RequireDuration(sys.eventSampling);
  Require(value_checks::TransmissionOk(sys.interval) && value_checks::TransmissionOk(sys.eventInterval));
  Line("ST ITV %d", sys.interval);
  Require(value_checks::StartTimeOk(sys.startTime));
  const CSdlTime& t = sys.startTime;
  Line("ST STM %02d/%02d/%02d %02d:%02d", t.year % 100, t.month, t.day, t.hour, t.minute);
  return 0;
}
