#pragma once
// Half-width text for the validated edit controls: which characters they
// refuse for their width, and the full-width to half-width mapping applied
// to pasted text.
#include <QString>

namespace half_width {

// True for a character that is not half-width and is either full-width
// (or wide, such as kanji and kana) or a letter. Such characters are refused
// by every validated edit control.
bool IsRefusedWidth(char32_t c);

// The text with full-width forms replaced by their half-width forms:
// full-width ASCII, the ideographic space, katakana (voiced marks become
// separate half-width marks) and the other half-width/full-width forms.
QString ToHalfWidth(const QString& text);

}  // namespace half_width
