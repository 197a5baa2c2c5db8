#pragma once
// The operating system's text for one of its error numbers (errno on POSIX,
// GetLastError() on Windows), as UTF-8 without a trailing line end or period.
#include <string>

std::string OsErrorText(int code);
