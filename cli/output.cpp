#include "output.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "command_line.h"
#include "common/string_table.h"

#include "session/device_session.h"

namespace output {

std::string ForTerminal(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r') {
      if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
      out += '\n';
    } else {
      out += text[i];
    }
  }
  while (!out.empty() && out.back() == '\n') out.pop_back();
  return out;
}

namespace {
// The reason of the first failed write to standard output (0: none yet).
int& StandardOutputError() {
  static int error = 0;
  return error;
}
bool& StandardOutputFailureWasTold() {
  static bool told = false;
  return told;
}
}  // namespace

void StandardOutputFailureTold() { StandardOutputFailureWasTold() = true; }

void Result(const std::string& text) {
  if (std::fputs(ForTerminal(text).c_str(), stdout) < 0 || std::fputc('\n', stdout) == EOF ||
      std::fflush(stdout) != 0) {
    if (StandardOutputError() == 0) StandardOutputError() = errno;
  }
}

int FinishStandardOutput(int status) {
  errno = 0;
  const bool flushFailed = std::fflush(stdout) != 0;
  int err = flushFailed ? errno : 0;
  if (!flushFailed && !std::ferror(stdout)) return status;
  // A failed command has named its reason, a failed write to standard
  // output among them; one reason per failure.
  if (status == exit_status::kFailed) return status;
  if (err == 0) err = StandardOutputError();
  if (err == 0) err = EIO;
  if (!StandardOutputFailureWasTold()) Error(std::string("quorvane-ctl: standard output: ") + std::strerror(err));
  return status == exit_status::kOk ? exit_status::kFailed : status;
}

void Error(const std::string& text) {
  std::fputs(ForTerminal(text).c_str(), stderr);
  std::fputc('\n', stderr);
  std::fflush(stderr);
}

bool SessionMessages(const CDeviceSession& session) {
  if (!session.ErrorMessage().empty()) {
    Error(session.ErrorMessage());
    return true;
  }
  if (!session.ResultMessage().empty()) Result(session.ResultMessage());
  return false;
}

std::string WithPath(const std::string& text, const std::string& path) { return text + "\r\n(" + path + ")"; }

std::string SaveFailed(const std::string& path, const std::string& reason) {
  return WithPath(strings::Text(strings::id::kFileCreateFailed), reason.empty() ? path : reason);
}

std::string UnparsedRows(long long count) {
  char text[512];
  std::snprintf(text, sizeof text, strings::Text(strings::id::kExportUnparsedRows).c_str(), static_cast<long>(count));
  return text;
}

}  // namespace output
