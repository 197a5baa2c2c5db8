// Durations ("D01H02M03S04") and the logger's date-times ("yy/mm/dd hh:mm:ss").
#include <cstddef>
#include <cstdint>
#include <string>

#include "protocol/device_record.h"
#include "protocol/listing_parsers.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const int seconds = ParseDuration(text.c_str());
  if (seconds < 0) __builtin_trap();
  (void)FormatDuration(seconds);
  CSdlTime t;
  if (t.Parse(text.c_str()) == 1) {
    const int64_t s = t.ToTime();
    if (s != -1) (void)CSdlTime::FromTime(s);
  }
  return 0;
}
