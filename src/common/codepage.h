#pragma once
// The logger's strings and the settings file are single-byte/double-byte text
// in the Japanese ANSI code page (CP932, Shift_JIS). The program itself works
// in UTF-8; these convert at the boundary.
#include <cstddef>
#include <string>
#include <string_view>

namespace codepage {

// CP932 to UTF-8. Bytes that do not convert become U+FFFD; never fails.
std::string AnsiToUtf8(const std::string& ansi);
// UTF-8 to CP932. Characters without a CP932 form become '?'.
std::string Utf8ToAnsi(const std::string& utf8);
// UTF-8 to CP932 without replacement: false when the text is not valid
// UTF-8 or holds a character CP932 cannot hold (`out` is then unspecified;
// `badAt`, when given, receives the UTF-8 offset of the first such character).
bool Utf8ToAnsiExact(const std::string& utf8, std::string* out, size_t* badAt = nullptr);
// True when the bytes are well-formed UTF-8 (no overlong forms, no surrogates).
bool IsValidUtf8(std::string_view text);
// The length (1-4) of the well-formed UTF-8 character at the start of the
// bytes, or 0 when the bytes there are not one.
size_t Utf8CharLength(std::string_view bytes);
// True when the byte starts a double-byte character in CP932.
bool IsLeadByte(unsigned char c);

}  // namespace codepage
