// The code page conversion through iconv (POSIX).
#include "common/codepage.h"

#include <iconv.h>

#include <cerrno>
#include <vector>

namespace codepage {
namespace {

// How many bytes one unconvertible character takes: a whole well-formed
// UTF-8 sequence (so that one character gives one replacement), else one byte.
using SkipFn = size_t (*)(const unsigned char* p, size_t left);

size_t OneByte(const unsigned char*, size_t) { return 1; }

size_t Utf8Character(const unsigned char* p, size_t left) {
  const size_t n = p[0] >= 0xF0 && p[0] <= 0xF4 ? 4 : p[0] >= 0xE0 ? 3 : p[0] >= 0xC2 && p[0] <= 0xDF ? 2 : 1;
  if (n > left) return 1;
  for (size_t i = 1; i < n; ++i)
    if ((p[i] & 0xC0) != 0x80) return 1;
  return n;
}

std::string Convert(const std::string& in, const char* to, const char* from, const std::string& replacement,
                    SkipFn skip) {
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
      // Invalid, incomplete or unconvertible: replace it and go on.
      const size_t n = skip(reinterpret_cast<const unsigned char*>(src), src_left);
      out += replacement;
      src += n;
      src_left -= n;
    }
  }
  iconv_close(cd);
  return out;
}

}  // namespace

std::string AnsiToUtf8(const std::string& ansi) { return Convert(ansi, "UTF-8", "CP932", "\xEF\xBF\xBD", OneByte); }

std::string Utf8ToAnsi(const std::string& utf8) { return Convert(utf8, "CP932", "UTF-8", "?", Utf8Character); }

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

}  // namespace codepage
