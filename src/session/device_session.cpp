#include "session/device_session.h"

#include <strings.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "common/string_table.h"
#include "common/timing.h"
#include "protocol/exchange_times.h"
#include "protocol/listing_parsers.h"

namespace {

constexpr int kTries = 3;
constexpr uint32_t kMeasureReplyMs = 45000;
constexpr uint32_t kOkReplyMs = 5000;
constexpr uint32_t kSlowOkReplyMs = 10000;
constexpr uint32_t kSysListingMs = 3000;
constexpr uint32_t kModuleListingMs = 60000;
constexpr uint32_t kCurrentValuesMs = 10000;
constexpr uint32_t kImageLineMs = 10000;
constexpr int kImageLineTries = 6;
constexpr int64_t kRebootWaitMs = 11000;
constexpr int64_t kWrongWakeDelayMs = 500;
constexpr int kIdentityBuffer = 100;

std::string Format(const char* fmt, int value) {
  char buf[64];
  std::snprintf(buf, sizeof buf, fmt, value);
  return buf;
}

std::string ThresholdText(const CVT7SysInfo& s) {
  char buf[96];
  // Adding +0.0 turns a negative zero into zero: the logger gets no "-0.0000".
  std::snprintf(buf, sizeof buf, "%.04lf %.04lf ", s.upperThreshold + 0.0, s.lowerThreshold + 0.0);
  return buf;
}

// Switches the '#' filter off for the lifetime of the guard.
class ModuleNoticeWindow {
 public:
  explicit ModuleNoticeWindow(CReadData* lines) : lines_(lines) {
    if (lines_) lines_->SetFilter(0);
  }
  ~ModuleNoticeWindow() {
    if (lines_) lines_->SetFilter(1);
  }
  ModuleNoticeWindow(const ModuleNoticeWindow&) = delete;
  ModuleNoticeWindow& operator=(const ModuleNoticeWindow&) = delete;

 private:
  CReadData* lines_;
};

}  // namespace

CDeviceSession::CDeviceSession() = default;

CDeviceSession::~CDeviceSession() { port_.Close(); }

// ---------------------------------------------------------------- connection

int CDeviceSession::Open(const std::string& path) {
  InvalidateClockReference();
  listings_read_ = 0;
  port_.Close();
  port_path_.clear();
  const int r = port_.Open(path, line_settings_);
  if (r != 0) return r;
  port_path_ = path;
  return 0;
}

void CDeviceSession::Close() {
  listings_read_ = 0;
  port_.Close();
  port_path_.clear();
}

int CDeviceSession::Identify() {
  for (int attempt = 0; attempt < kTries; ++attempt) {
    char line[kIdentityBuffer] = {};
    int size = sizeof line;
    const int r = protocol_.Hello(&port_, line, &size);
    if (r == rc::kOk) {
      std::string name = protocol_.DeviceName(), version = protocol_.Version();
      ParseIdentityLine(line, size, &name, &version);
      protocol_.SetIdentity(name, version);
      return 1;
    }
    if (r == rc::kLineLost) break;
    if (r == rc::kUnexpected) timing::SleepMs(kWrongWakeDelayMs);
  }
  return 0;
}

int CDeviceSession::RefreshSystemInfo() {
  for (int attempt = 0; attempt < kTries; ++attempt) {
    CVT7SysInfo fresh;
    const int r = protocol_.ReadSystemInfo(&port_, &fresh);
    if (r == rc::kOk) {
      SetClockReference(fresh.clock);
      current_.sys = fresh;
      listings_read_ |= listing_read::kSystem;
      break;
    }
    if (r == rc::kNoReply || r == rc::kLineLost) break;
  }
  return 1;
}

int CDeviceSession::ReadMailSettings() {
  for (int attempt = 0; attempt < kTries; ++attempt) {
    std::vector<std::string> lines;
    const int r = protocol_.ReadReplyLines(&port_, "MAIL DSP\r\n", &lines, kSysListingMs,
                                           CComCtrlVTrelix7::kSettingsListingLineLimit);
    if (r == rc::kOk) {
      CVT7MailInfo fresh;
      for (const auto& l : lines) ParseMailInfoLine(l, &fresh);
      current_.mail = fresh;
      listings_read_ |= listing_read::kMail;
      break;
    }
    if (r == rc::kNoReply || r == rc::kLineLost) break;
  }
  return 1;
}

// ---------------------------------------------------------------- clock

void CDeviceSession::SetClockReference(const CSdlTime& loggerClock) {
  pc_clock_ref_ = timing::NowSeconds();
  logger_clock_ref_ = loggerClock.ToTime();
  clock_valid_ = 1;
}

int CDeviceSession::GetDeviceClock(int64_t* seconds) const {
  if (!clock_valid_) return 0;
  *seconds = logger_clock_ref_ + (timing::NowSeconds() - pc_clock_ref_);
  return 1;
}

int CDeviceSession::GetClockOffset(int64_t* seconds) const {
  if (!clock_valid_) return 0;
  *seconds = logger_clock_ref_ - pc_clock_ref_;
  return 1;
}

void CDeviceSession::InvalidateClockReference() {
  clock_valid_ = 0;
  logger_clock_ref_ = 0;
  pc_clock_ref_ = 0;
}

// ---------------------------------------------------------------- messages

CDeviceSession::OperationGuard::OperationGuard(CDeviceSession& session) : session_(session) {
  bool expected = false;
  acquired_ = session_.operation_running_.compare_exchange_strong(expected, true);
}

CDeviceSession::OperationGuard::~OperationGuard() {
  if (acquired_) session_.operation_running_.store(false);
}

std::string CDeviceSession::MessageForCode(int code) {
  switch (code) {
    case session_rc::kNoResponse: return strings::Text(strings::id::kNoDeviceResponse);
    case session_rc::kNotConnected: return strings::Text(strings::id::kNotConnected);
    case session_rc::kMemory: return strings::Text(strings::id::kMemoryFailed);
    case session_rc::kAborted: return strings::Text(strings::id::kAborted);
    case session_rc::kModuleStepRefused: return strings::Text(strings::id::kImeiUnavailable);
    case session_rc::kModuleSettingFailed: return strings::Text(strings::id::kModuleSettingFailed);
    case session_rc::kBusy: return "Another operation is still running. Try again when it has ended.";
    case session_rc::kLineLost: return strings::Text(strings::id::kLineLost);
    default: return strings::Text(strings::id::kFailed);
  }
}

std::string CDeviceSession::MessageOf(int code) const {
  std::string text = MessageForCode(code);
  const std::string reason = code == session_rc::kLineLost ? port_.LineLostReason() : std::string();
  if (!reason.empty() && !text.empty()) text += "\r\n" + reason;
  return text;
}

int CDeviceSession::NotOpen() const { return port_.LineLost() ? session_rc::kLineLost : session_rc::kNotConnected; }

int CDeviceSession::Ended(int code) const { return code < 0 && port_.LineLost() ? session_rc::kLineLost : code; }

void CDeviceSession::SetErrorMessage(int code, const char* detail) {
  if (code >= 0) return;
  if (detail == nullptr && code == session_rc::kLineLost) {
    error_message_ = MessageOf(code);
    return;
  }
  const std::string text = MessageForCode(code);
  if (detail != nullptr && !text.empty())
    error_message_ = text + "\r\n" + detail;
  else
    error_message_ = text;
}

void CDeviceSession::ClearMessages() {
  error_message_.clear();
  result_message_.clear();
}

// ---------------------------------------------------------------- helpers

int CDeviceSession::Retry(int tries, const char* line, const char* expected, uint32_t timeoutMs, bool stopOnRefused) {
  int r = rc::kNoReply;
  for (int i = 0; i < tries; ++i) {
    r = protocol_.SendCommandExpect(&port_, line, expected, timeoutMs);
    if (r == rc::kOk || r == rc::kLineLost || (stopOnRefused && r == rc::kRefused)) break;
  }
  return r;
}

int CDeviceSession::RetryModule(int tries, const char* line, const char* expected, int lineCount) {
  int r = rc::kNoReply;
  for (int i = 0; i < tries; ++i) {
    r = protocol_.SendModuleCommand(&port_, line, expected, lineCount);
    if (r == rc::kOk || r == rc::kRefused || r == rc::kLineLost) break;
  }
  return r;
}

// ---------------------------------------------------------------- measurement

int CDeviceSession::ApplyMeasurementSettings(uint16_t* flags) {
  if (!IsOpen()) return NotOpen();
  uint16_t f = 0;
  CVT7SysInfo& work = working_.sys;
  const CVT7SysInfo& cur = current_.sys;

  int r = rc::kNoReply;
  for (int i = 0; i < kTries && r != rc::kOk; ++i) r = protocol_.SetSampling(&port_, work.sampling);
  if (r != rc::kOk) f |= apply_flags::kSampling;

  if (work.interval != cur.interval &&
      Retry(kTries, Format("ST ITV %d\r\n", work.interval).c_str(), nullptr, exchange_times::kSetReplyMs) != rc::kOk)
    f |= apply_flags::kInterval;

  const std::string smp2 = "ST SMP2 " + FormatDuration(work.eventSampling) + "\r\n";
  if (Retry(kTries, smp2.c_str(), nullptr, kMeasureReplyMs) != rc::kOk) f |= apply_flags::kEventSampling;

  if (work.eventInterval != cur.eventInterval && Retry(kTries, Format("ST ITV2 %d\r\n", work.eventInterval).c_str(),
                                                       nullptr, exchange_times::kSetReplyMs) != rc::kOk)
    f |= apply_flags::kEventInterval;

  if (work.measuring == 0 && cur.measuring != 0 && protocol_.StopMeasurement(&port_, 1) != rc::kOk)
    f |= apply_flags::kStop;

  if (f == 0 && work.measuring != 0) {
    int64_t requested = work.startTime.ToTime();
    const int64_t old_start = cur.startTime.ToTime();
    int64_t now = 0;
    if (!GetDeviceClock(&now)) now = cur.clock.ToTime();
    const int64_t earliest = now + 60;
    const int64_t step = work.sampling > 0 ? work.sampling : 60;
    // The start stays on the sampling grid of the requested time.
    if (requested < earliest) requested += (earliest - requested + step - 1) / step * step;
    if (requested != old_start || work.measuring != cur.measuring) {
      work.startTime = CSdlTime::FromTime(requested);
      r = rc::kNoReply;
      for (int i = 0; i < kTries && r != rc::kOk; ++i) r = protocol_.StartMeasurementAt(&port_, work.startTime);
      if (r != rc::kOk) f = apply_flags::kStart;
    }
  }

  RefreshSystemInfo();
  if (flags) *flags = f;
  return Ended(f ? session_rc::kFailed : session_rc::kOk);
}

int CDeviceSession::ApplyThresholds(uint16_t* flags) {
  if (!IsOpen()) return NotOpen();
  RefreshSystemInfo();
  uint16_t f = 0;
  const CVT7SysInfo& work = working_.sys;
  const CVT7SysInfo& cur = current_.sys;
  const std::string wanted = ThresholdText(work);
  if (ThresholdText(cur) != wanted) {
    const std::string text = "ALM AN " + wanted;
    int r = rc::kNoReply;
    for (int i = 0; i < kTries && r != rc::kOk; ++i) r = protocol_.SendSetting(&port_, text.c_str());
    if (r != rc::kOk) f |= apply_flags::kThresholdValues;
  }
  if (work.upperEnabled != cur.upperEnabled || work.lowerEnabled != cur.lowerEnabled) {
    const std::string text = std::string("ALM AN ") + (work.upperEnabled == 1 ? "ON" : "OFF") + " " +
                             (work.lowerEnabled == 1 ? "ON" : "OFF");
    int r = rc::kNoReply;
    for (int i = 0; i < kTries && r != rc::kOk; ++i) r = protocol_.SendSetting(&port_, text.c_str());
    if (r != rc::kOk) f |= apply_flags::kThresholdSwitches;
  }
  if (flags) *flags = f;
  return Ended(f ? session_rc::kFailed : session_rc::kOk);
}

int CDeviceSession::StopMeasurement() {
  if (!IsOpen()) return NotOpen();
  for (int i = 0; i < kTries; ++i) {
    const int r = protocol_.StopMeasurement(&port_, 1);
    if (r == rc::kRefused) return Ended(session_rc::kFailed);
    if (r == rc::kOk) {
      RefreshSystemInfo();
      return session_rc::kOk;
    }
  }
  return Ended(session_rc::kFailed);
}

int CDeviceSession::SetBatteryCutoff() {
  if (!IsOpen()) return NotOpen();
  int r = rc::kNoReply;
  for (int i = 0; i < kTries && r != rc::kOk; ++i) r = protocol_.SetBatteryCutoff(&port_, working_.sys.batteryAlert);
  return Ended(r == rc::kOk ? session_rc::kOk : session_rc::kFailed);
}

int CDeviceSession::ResetDevice() {
  if (!IsOpen()) return NotOpen();
  int r = rc::kNoReply;
  for (int i = 0; i < kTries && r != rc::kOk; ++i) r = protocol_.ResetDevice(&port_);
  return Ended(r == rc::kOk ? session_rc::kOk : session_rc::kFailed);
}

int CDeviceSession::ClearMemory() {
  if (!IsOpen()) return NotOpen();
  Identify();
  const int r = protocol_.ClearMemory(&port_, kTries);
  RefreshSystemInfo();
  // A clear that failed on every try is a failure, not a success.
  return Ended(r == rc::kOk ? session_rc::kOk : session_rc::kFailed);
}

// ---------------------------------------------------------------- communication module

int CDeviceSession::SetAccessPoint(uint16_t* flags, int kind) {
  if (!IsOpen()) return NotOpen();
  if (kind == 0 || kind == 1)
    return Ended(protocol_.MailInit(&port_, kind == 0 ? "IIJ" : "MDAP") == rc::kOk ? session_rc::kOk
                                                                                   : session_rc::kModuleSettingFailed);
  struct Field {
    const char* key;
    std::string value;
    bool blankWhenEmpty;
    uint16_t bit;
  };
  const CVT7MailInfo& m = working_.mail;
  const Field fields[] = {{"APN", m.apn, true, apply_flags::kApn},
                          {"APU", m.apnUser, true, apply_flags::kApnUser},
                          {"APP", m.apnPassword, true, apply_flags::kApnPassword},
                          {"APA", m.apnAuth, false, apply_flags::kApnAuth}};
  uint16_t f = 0;
  for (const Field& field : fields) {
    std::string value = field.value;
    if (value.empty() && field.blankWhenEmpty) value = " ";
    std::string line = std::string("MAIL ") + field.key;
    if (!value.empty()) line += " " + (value == " " ? std::string() : value);
    line += "\r\n";
    if (Retry(kTries, line.c_str(), nullptr, exchange_times::kSetReplyMs) != rc::kOk) f |= field.bit;
  }
  if (f != 0) {
    if (flags) *flags = f;
    return Ended(session_rc::kFailed);
  }
  protocol_.MailInit(&port_, nullptr);
  return session_rc::kOk;
}

int CDeviceSession::ReadImei(std::string* imei) {
  if (!IsOpen()) return NotOpen();
  return Ended(protocol_.ReadImei(&port_, imei) == rc::kOk ? session_rc::kOk : session_rc::kFailed);
}

int CDeviceSession::ReadAntenna(int* level) {
  if (!IsOpen()) return NotOpen();
  std::vector<std::string> lines;
  if (protocol_.RequestListing(&port_, "RD ANT\r\n", kSlowOkReplyMs, &lines, kModuleListingMs,
                               CComCtrlVTrelix7::kSettingsListingLineLimit) != rc::kOk)
    return Ended(session_rc::kFailed);
  if (lines.empty()) return session_rc::kOk;  // no reading: the level stays as it was
  if (strncasecmp(lines[0].c_str(), "ANT", 3) != 0) return Ended(session_rc::kFailed);
  *level = lines[0].size() > 4 ? std::atoi(lines[0].c_str() + 4) : 0;
  return session_rc::kOk;
}

int CDeviceSession::SendTestTransmission() {
  if (!IsOpen()) return NotOpen();
  return Ended(protocol_.RequestListing(&port_, "MAIL START\r\n", kOkReplyMs, nullptr, kModuleListingMs) == rc::kOk
                   ? session_rc::kOk
                   : session_rc::kFailed);
}

int CDeviceSession::SyncNetworkTime() {
  if (!IsOpen()) return NotOpen();
  return Ended(protocol_.RequestListing(&port_, "MAIL TIME\r\n", kSlowOkReplyMs, nullptr, kModuleListingMs) == rc::kOk
                   ? session_rc::kOk
                   : session_rc::kFailed);
}

// ---------------------------------------------------------------- readout

int CDeviceSession::ReadCurrentValues(std::string* text) {
  if (!IsOpen()) return NotOpen();
  for (int attempt = 0; attempt < kTries; ++attempt) {
    std::vector<std::string> lines;
    if (protocol_.RequestListing(&port_, "RD REL\r\n", kOkReplyMs, &lines, kCurrentValuesMs,
                                 CComCtrlVTrelix7::kSettingsListingLineLimit) == rc::kOk) {
      if (!lines.empty()) *text = lines[0];
      return session_rc::kOk;
    }
  }
  return Ended(session_rc::kFailed);
}

// ---------------------------------------------------------------- maintenance

int CDeviceSession::RestartModule() {
  if (!IsOpen()) return NotOpen();
  if (Identify() != 1) return Ended(session_rc::kNoResponse);
  if (Retry(kTries, "INSPECT ON\r\n", nullptr, exchange_times::kSetReplyMs) != rc::kOk)
    return Ended(session_rc::kModuleStepRefused);
  ModuleNoticeWindow notices(port_.LineBuffer());
  return RestartModulePasses();
}

int CDeviceSession::RestartModulePasses() {
  for (int pass = 0; pass < 2; ++pass) {
    if (Retry(kTries, "dbg mtcoff\r\n", nullptr, exchange_times::kSetReplyMs) != rc::kOk)
      return Ended(session_rc::kModuleStepRefused);
    timing::SleepMs(1000);
    if (Retry(kTries, "dbg mtcon\r\n", nullptr, exchange_times::kSetReplyMs, true) != rc::kOk)
      return Ended(session_rc::kModuleStepRefused);
    const int slept = protocol_.WaitForSleep(&port_, 3);
    RetryModule(kTries, "mon\r\n", "#>RX:$WAKEUP", 2);
    if (slept == 0) {
      timing::SleepMs(500);
      RetryModule(kTries, "at$ver\r\n", "#>RX:$VER:", 1);
    }
    const int moff = RetryModule(kTries, "moff\r\n", "YES END", 2);
    if (moff == rc::kOk) protocol_.WaitForSleep(&port_, 1);
    if (slept == 0 && moff == rc::kOk) return session_rc::kOk;
  }
  return Ended(session_rc::kFailed);
}

int CDeviceSession::UpdateFirmware(const std::vector<std::string>& imageLines, int measuring, int forced) {
  if (!IsOpen()) return NotOpen();
  if (Identify() != 1) return Ended(session_rc::kNoResponse);
  if (measuring && protocol_.StopMeasurement(&port_, 1) != rc::kOk) return Ended(session_rc::kModuleStepRefused);
  if (Retry(kTries, "INSPECT ON\r\n", nullptr, exchange_times::kSetReplyMs) != rc::kOk)
    return Ended(session_rc::kModuleStepRefused);
  if (Retry(kTries, "SRAMCLR\r\n", "OK", exchange_times::kSetReplyMs) != rc::kOk)
    return Ended(session_rc::kModuleStepRefused);
  if (Retry(kTries, "MONITOR\r\n", "OK", exchange_times::kSetReplyMs) != rc::kOk)
    return Ended(session_rc::kModuleStepRefused);
  for (const std::string& line : imageLines) {
    if (Retry(kImageLineTries, (line + "\r\n").c_str(), "OK", kImageLineMs) != rc::kOk)
      return Ended(session_rc::kModuleStepRefused);
  }
  bool written = false;
  for (int i = 0; i < kTries && !written; ++i) written = protocol_.WriteProgram(&port_) == rc::kOk;
  if (written) timing::SleepMs(kRebootWaitMs);
  Identify();
  if (forced) {
    if (Retry(kTries, "INSPECT ON\r\n", nullptr, exchange_times::kSetReplyMs) != rc::kOk)
      return Ended(session_rc::kModuleStepRefused);
    Retry(kTries, "SYSINIT\r\n", "OK", exchange_times::kSetReplyMs);
  }
  Identify();
  ResetDevice();
  return Ended(written ? session_rc::kOk : session_rc::kModuleSettingFailed);
}
