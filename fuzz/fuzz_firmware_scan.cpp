// The identification-string scan of a firmware image's first 512 bytes.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "firmware/firmware_image.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const auto strings =
      firmware_image::ScanIdentificationStrings(std::string_view(reinterpret_cast<const char*>(data), size));
  (void)firmware_image::HasModuleTag(strings);
  (void)firmware_image::SplitLines(std::string_view(reinterpret_cast<const char*>(data), size));
  return 0;
}
