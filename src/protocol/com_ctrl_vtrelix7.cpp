#include "protocol/com_ctrl_vtrelix7.h"

#include <strings.h>

#include <cstdio>
#include <cstring>
#include <mutex>
#include <new>

#include "common/timing.h"
#include "link/rs_port.h"
#include "protocol/exchange_times.h"
#include "protocol/listing_parsers.h"

namespace {

constexpr uint32_t kOkReplyMs = 5000;
constexpr uint32_t kSysListingMs = 3000;
constexpr uint32_t kMailListingMs = 60000;
constexpr uint32_t kErrorLogMs = 20000;
constexpr uint32_t kRecordLineMs = 3000;
constexpr uint32_t kModuleLineMs = 3000;
constexpr uint32_t kSleepNoticeMs = 13000;
constexpr uint32_t kWritingMs = 5000;
constexpr uint32_t kWrittenMs = 60000;

int SendFormatted(CComCtrlVTrelix7* ctrl, CRSPort* port, const char* fmt, int value) {
  char line[64];
  std::snprintf(line, sizeof line, fmt, value);
  return ctrl->SendCommandExpect(port, line, nullptr, exchange_times::kSetReplyMs);
}

}  // namespace

int CComCtrlVTrelix7::IsDeviceName(const char* name) {
  return name != nullptr && std::strncmp(name, "Quorvane-HX", 11) == 0 ? 1 : 0;
}

int CComCtrlVTrelix7::SetBatteryCutoff(CRSPort* port, int millivolts) {
  return SendFormatted(this, port, "ST BAT %d\r\n", millivolts);
}

int CComCtrlVTrelix7::SetRssValue(CRSPort* port, int value) {
  return SendFormatted(this, port, "ST RSS %d\r\n", value);
}

int CComCtrlVTrelix7::SetAveraging(CRSPort* port, int value) {
  return SendFormatted(this, port, "ST AVG %d\r\n", value);
}

int CComCtrlVTrelix7::SetCalibration(CRSPort* port, const char* text) {
  const std::string line = std::string("ST CAL AV ") + (text ? text : "") + "\r\n";
  return SendCommandExpect(port, line.c_str(), nullptr, exchange_times::kSetReplyMs);
}

int CComCtrlVTrelix7::SendSetting(CRSPort* port, const char* text) {
  const std::string line = std::string("ST ") + (text ? text : "") + "\r\n";
  return SendCommandExpect(port, line.c_str(), nullptr, exchange_times::kSetReplyMs);
}

int CComCtrlVTrelix7::ReadReplyLines(CRSPort* port, const char* line, std::vector<std::string>* list,
                                     uint32_t inactivityMs, size_t maxLines) {
  if (port == nullptr) return rc::kNoReply;
  std::lock_guard<std::recursive_mutex> lock(port->ExchangeLock());
  if (line != nullptr && line[0] != '\0') {
    const int sent = SendLine(port, line);
    if (sent != rc::kOk) return sent;
  }

  const auto inactivity = timing::Scaled(inactivityMs);
  auto last = timing::Clock::now();
  char reply[4096];
  size_t count = 0;
  for (;;) {
    if (timing::Clock::now() - last > inactivity) return Outcome(port, rc::kTimeout);
    // A port closed (or its waits given up) meanwhile brings no more lines:
    // end now, not after the inactivity time-out, so that closing the port
    // ends every exchange. A lost line still gives the lines it brought.
    if (!port->LinesMayCome() || port->LineBuffer() == nullptr || port->LineBuffer()->Abandoned())
      return Outcome(port, rc::kNoReply);
    bool cut = false;
    if (ReadLine(port, reply, sizeof reply, exchange_times::kListingPollMs, &cut) == 0) continue;
    if (cut) return Outcome(port, rc::kUnexpected);
    if (Matches(reply, "YES END")) return rc::kOk;
    if (Matches(reply, "NG") || Matches(reply, "NOT END")) return rc::kRefused;
    if (++count > maxLines) {
      SendAbort(port);
      port->MarkUnsettled();
      return rc::kDataLine;
    }
    if (list != nullptr) {
      try {
        list->emplace_back(reply);
      } catch (const std::bad_alloc&) {
        port->MarkUnsettled();
        return rc::kDataLine;
      }
    }
    last = timing::Clock::now();
  }
}

int CComCtrlVTrelix7::RequestListing(CRSPort* port, const char* line, uint32_t okTimeoutMs,
                                     std::vector<std::string>* list, uint32_t inactivityMs, size_t maxLines) {
  if (port == nullptr) return rc::kNoReply;
  std::lock_guard<std::recursive_mutex> lock(port->ExchangeLock());
  const int r = SendCommandExpect(port, line, "OK", okTimeoutMs);
  if (r != rc::kOk) return r;
  return ReadReplyLines(port, nullptr, list, inactivityMs, maxLines);
}

int CComCtrlVTrelix7::ReadSystemInfo(CRSPort* port, CVT7SysInfo* info) {
  std::vector<std::string> lines;
  const int r = ReadReplyLines(port, "RD SYS\r\n", &lines, kSysListingMs, kSettingsListingLineLimit);
  if (r == rc::kOk)
    for (const auto& l : lines) ParseSysInfoLine(l, info);
  return r;
}

int CComCtrlVTrelix7::MailInit(CRSPort* port, const char* preset) {
  const std::string line =
      (preset != nullptr && preset[0] != '\0') ? std::string("MAIL INI ") + preset + "\r\n" : "MAIL INI\r\n";
  return RequestListing(port, line.c_str(), kOkReplyMs, nullptr, kMailListingMs);
}

int CComCtrlVTrelix7::ReadImei(CRSPort* port, std::string* imei) {
  std::vector<std::string> lines;
  if (port == nullptr) return rc::kNoReply;
  std::lock_guard<std::recursive_mutex> lock(port->ExchangeLock());
  const int r = SendCommandExpect(port, "MAIL IMEI\r\n", "OK", kOkReplyMs);
  if (r != rc::kOk) return r;
  if (ReadReplyLines(port, nullptr, &lines, kMailListingMs, kSettingsListingLineLimit) != rc::kOk || lines.empty())
    return rc::kUnexpected;
  if (lines[0].compare(0, 4, "IMEI") == 0) {
    std::string digits;
    for (char c : lines[0])
      if (c >= '0' && c <= '9' && digits.size() < 49) digits += c;
    *imei = digits;
  }
  return rc::kOk;
}

int CComCtrlVTrelix7::ReadAllStart(CRSPort* port, int firstId, int count) {
  char line[64];
  if (firstId < 0)
    std::snprintf(line, sizeof line, "%s\r\n", "RD ALL");
  else if (count > 0)
    std::snprintf(line, sizeof line, "%s %d %d\r\n", "RD ALL", firstId, count);
  else
    std::snprintf(line, sizeof line, "%s %d\r\n", "RD ALL", firstId);
  return SendCommandExpect(port, line, "OK", kOkReplyMs);
}

int CComCtrlVTrelix7::ReadRecordLine(CRSPort* port, std::string* text) {
  if (port == nullptr) return rc::kNoReply;
  std::lock_guard<std::recursive_mutex> lock(port->ExchangeLock());
  char line[4096];
  const int n = ReadLine(port, line, sizeof line, kRecordLineMs);
  if (n == 0) return Outcome(port, rc::kNoReply);
  if (Matches(line, "YES END") || Matches(line, "NOT END") || Matches(line, "NG")) return rc::kEndLine;
  text->assign(line, static_cast<size_t>(n));
  text->append("\r\n");
  return rc::kDataLine;
}

int CComCtrlVTrelix7::ReadRawRecordLine(CRSPort* port, char* buffer, int size, uint32_t waitMs) {
  if (port == nullptr) return 0;
  std::lock_guard<std::recursive_mutex> lock(port->ExchangeLock());
  return ReadLine(port, buffer, size, waitMs);
}

int CComCtrlVTrelix7::ReadErrorLog(CRSPort* port, std::string* text) {
  std::vector<std::string> lines;
  const int r = RequestListing(port, "RD ERR\r\n", kOkReplyMs, &lines, kErrorLogMs);
  if (r == rc::kOk)
    for (const auto& l : lines) text->append(l).append("\r\n");
  return r;
}

int CComCtrlVTrelix7::SendModuleCommand(CRSPort* port, const char* line, const char* expected, int lineCount) {
  if (port == nullptr) return rc::kNoReply;
  const std::string want = expected != nullptr ? std::string(expected, strnlen(expected, 99)) : "YES END";
  std::lock_guard<std::recursive_mutex> lock(port->ExchangeLock());
  if (const int sent = SendLine(port, line); sent != rc::kOk) return sent;
  int result = rc::kNoReply;
  char reply[256];
  for (int turn = 0; turn < lineCount; ++turn) {
    if (!port->LinesMayCome()) continue;
    if (ReadLine(port, reply, sizeof reply, kModuleLineMs) == 0) continue;
    if (Matches(reply, want.c_str())) return rc::kOk;
    if (strcasecmp(reply, "*>RX:ERROR") == 0 || strcasecmp(reply, "NOT END") == 0) return rc::kRefused;
    result = rc::kUnexpected;
  }
  return Outcome(port, result);
}

int CComCtrlVTrelix7::WaitForSleep(CRSPort* port, int lineCount) {
  if (port == nullptr) return 1;
  std::lock_guard<std::recursive_mutex> lock(port->ExchangeLock());
  char reply[256];
  for (int i = 0; i < lineCount && port->IsOpen(); ++i) {
    if (ReadLine(port, reply, sizeof reply, kSleepNoticeMs) == 0) return 1;
    if (Matches(reply, "#>RX:$SLEEP")) return 0;
  }
  return 1;
}

int CComCtrlVTrelix7::WriteProgram(CRSPort* port) {
  if (port == nullptr) return rc::kNoReply;
  std::lock_guard<std::recursive_mutex> lock(port->ExchangeLock());
  if (const int sent = SendLine(port, "WEEP\r\n"); sent != rc::kOk) return sent;
  char reply[256];
  if (ReadLine(port, reply, sizeof reply, kWritingMs) == 0 || !port->IsOpen()) return Outcome(port, rc::kTimeout);
  if (std::strstr(reply, "writing") == nullptr) return Outcome(port, rc::kNoReply);
  if (ReadLine(port, reply, sizeof reply, kWrittenMs) == 0) return Outcome(port, rc::kNoReply);
  return Matches(reply, "OK") ? rc::kOk : Outcome(port, rc::kNoReply);
}
