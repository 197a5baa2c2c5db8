#include "protocol/com_ctrl_base.h"

#include <strings.h>

#include <cstdio>
#include <cstring>
#include <mutex>

#include "common/timing.h"
#include "link/rs_port.h"
#include "protocol/exchange_times.h"
#include "protocol/listing_parsers.h"

namespace {

constexpr uint32_t kHelloReplyMs = 2000;
constexpr uint32_t kIdentityMs = 500;
constexpr uint32_t kDrainMs = 100;
constexpr uint32_t kMeasureReplyMs = 45000;
constexpr int kAbortableTurns = 100;

// A logger in the middle of a long listing ignores "HELLO" and keeps sending:
// the wake-up drain gives up after this long, stops the listing with the
// abort byte and wakes the logger again once the line has gone quiet. The
// limit is the wake reply's own wait: a logger that only finishes a reply
// drains well within it.
constexpr uint32_t kDrainLimitMs = 2000;
constexpr uint32_t kAfterAbortQuietMs = 500;
constexpr uint32_t kAfterAbortQuietLimitMs = 2000;

// After a failed exchange the line must be quiet this long before the next
// command goes out (a late tail then arrives within the window and is
// purged); a line that never goes quiet is purged after the limit anyway.
constexpr uint32_t kSettleQuietMs = 1000;
constexpr uint32_t kSettleLimitMs = 3000;

// The expected text, at most 99 characters; none means "YES END".
std::string ExpectedText(const char* expected) {
  if (expected == nullptr) return "YES END";
  return std::string(expected, strnlen(expected, 99));
}

}  // namespace

int CComCtrlBase::SendLine(CRSPort* port, const char* line) {
  if (port->LineLost()) return rc::kLineLost;
  if (!port->IsOpen()) return rc::kNoReply;
  if (port->TakeUnsettled() && port->LineBuffer() != nullptr)
    port->LineBuffer()->WaitQuiet(kSettleQuietMs, kSettleLimitMs);
  const uint32_t len = static_cast<uint32_t>(std::strlen(line));
  port->Capture(line, len, TrafficDirection::kSent);
  if (port->Write(line, len, 1)) return rc::kOk;
  return port->LineLost() ? rc::kLineLost : rc::kNoReply;
}

void CComCtrlBase::SendAbort(CRSPort* port) {
  if (!port->IsOpen()) return;
  port->Capture(&kAbortByte, 1, TrafficDirection::kSent);
  port->Write(&kAbortByte, 1, 0);
}

int CComCtrlBase::Outcome(CRSPort* port, int result) {
  switch (result) {
    case rc::kNoReply:
    case rc::kNoWake:
    case rc::kTimeout:
      if (port->LineLost()) return rc::kLineLost;
      if (result != rc::kNoWake) port->MarkUnsettled();
      break;
    case rc::kUnexpected:
    case rc::kAborted: port->MarkUnsettled(); break;
    default: break;
  }
  return result;
}

int CComCtrlBase::ReadLine(CRSPort* port, char* buffer, int size, uint32_t timeoutMs, bool* cut) {
  CReadData* lines = port->LineBuffer();
  int n = 0;
  if (cut != nullptr) *cut = false;
  if (lines != nullptr) {
    n = lines->ReadLineCut(buffer, size, timeoutMs, cut);
  } else if (size > 0) {
    buffer[0] = '\0';
  }
  return n;
}

bool CComCtrlBase::Matches(const char* line, const char* expected) {
  // Most lines of a listing differ in their first character already.
  const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
  if (expected[0] != '\0' && lower(line[0]) != lower(expected[0])) return false;
  return strncasecmp(line, expected, std::strlen(expected)) == 0;
}

void CComCtrlBase::SetIdentity(const std::string& deviceName, const std::string& version) {
  device_name_ = deviceName.substr(0, 19);
  version_ = version;
}

int CComCtrlBase::Handshake(CRSPort* port, char* buffer, int* size) {
  if (port->IsOpen()) {
    const int sent = SendLine(port, "\r\nHELLO\r\n");
    if (sent != rc::kOk) return sent;
  }
  char line[100];
  if (ReadLine(port, line, sizeof line, kHelloReplyMs) == 0) return rc::kNoWake;
  if (std::strncmp(line, "WAKE", 4) != 0) return rc::kUnexpected;
  *size = ReadLine(port, buffer, *size, kIdentityMs);
  return rc::kOk;
}

bool CComCtrlBase::Drain(CRSPort* port) {
  const auto deadline = timing::Clock::now() + timing::Scaled(kDrainLimitMs);
  char line[100];
  while (ReadLine(port, line, sizeof line, kDrainMs) != 0)
    if (timing::Clock::now() >= deadline) return false;
  return true;
}

int CComCtrlBase::Hello(CRSPort* port, char* buffer, int* size) {
  if (port == nullptr) return rc::kNoReply;
  std::lock_guard<std::recursive_mutex> lock(port->ExchangeLock());
  const bool was_open = port->IsOpen();
  const int capacity = *size;
  // No settling first: the drain below deals with a line that keeps talking,
  // and a stale tail read instead of "WAKE" only costs one more try.
  port->TakeUnsettled();
  int result = Handshake(port, buffer, size);
  if (!was_open || result == rc::kNoReply || result == rc::kLineLost || Drain(port)) return Outcome(port, result);

  // Still talking: stop a listing left running, let the line go quiet and
  // wake the logger again. A line that will not go quiet is not a logger
  // that can be talked to now.
  SendAbort(port);
  CReadData* lines = port->LineBuffer();
  if (lines == nullptr || !lines->WaitQuiet(kAfterAbortQuietMs, kAfterAbortQuietLimitMs)) {
    *size = 0;
    return Outcome(port, rc::kUnexpected);
  }
  *size = capacity;
  result = Handshake(port, buffer, size);
  if (result != rc::kNoReply && result != rc::kLineLost && !Drain(port)) {
    *size = 0;
    result = rc::kUnexpected;
  }
  return Outcome(port, result);
}

int CComCtrlBase::SendCommandExpect(CRSPort* port, const char* line, const char* expected, uint32_t timeoutMs) {
  if (port == nullptr) return rc::kNoReply;
  const std::string want = ExpectedText(expected);
  std::lock_guard<std::recursive_mutex> lock(port->ExchangeLock());
  if (const int sent = SendLine(port, line); sent != rc::kOk) return sent;
  char reply[256];
  if (ReadLine(port, reply, sizeof reply, timeoutMs) == 0) return Outcome(port, rc::kNoReply);
  if (Matches(reply, want.c_str())) return rc::kOk;
  if (Matches(reply, "NOT END")) return rc::kRefused;
  return Outcome(port, rc::kUnexpected);
}

int CComCtrlBase::SendCommand(CRSPort* port, const char* line, uint32_t timeoutMs) {
  return SendCommandExpect(port, line, "YES END", timeoutMs);
}

int CComCtrlBase::SendCommandAbortableExpect(CRSPort* port, const char* line, const char* expected,
                                             const AbortEvent* abort, uint32_t totalMs) {
  if (port == nullptr) return rc::kNoReply;
  const std::string want = ExpectedText(expected);
  std::lock_guard<std::recursive_mutex> lock(port->ExchangeLock());
  const auto deadline = timing::Clock::now() + timing::Scaled(totalMs);
  if (const int sent = SendLine(port, line); sent != rc::kOk) return sent;
  char reply[256];
  for (int turn = 0; turn < kAbortableTurns; ++turn) {
    if (timing::Clock::now() > deadline) return Outcome(port, rc::kTimeout);
    if (port->LinesMayCome() && ReadLine(port, reply, sizeof reply, exchange_times::kNextLineMs) != 0)
      return Matches(reply, want.c_str()) ? rc::kOk : Outcome(port, rc::kUnexpected);
    if (port->LineLost()) return rc::kLineLost;
    if (abort != nullptr && abort->IsSet()) return Outcome(port, rc::kAborted);
  }
  return Outcome(port, rc::kNoReply);
}

int CComCtrlBase::SendCommandAbortable(CRSPort* port, const char* line, const AbortEvent* abort, uint32_t totalMs) {
  return SendCommandAbortableExpect(port, line, "YES END", abort, totalMs);
}

int CComCtrlBase::ReadNextLine(CRSPort* port, char* buffer, int size) {
  if (port == nullptr) return rc::kNoReply;
  std::lock_guard<std::recursive_mutex> lock(port->ExchangeLock());
  if (ReadLine(port, buffer, size, exchange_times::kNextLineMs) == 0) return Outcome(port, rc::kNoReply);
  if (std::strstr(buffer, "END") != nullptr) return std::strstr(buffer, "NOT END") ? rc::kRefused : rc::kEndOfList;
  return rc::kOk;
}

int CComCtrlBase::ReadAllBegin(CRSPort* port, int firstId, int count, char* buffer, int size) {
  if (port == nullptr) return rc::kNoReply;
  std::lock_guard<std::recursive_mutex> lock(port->ExchangeLock());
  char line[64];
  std::snprintf(line, sizeof line, "RD ALL %d %d\r\n", firstId, count);
  if (const int sent = SendLine(port, line); sent != rc::kOk) return sent;
  if (ReadLine(port, buffer, size, exchange_times::kNextLineMs) == 0) return Outcome(port, rc::kNoReply);
  return std::strstr(buffer, "END") != nullptr ? rc::kNoReply : rc::kOk;
}

int CComCtrlBase::ResetDevice(CRSPort* port) {
  return SendCommandExpect(port, "ST RES\r\n", nullptr, exchange_times::kSetReplyMs);
}

int CComCtrlBase::SetRss(CRSPort* port, int value) {
  char line[48];
  std::snprintf(line, sizeof line, "ST RSS %d\r\n", value);
  return SendCommandExpect(port, line, nullptr, exchange_times::kSetReplyMs);
}

int CComCtrlBase::SetIdle(CRSPort* port, int value) {
  char line[48];
  std::snprintf(line, sizeof line, "ST IDL %02d\r\n", value % 61);
  return SendCommandExpect(port, line, nullptr, exchange_times::kSetReplyMs);
}

int CComCtrlBase::SetSampling(CRSPort* port, const int& seconds) {
  const std::string line = "ST SMP " + FormatDuration(seconds) + "\r\n";
  return SendCommand(port, line.c_str(), kMeasureReplyMs);
}

int CComCtrlBase::StartMeasurementAt(CRSPort* port, const CSdlTime& start) {
  char line[64];
  std::snprintf(line, sizeof line, "ST STM %02d/%02d/%02d %02d:%02d\r\n", ((start.year % 100) + 100) % 100,
                ((start.month % 100) + 100) % 100, ((start.day % 100) + 100) % 100, ((start.hour % 24) + 24) % 24,
                ((start.minute % 60) + 60) % 60);
  return SendCommand(port, line, kMeasureReplyMs);
}

int CComCtrlBase::StartMeasurement(CRSPort* port) { return SendCommand(port, "ST STM\r\n", kMeasureReplyMs); }

int CComCtrlBase::StopMeasurement(CRSPort* port, int factor) {
  if (factor < 1) factor = 1;
  return SendCommand(port, "ST STP\r\n", kMeasureReplyMs * static_cast<uint32_t>(factor));
}

int CComCtrlBase::ClearMemory(CRSPort* port, int tries) {
  if (tries <= 0) return rc::kOk;
  for (int i = 0; i < tries; ++i)
    if (SendCommand(port, "ST CLR\r\n", kMeasureReplyMs) == rc::kOk) return rc::kOk;
  return rc::kNoReply;
}
