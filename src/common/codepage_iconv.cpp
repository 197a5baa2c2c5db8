// The code page conversion through iconv (POSIX).
#include "common/codepage.h"

#include <iconv.h>

#include <cerrno>
#include <vector>

namespace codepage {
namespace {

std::string Convert(const std::string& in, const char* to, const char* from, const std::string& replacement) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return in;
  std::string out;
  out.reserve(in.size() * 2);
  char* src = const_cast<char*>(in.data());
  size_t src_left = in.size();
  std::vector<char> buf(4096);
  while (src_left > 0) {
    char* dst = buf.data();
    size_t dst_left = buf.size();
    size_t rc = iconv(cd, &src, &src_left, &dst, &dst_left);
    out.append(buf.data(), buf.size() - dst_left);
    if (rc == static_cast<size_t>(-1)) {
      if (errno == E2BIG) continue;
      // Invalid or incomplete sequence: replace one input byte and go on.
      out += replacement;
      ++src;
      --src_left;
    }
  }
  iconv_close(cd);
  return out;
}

}  // namespace

std::string AnsiToUtf8(const std::string& ansi) { return Convert(ansi, "UTF-8", "CP932", "\xEF\xBF\xBD"); }

std::string Utf8ToAnsi(const std::string& utf8) { return Convert(utf8, "CP932", "UTF-8", "?"); }

}  // namespace codepage
