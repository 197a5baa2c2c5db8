#include "common/codepage.h"

namespace codepage {

bool Utf8ToAnsiExact(const std::string& utf8, std::string* out, size_t* badAt) {
  out->clear();
  if (badAt != nullptr) *badAt = 0;
  if (!IsValidUtf8(utf8)) return false;
  iconv_t cd = iconv_open("CP932", "UTF-8");
  if (cd == reinterpret_cast<iconv_t>(-1)) return false;
  char* src = const_cast<char*>(utf8.data());
  size_t src_left = utf8.size();
  std::vector<char> buf(4096);
  bool ok = true;
  while (src_left > 0) {
    char* dst = buf.data();
    size_t dst_left = buf.size();
    const size_t rc = iconv(cd, &src, &src_left, &dst, &dst_left);
    out->append(buf.data(), buf.size() - dst_left);
    if (rc == static_cast<size_t>(-1) && errno != E2BIG) {
      ok = false;
      break;
    }
    // glibc counts characters converted in an implementation-defined way
    // (rc > 0) instead of failing; such a text is not held exactly.
    if (rc != static_cast<size_t>(-1) && rc > 0) {
      ok = false;
      break;
    }
  }
  iconv_close(cd);
  if (!ok && badAt != nullptr) *badAt = static_cast<size_t>(src - utf8.data());
  return ok;
}

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
