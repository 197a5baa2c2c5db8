#include "common/codepage.h"

namespace codepage {

bool IsValidUtf8(const std::string& text) {
  const size_t n = text.size();
  size_t i = 0;
  while (i < n) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (c < 0x80) {
      ++i;
      continue;
    }
    size_t len = 0;
    unsigned char lo = 0x80, hi = 0xBF;
    if (c >= 0xC2 && c <= 0xDF) {
      len = 2;
    } else if (c >= 0xE0 && c <= 0xEF) {
      len = 3;
      if (c == 0xE0) lo = 0xA0;
      if (c == 0xED) hi = 0x9F;  // no surrogates
    } else if (c >= 0xF0 && c <= 0xF4) {
      len = 4;
      if (c == 0xF0) lo = 0x90;
      if (c == 0xF4) hi = 0x8F;
    } else {
      return false;
    }
    if (i + len > n) return false;
    const unsigned char second = static_cast<unsigned char>(text[i + 1]);
    if (second < lo || second > hi) return false;
    for (size_t k = 2; k < len; ++k) {
      const unsigned char t = static_cast<unsigned char>(text[i + k]);
      if (t < 0x80 || t > 0xBF) return false;
    }
    i += len;
  }
  return true;
}

bool IsLeadByte(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

}  // namespace codepage
