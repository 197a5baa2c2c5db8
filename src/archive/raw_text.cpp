#include "archive/raw_text.h"

namespace archive {
namespace {

bool IsContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }

}  // namespace

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
    if (!IsContinuation(p[i])) return 0;
  return length;
}

bool IsValidUtf8(std::string_view bytes) {
  while (!bytes.empty()) {
    const size_t n = static_cast<unsigned char>(bytes[0]) < 0x80 ? 1 : Utf8CharLength(bytes);
    if (n == 0) return false;
    bytes.remove_prefix(n);
  }
  return true;
}

void AppendEscapedRaw(std::string& out, std::string_view bytes) {
  static const char kHex[] = "0123456789ABCDEF";
  while (!bytes.empty()) {
    const unsigned char c = static_cast<unsigned char>(bytes[0]);
    size_t n = 1;
    if (c == '\\') {
      out += "\\\\";
    } else if (c < 0x20 || c == 0x7F || (c >= 0x80 && (n = Utf8CharLength(bytes)) == 0)) {
      n = 1;
      out += "\\x";
      out += kHex[c >> 4];
      out += kHex[c & 0x0F];
    } else {
      out.append(bytes.data(), n);
    }
    bytes.remove_prefix(n);
  }
}

}  // namespace archive
