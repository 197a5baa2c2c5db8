// The identity line that follows "WAKE".
#include <cstddef>
#include <cstdint>
#include <string>

#include "protocol/listing_parsers.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string name = "old", version = "0";
  ParseIdentityLine(reinterpret_cast<const char*>(data), static_cast<int>(size), &name, &version);
  if (name.size() > 19 || version.size() > 19) __builtin_trap();
  return 0;
}
