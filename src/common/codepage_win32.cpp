// The code page conversion through the system's own tables (Windows).
#include <windows.h>

#include <string>

#include "common/codepage.h"

namespace codepage {
namespace {

constexpr UINT kJapanese = 932;

std::wstring Widen(UINT page, DWORD flags, const char* bytes, int length) {
  if (length <= 0) return std::wstring();
  const int n = MultiByteToWideChar(page, flags, bytes, length, nullptr, 0);
  if (n <= 0) return std::wstring();
  std::wstring out(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(page, flags, bytes, length, &out[0], n);
  return out;
}

std::string Narrow(UINT page, const std::wstring& wide, const char* replacement) {
  if (wide.empty()) return std::string();
  const int length = static_cast<int>(wide.size());
  // No "best fit" look-alikes (e for é): a character without its own form
  // becomes the replacement.
  const DWORD flags = page == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;
  const int n = WideCharToMultiByte(page, flags, wide.data(), length, nullptr, 0, replacement, nullptr);
  if (n <= 0) return std::string();
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(page, flags, wide.data(), length, &out[0], n, replacement, nullptr);
  return out;
}

}  // namespace

std::string AnsiToUtf8(const std::string& ansi) {
  const int length = static_cast<int>(ansi.size());
  std::wstring wide = Widen(kJapanese, MB_ERR_INVALID_CHARS, ansi.data(), length);
  if (wide.empty() && length > 0) {
    // Some byte does not convert: go character by character, each one that
    // fails becoming U+FFFD for one input byte.
    for (int i = 0; i < length;) {
      const bool pair = IsLeadByte(static_cast<unsigned char>(ansi[i])) && i + 1 < length;
      const std::wstring piece = Widen(kJapanese, MB_ERR_INVALID_CHARS, ansi.data() + i, pair ? 2 : 1);
      if (!piece.empty()) {
        wide += piece;
        i += pair ? 2 : 1;
      } else {
        wide += L'\xFFFD';
        ++i;
      }
    }
  }
  return Narrow(CP_UTF8, wide, nullptr);
}

std::string Utf8ToAnsi(const std::string& utf8) {
  return Narrow(kJapanese, Widen(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size())), "?");
}

bool Utf8ToAnsiExact(const std::string& utf8, std::string* out, size_t* badAt) {
  out->clear();
  if (badAt != nullptr) *badAt = 0;
  if (!IsValidUtf8(utf8)) return false;
  // One character at a time, so that the first one the code page cannot
  // hold is found; no replacement and no look-alike is ever taken.
  for (size_t i = 0; i < utf8.size();) {
    const unsigned char c = static_cast<unsigned char>(utf8[i]);
    const size_t n = c < 0x80 ? 1 : c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : 2;
    const std::wstring wide = Widen(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data() + i, static_cast<int>(n));
    BOOL usedDefault = FALSE;
    char bytes[8];
    const int m = wide.empty()
                      ? 0
                      : WideCharToMultiByte(kJapanese, WC_NO_BEST_FIT_CHARS, wide.data(), static_cast<int>(wide.size()),
                                            bytes, sizeof bytes, nullptr, &usedDefault);
    if (m <= 0 || usedDefault) {
      if (badAt != nullptr) *badAt = i;
      return false;
    }
    out->append(bytes, static_cast<size_t>(m));
    i += n;
  }
  return true;
}

}  // namespace codepage
