#pragma once
// The user's words for what the archive reports, from the string table.
#include <string>

#include "archive/archive_status.h"

namespace archive {

// The failure's text, the archive's path and the library's reason:
// "text\r\n(path)\r\nreason". Empty for no failure.
std::string FailureMessage(const Status& status, const std::string& path);

}  // namespace archive
