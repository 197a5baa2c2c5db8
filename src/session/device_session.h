#pragma once
// The one object through which the program talks to the logger: it owns the
// serial port and the protocol object, keeps the logger's current record (as
// last read) and the working record (to be sent), runs the connect, identify
// and refresh sequences and every device command sequence, tracks the
// logger's clock and turns failures into message texts.
//
// Sequences return 0 on success or a negative session code; identify returns
// 1 or 0. The session has no lock around its state: one operation at a time
// holds its OperationGuard, and a second one asking while it runs is refused
// with kBusy instead of sharing the port with it.
#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "common/abort_event.h"
#include "link/rs_port.h"
#include "link/serial_settings.h"
#include "protocol/com_ctrl_vtrelix7.h"
#include "protocol/device_record.h"

// The listings whose values the session keeps as the logger has them.
namespace listing_read {
constexpr int kSystem = 0x01;  // "RD SYS"
constexpr int kMail = 0x02;    // "MAIL DSP"
}  // namespace listing_read

namespace session_rc {
constexpr int kOk = 0;
constexpr int kFailed = -1;
constexpr int kNoResponse = -2;
constexpr int kNotConnected = -3;
constexpr int kMemory = -4;
constexpr int kAborted = -5;
constexpr int kModuleStepRefused = -6;
constexpr int kModuleSettingFailed = -7;
constexpr int kBusy = -8;
constexpr int kLineLost = -9;  // the line hung up or the device went away
}  // namespace session_rc

// Failure bits of the apply sequences.
namespace apply_flags {
constexpr uint16_t kSampling = 0x01;
constexpr uint16_t kInterval = 0x02;
constexpr uint16_t kEventSampling = 0x04;
constexpr uint16_t kEventInterval = 0x08;
constexpr uint16_t kStop = 0x10;
constexpr uint16_t kStart = 0x20;
constexpr uint16_t kThresholdValues = 0x01;
constexpr uint16_t kThresholdSwitches = 0x02;
constexpr uint16_t kApn = 0x01;
constexpr uint16_t kApnUser = 0x02;
constexpr uint16_t kApnPassword = 0x04;
constexpr uint16_t kApnAuth = 0x08;
}  // namespace apply_flags

class CDeviceSession {
 public:
  CDeviceSession();
  ~CDeviceSession();
  CDeviceSession(const CDeviceSession&) = delete;
  CDeviceSession& operator=(const CDeviceSession&) = delete;

  // Held by the thread that runs an operation for as long as it runs. When
  // another operation holds the session, the guard is not acquired; the
  // caller then reports kBusy without touching the session (its messages
  // belong to the running operation).
  class OperationGuard {
   public:
    explicit OperationGuard(CDeviceSession& session);
    ~OperationGuard();
    OperationGuard(const OperationGuard&) = delete;
    OperationGuard& operator=(const OperationGuard&) = delete;
    bool Acquired() const { return acquired_; }

   private:
    CDeviceSession& session_;
    bool acquired_;
  };
  // True while an operation holds the session.
  bool OperationRunning() const { return operation_running_.load(); }

  // ---- connection ----
  void SetLineSettings(const SerialSettings& s) { line_settings_ = s; }
  // Where the port's traffic goes; see CRSPort::SetTrafficSink.
  void SetTrafficSink(TrafficSink* sink) { port_.SetTrafficSink(sink); }
  // Closes and reopens the port at path. 0 or a code of CRSPort::Open.
  int Open(const std::string& path);
  // Why the last Open() failed: the system's reason and the kind of fault.
  const PortOpenError& LastOpenError() const { return port_.LastOpenError(); }
  void Close();
  // False once the line is lost (see LineLost()).
  bool IsOpen() const { return port_.IsOpen(); }
  // The line to the logger hung up or the device went away while open:
  // every exchange and readout ends at once and the sequences return
  // kLineLost. Stays so until the next Open().
  bool LineLost() const { return port_.LineLost(); }
  // The system's text of the loss (empty while not lost).
  std::string LineLostReason() const { return port_.LineLostReason(); }
  // The user's text of a lost line with the system's reason.
  std::string LineLostMessage() const { return MessageOf(session_rc::kLineLost); }
  // Wakes the logger and takes its identity. 1 when it answered, else 0.
  int Identify();
  // "RD SYS" into the current record (silent on failure). Returns 1.
  int RefreshSystemInfo();
  // "MAIL DSP" into the current record's mail settings. Returns 1.
  int ReadMailSettings();

  // Which listings the current record holds as this logger reported them in
  // this connection (bits of listing_read). Opening or closing the port
  // forgets them; a successful read marks its listing.
  int ListingsRead() const { return listings_read_; }
  bool HasRead(int listings) const { return (listings_read_ & listings) == listings; }

  // ---- clock reference ----
  void SetClockReference(const CSdlTime& loggerClock);
  // The logger's clock now, estimated from the last refresh. 0 without reference.
  int GetDeviceClock(int64_t* seconds) const;
  // Seconds the logger's clock was ahead of the PC clock (negative: behind)
  // when it was last read. 0 without reference.
  int GetClockOffset(int64_t* seconds) const;
  void InvalidateClockReference();

  // ---- messages ----
  // The text of a code and the detail below it; kLineLost without a detail
  // gets the system's reason.
  void SetErrorMessage(int code, const char* detail = nullptr);
  // An operation's failure text, shown as it is.
  void SetErrorText(const std::string& text) { error_message_ = text; }
  void ClearMessages();
  const std::string& ErrorMessage() const { return error_message_; }
  const std::string& ResultMessage() const { return result_message_; }
  void SetResultMessage(const std::string& text) { result_message_ = text; }
  // The text of a session code (UTF-8), as SetErrorMessage() uses it.
  static std::string MessageForCode(int code);
  // MessageForCode(), with the system's reason below it for kLineLost.
  std::string MessageOf(int code) const;

  // ---- measurement ----
  int ApplyMeasurementSettings(uint16_t* flags);
  int ApplyThresholds(uint16_t* flags);
  int StopMeasurement();
  // Sends the working record's battery cut-off, up to 3 tries.
  int SetBatteryCutoff();
  // "ST RES", up to 3 tries.
  int ResetDevice();
  // Identify, "ST CLR" with 3 tries, refresh.
  int ClearMemory();

  // ---- communication module ----
  // kind 0: preset "IIJ"; kind 1: preset "MDAP"; other: the working record's fields.
  int SetAccessPoint(uint16_t* flags, int kind);
  int ReadImei(std::string* imei);
  int ReadAntenna(int* level);
  // "MAIL START": the test transmission.
  int SendTestTransmission();
  // "MAIL TIME": sets the logger's clock from the network.
  int SyncNetworkTime();

  // ---- readout ----
  int ReadCurrentValues(std::string* text);

  // ---- maintenance ----
  int RestartModule();
  // Sends the image as the given command lines (firmware_image::SplitLines).
  int UpdateFirmware(const std::vector<std::string>& imageLines, int measuring, int forced);

  // ---- access ----
  DeviceRecord& Current() { return current_; }
  DeviceRecord& Working() { return working_; }
  const DeviceRecord& Current() const { return current_; }
  const DeviceRecord& Working() const { return working_; }
  CComCtrlVTrelix7& Protocol() { return protocol_; }
  CRSPort& Port() { return port_; }
  CRSPort* PortPtr() { return &port_; }
  const std::string& PortPath() const { return port_path_; }
  const std::string& DeviceName() const { return protocol_.DeviceName(); }
  const std::string& Version() const { return protocol_.Version(); }

  // Kept for the current run by the main frame.
  std::string lastChosenPortName;
  int connectionState = 0;

 private:
  // kLineLost when the line was lost, else kNotConnected.
  int NotOpen() const;
  // A failure code, or kLineLost when the line was lost meanwhile.
  int Ended(int code) const;
  // Sends line up to `tries` times with SendCommandExpect; stops at the first 0
  // (and at 240 when stopOnRefused). Returns the last result.
  int Retry(int tries, const char* line, const char* expected, uint32_t timeoutMs, bool stopOnRefused = false);
  int RetryModule(int tries, const char* line, const char* expected, int lineCount);
  int RestartModulePasses();

  CRSPort port_;
  CComCtrlVTrelix7 protocol_;
  SerialSettings line_settings_ = SerialSettings::Logger();
  DeviceRecord current_;
  DeviceRecord working_;
  std::string port_path_;
  std::string error_message_;
  std::string result_message_;
  int listings_read_ = 0;
  std::atomic<bool> operation_running_{false};
  int clock_valid_ = 0;
  int64_t logger_clock_ref_ = 0;
  int64_t pc_clock_ref_ = 0;
};
