#include "common/codepage.h"

namespace codepage {

size_t Utf8CharLength(std::string_view bytes) {
  if (bytes.empty()) return 0;
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  const unsigned char c = p[0];
  if (c < 0x80) return 1;
  // The second byte's range for each lead byte: no overlong forms, no
  // surrogates, nothing above U+10FFFF.
  size_t length = 0;
  unsigned char low = 0x80, high = 0xBF;
  if (c >= 0xC2 && c <= 0xDF) {
    length = 2;
  } else if (c >= 0xE0 && c <= 0xEF) {
    length = 3;
    if (c == 0xE0) low = 0xA0;
    if (c == 0xED) high = 0x9F;
  } else if (c >= 0xF0 && c <= 0xF4) {
    length = 4;
    if (c == 0xF0) low = 0x90;
    if (c == 0xF4) high = 0x8F;
  } else {
    return 0;
  }
  if (bytes.size() < length || p[1] < low || p[1] > high) return 0;
  for (size_t i = 2; i < length; ++i)
    if ((p[i] & 0xC0) != 0x80) return 0;
  return length;
}

bool IsValidUtf8(std::string_view text) {
  while (!text.empty()) {
    const size_t n = Utf8CharLength(text);
    if (n == 0) return false;
    text.remove_prefix(n);
  }
  return true;
}

bool IsLeadByte(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

}  // namespace codepage
