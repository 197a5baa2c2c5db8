// "RD SYS" and "MAIL DSP" listing lines into their records.
#include <cstddef>
#include <cstdint>
#include <string>

#include "protocol/listing_parsers.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  CVT7SysInfo sys;
  CVT7MailInfo mail;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    const std::string line = text.substr(start, end - start);
    ParseSysInfoLine(line, &sys);
    ParseMailInfoLine(line, &mail);
    start = end + 1;
  }
  // The texts stay terminated within their fields.
  if (sys.build[63] != '\0' || sys.serialNumber[63] != '\0') __builtin_trap();
  return 0;
}
