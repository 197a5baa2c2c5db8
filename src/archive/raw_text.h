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

#include "common/codepage.h"

namespace archive {

using codepage::IsValidUtf8;
using codepage::Utf8CharLength;

// Appends `bytes` in the escape above.
void AppendEscapedRaw(std::string& out, std::string_view bytes);

}  // namespace archive
