#include <cstring>

#include "common/os_error.h"

std::string OsErrorText(int code) { return std::strerror(code); }
