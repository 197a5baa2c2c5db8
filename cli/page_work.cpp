#include "page_work.h"

#include <climits>
#include <string>

#include "common/string_table.h"
#include "page_fields.h"
#include "session/device_session.h"

int ResetPageWork(CDeviceSession& session) {
  // The page reports a closed port with the general failure text.
  const int r = session.ResetDevice();
  if (r != session_rc::kOk) {
    session.SetErrorMessage(session_rc::kFailed);
    return 0;
  }
  session.SetResultMessage(strings::Text(strings::id::kSuccess));
  return 1;
}

int BatteryPageWork(CDeviceSession& session) {
  const int r = session.SetBatteryCutoff();
  if (r == session_rc::kOk) return 1;
  session.SetErrorMessage(r == session_rc::kNotConnected ? r : session_rc::kFailed);
  return 0;
}

int AccessPointPageWork(CDeviceSession& session, int carrier) {
  uint16_t flags = 0;
  const int r = session.SetAccessPoint(&flags, carrier);
  if (r >= 0) return 1;
  std::string refused;
  if (flags & apply_flags::kApn) refused += "-APN";
  if (flags & apply_flags::kApnUser) refused += "-APU";
  if (flags & apply_flags::kApnPassword) refused += "-APP";
  if (flags & apply_flags::kApnAuth) refused += "-APA";
  if (refused.empty()) {
    session.SetErrorMessage(r);
  } else {
    const std::string detail = "Error: ( " + refused + " )";
    session.SetErrorMessage(r, detail.c_str());
  }
  return 0;
}

int JudgementPageWork(CDeviceSession& session) {
  uint16_t flags = 0;
  const int r = session.ApplyThresholds(&flags);
  if (r >= 0) return 1;
  session.SetErrorMessage(r);
  return 0;
}

int MeasurementPageWork(CDeviceSession& session) {
  uint16_t flags = 0;
  const int r = session.ApplyMeasurementSettings(&flags);
  if (r >= 0) return 1;
  static const struct {
    uint16_t bit;
    const char* line;
  } kFailedCommands[] = {{apply_flags::kSampling, "Err SMP\r\n"},       {apply_flags::kInterval, "Err ITV\r\n"},
                         {apply_flags::kEventSampling, "Err SMP2\r\n"}, {apply_flags::kEventInterval, "Err ITV2\r\n"},
                         {apply_flags::kStop, "Err STP\r\n"},           {apply_flags::kStart, "Err STM\r\n"}};
  std::string detail;
  for (const auto& c : kFailedCommands)
    if (flags & c.bit) detail += c.line;
  session.SetErrorMessage(r, detail.empty() ? nullptr : detail.c_str());
  return 0;
}

int ImeiPageWork(CDeviceSession& session, std::string* imei) {
  const int r = session.ReadImei(imei);
  if (r == session_rc::kOk) return 1;
  session.SetErrorMessage(r == session_rc::kNotConnected ? r : session_rc::kFailed);
  return 0;
}

int AntennaPageWork(CDeviceSession& session, std::optional<int>* signalDbm) {
  // A reading the logger leaves untouched (an empty listing) is no reading.
  constexpr int kUntouched = INT_MIN;
  int value = kUntouched;
  const int r = session.ReadAntenna(&value);
  if (r < 0) {
    session.SetErrorMessage(r);
    signalDbm->reset();
    return 0;
  }
  if (value == kUntouched)
    signalDbm->reset();
  else
    *signalDbm = value;
  return 1;
}

int TestMailPageWork(CDeviceSession& session) {
  const int r = session.SendTestTransmission();
  if (r == session_rc::kOk) return 1;
  session.SetErrorMessage(r == session_rc::kNotConnected ? r : session_rc::kFailed);
  return 0;
}
