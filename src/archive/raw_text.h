#pragma once
// The logger's bytes as text for other programs. A record line is usually
// ASCII, but a noisy line may carry any byte; CSV and JSON Lines must stay
// valid UTF-8 and keep every byte, so such text is written with one escape:
//   "\\"   a backslash of the line,
//   "\xHH" (two upper-case hex digits) a byte that is a control character
//          (0x00-0x1F, 0x7F) or not part of valid UTF-8,
// and every other character as it is. Reading the escape back gives the
// line's bytes exactly.
#include <cstddef>
#include <string>
#include <string_view>

namespace archive {

// The length (1-4) of the well-formed UTF-8 character at the start of
// `bytes`, or 0 when the bytes there are not one.
size_t Utf8CharLength(std::string_view bytes);

// Whether the whole text is well-formed UTF-8.
bool IsValidUtf8(std::string_view bytes);

// Appends `bytes` in the escape above.
void AppendEscapedRaw(std::string& out, std::string_view bytes);

}  // namespace archive
