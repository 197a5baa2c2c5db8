#include "output.h"

#include <cstdio>

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

void Result(const std::string& text) {
  std::fputs(ForTerminal(text).c_str(), stdout);
  std::fputc('\n', stdout);
  std::fflush(stdout);
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

}  // namespace output
