#include "link/port_open_error.h"

#include <cstdio>

#include "common/string_table.h"

namespace {

std::string Hint(const PortOpenError& error) {
  switch (error.fault) {
    case PortOpenError::kNoSuchDevice: return strings::Text(strings::id::kPortHintNoSuchDevice);
    case PortOpenError::kNotSerial: return strings::Text(strings::id::kPortHintNotSerial);
    case PortOpenError::kInUse: return strings::Text(strings::id::kPortHintInUse);
    case PortOpenError::kPermissionDenied: {
      const std::string format = strings::Text(strings::id::kPortHintPermission);
      const std::string group = error.group.empty() ? "dialout" : error.group;
      std::string text(format.size() + 2 * group.size() + 16, '\0');
      const int n = std::snprintf(&text[0], text.size(), format.c_str(), group.c_str(), group.c_str());
      text.resize(n > 0 ? static_cast<size_t>(n) : 0);
      return text;
    }
    default: return std::string();
  }
}

}  // namespace

std::string DescribePortOpenError(const PortOpenError& error, const std::string& path) {
  std::string text = "(" + path;
  if (!error.reason.empty()) text += ": " + error.reason;
  text += ")";
  const std::string hint = Hint(error);
  if (!hint.empty()) text += "\r\n" + hint;
  return text;
}
