#pragma once
// The rules of the validated edit controls as plain functions: which
// keystrokes they let through, which texts they accept while typing and how
// they normalise a value when they lose the focus.
#include <QString>

namespace edit_rules {

// Result of the shared first step of every control's character handling.
enum Filter : int {
  kRefused = -1,    // wrong width, or the text it would make is not acceptable
  kAcceptable = 0,  // a letter or digit giving an acceptable text, Ctrl+C or Ctrl+V
  kOther = 1,       // anything else: the control's own table decides
};

constexpr char32_t kCtrlC = 3;
constexpr char32_t kBackspace = 8;
constexpr char32_t kCtrlV = 22;
constexpr char32_t kDelete = 127;

bool IsLetterOrDigit(char32_t c);

// The text with [selectionStart, selectionEnd) replaced by c; a negative
// end means the end of the text.
QString CandidateText(const QString& text, int selectionStart, int selectionEnd, char32_t c);

// Per control, whether a character that the first step classed kOther gets
// through. `selectionStart` is where the selection (or the cursor) starts.
bool AddressPassesOther(char32_t c);
bool RealPassesOther(char32_t c, const QString& text, int selectionStart, int decimals);
bool PositivePassesOther(char32_t c, const QString& text);
bool NumPassesOther(char32_t c);

// Whether the characters of a candidate text are acceptable.
// Real: "-" only first and at most one "."; other characters are not judged.
bool RealCharsOk(const QString& text);
// Positive: digits and at most one ".".
bool PositiveCharsOk(const QString& text);
// Integer: digits only.
bool NumCharsOk(const QString& text);

// Whether the value of a candidate text is acceptable while typing. Equal
// limits mean no range. A maximum above 0 and a minimum below 0 are
// enforced; a positive minimum is not, so that the digits of a valid number
// can be typed one by one.
bool RealInRange(const QString& text, double minimum, double maximum);
bool IntInRange(const QString& text, int minimum, int maximum);

// The leading decimal number of a text ("12.5kg" gives 12.5, no number 0).
double LeadingDouble(const QString& text);
// The leading integer of a text, saturated to the int range (no number 0).
int LeadingInt(const QString& text);

// The text a real-number control shows after losing the focus: its value,
// clamped to the range unless the limits are equal, with `decimals` decimals.
QString NormalizeReal(const QString& text, double minimum, double maximum, int decimals);
// The text an integer control shows after losing the focus: unchanged when
// the limits are equal or the value is within them, else the limit passed.
QString NormalizeInt(const QString& text, int minimum, int maximum);

}  // namespace edit_rules
