#include "archive/archive_messages.h"

#include "common/string_table.h"

namespace archive {

std::string FailureMessage(const Status& status, const std::string& path) {
  uint32_t id = 0;
  switch (status.failure) {
    case Failure::kNone: return {};
    case Failure::kLocked: id = strings::id::kArchiveLocked; break;
    case Failure::kUnreadable: id = strings::id::kArchiveUnreadable; break;
    case Failure::kCorrupt: id = strings::id::kArchiveCorrupt; break;
  }
  std::string text = strings::Text(id) + "\r\n(" + path + ")";
  if (!status.reason.empty()) text += "\r\n" + status.reason;
  return text;
}

}  // namespace archive
