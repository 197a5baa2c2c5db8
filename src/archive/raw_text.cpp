#include "archive/raw_text.h"

namespace archive {

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
