#include "info_fields.h"

#include <cstdio>

#include "common/codepage.h"
#include "session/device_session.h"

namespace {

std::string DateTimeOf(const CSdlTime& t) { return DateTimeText(t.year, t.month, t.day, t.hour, t.minute, t.second); }

std::string Text(const std::string& ansi) { return codepage::AnsiToUtf8(ansi); }

}  // namespace

std::string DateTimeText(int year, int month, int day, int hour, int minute, int second) {
  char buf[96];
  std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", year, month, day, hour, minute, second);
  return buf;
}

nlohmann::ordered_json InfoObject(const CDeviceSession& session, bool showPassword) {
  const CVT7SysInfo& sys = session.Current().sys;
  const CVT7MailInfo& mail = session.Current().mail;
  nlohmann::ordered_json j;
  j["device"] = Text(session.DeviceName());
  j["version"] = Text(session.Version());
  j["serial"] = Text(sys.serialNumber);
  j["imei"] = Text(mail.imei);
  j["first_id"] = sys.firstId;
  j["last_id"] = sys.lastId;
  j["clock"] = DateTimeOf(sys.clock);
  int64_t offset = 0;
  if (session.GetClockOffset(&offset))
    j["clock_offset_s"] = offset;
  else
    j["clock_offset_s"] = nullptr;
  j["measuring"] = sys.measuring != 0;
  j["start"] = DateTimeOf(sys.startTime);
  j["next"] = DateTimeOf(sys.nextTime);
  j["sampling_s"] = sys.sampling;
  j["event_sampling_s"] = sys.eventSampling;
  j["interval"] = sys.interval;
  j["event_interval"] = sys.eventInterval;
  j["upper_m"] = sys.upperThreshold;
  j["lower_m"] = sys.lowerThreshold;
  j["upper_on"] = sys.upperEnabled == 1;
  j["lower_on"] = sys.lowerEnabled == 1;
  j["battery_cutoff_mv"] = sys.batteryAlert;
  j["apn"] = Text(mail.apn);
  j["apn_user"] = Text(mail.apnUser);
  // An empty password stays empty: that none is set is no secret.
  j["apn_password"] = showPassword || mail.apnPassword.empty() ? Text(mail.apnPassword) : kMaskedPassword;
  j["apn_auth"] = Text(mail.apnAuth);
  j["host"] = Text(mail.host);
  j["port"] = Text(mail.port);
  j["post"] = Text(mail.post);
  j["mydial"] = Text(mail.myDial);
  return j;
}

std::string InfoLines(const nlohmann::ordered_json& info) {
  std::string out;
  for (const auto& [key, value] : info.items()) {
    out += key;
    out += ": ";
    out += value.is_string() ? value.get<std::string>() : value.dump();
    out += '\n';
  }
  return out;
}
