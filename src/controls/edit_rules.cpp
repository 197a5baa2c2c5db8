#include "controls/edit_rules.h"

#include <QChar>

#include <algorithm>
#include <cfloat>
#include <charconv>
#include <climits>
#include <string>

#include "settings/wizard_values.h"

namespace edit_rules {

namespace {

bool IsAsciiDigit(QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); }

// Index of the first character after leading white space.
qsizetype SkipSpace(const QString& text) {
  qsizetype i = 0;
  while (i < text.size() && (text[i] == QLatin1Char(' ') || (text[i] >= QChar(9) && text[i] <= QChar(13)))) ++i;
  return i;
}

}  // namespace

bool IsLetterOrDigit(char32_t c) { return QChar::isLetter(c) || QChar::isDigit(c); }

QString CandidateText(const QString& text, int selectionStart, int selectionEnd, char32_t c) {
  const qsizetype size = text.size();
  const qsizetype start = std::clamp<qsizetype>(selectionStart, 0, size);
  const qsizetype end = selectionEnd < 0 ? size : std::clamp<qsizetype>(selectionEnd, start, size);
  QString candidate = text;
  candidate.replace(start, end - start, QString::fromUcs4(&c, 1));
  return candidate;
}

bool AddressPassesOther(char32_t c) {
  return c == kBackspace || (c >= 33 && c <= 39) || c == '*' || c == '+' || (c >= 45 && c <= 47) || c == '=' ||
         c == '?' || c == '@' || c == '^' || c == '_' || (c >= 123 && c <= 127);
}

bool RealPassesOther(char32_t c, const QString& text, int selectionStart, int decimals) {
  if (c == kBackspace || c == kDelete) return true;
  if (c == '-') return selectionStart == 0;
  if (c == '.') return decimals >= 1 && !text.contains(QLatin1Char('.'));
  return false;
}

bool PositivePassesOther(char32_t c, const QString& text) {
  if (c == kBackspace || c == kDelete) return true;
  return c == '.' && !text.contains(QLatin1Char('.'));
}

bool NumPassesOther(char32_t c) { return c == kBackspace || c == kDelete; }

bool RealCharsOk(const QString& text) {
  if (text.lastIndexOf(QLatin1Char('-')) > 0) return false;
  return text.count(QLatin1Char('.')) <= 1;
}

bool PositiveCharsOk(const QString& text) {
  for (QChar c : text)
    if (!IsAsciiDigit(c) && c != QLatin1Char('.')) return false;
  return text.count(QLatin1Char('.')) <= 1;
}

bool NumCharsOk(const QString& text) {
  for (QChar c : text)
    if (!IsAsciiDigit(c)) return false;
  return true;
}

bool RealInRange(const QString& text, double minimum, double maximum) {
  if (maximum == minimum) return true;
  const double value = LeadingDouble(text);
  if (maximum > 0 && value > maximum) return false;
  if (minimum < 0 && value < minimum) return false;
  return true;
}

bool IntInRange(const QString& text, int minimum, int maximum) {
  if (maximum == minimum) return true;
  const int value = LeadingInt(text);
  if (maximum > 0 && value > maximum) return false;
  if (minimum < 0 && value < minimum) return false;
  return true;
}

double LeadingDouble(const QString& text) {
  // Digits, one point and the sign only: no exponent, "inf" or "nan", and
  // the point is "." whatever the user's locale says.
  qsizetype i = SkipSpace(text);
  std::string number;
  if (i < text.size() && (text[i] == QLatin1Char('-') || text[i] == QLatin1Char('+'))) {
    if (text[i] == QLatin1Char('-')) number += '-';
    ++i;
  }
  bool point = false;
  bool digits = false;
  bool nonZero = false;
  for (; i < text.size(); ++i) {
    const QChar c = text[i];
    if (IsAsciiDigit(c)) {
      digits = true;
      nonZero = nonZero || (c != QLatin1Char('0') && !point);
    } else if (c == QLatin1Char('.') && !point) {
      point = true;
    } else {
      break;
    }
    number += static_cast<char>(c.unicode());
  }
  if (!digits) return 0.0;
  double value = 0.0;
  const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
  (void)end;
  if (error == std::errc::result_out_of_range) {
    // Far too many digits: as large as a double goes, or as good as zero.
    value = nonZero ? DBL_MAX : 0.0;
    if (number[0] == '-') value = -value;
  } else if (error != std::errc()) {
    value = 0.0;
  }
  return value;
}

int LeadingInt(const QString& text) {
  qsizetype i = SkipSpace(text);
  bool negative = false;
  if (i < text.size() && (text[i] == QLatin1Char('-') || text[i] == QLatin1Char('+'))) {
    negative = text[i] == QLatin1Char('-');
    ++i;
  }
  long long value = 0;
  for (; i < text.size() && IsAsciiDigit(text[i]); ++i) {
    value = value * 10 + (text[i].unicode() - '0');
    if (value > static_cast<long long>(INT_MAX) + 1) value = static_cast<long long>(INT_MAX) + 1;
  }
  if (negative) value = -value;
  return static_cast<int>(std::clamp<long long>(value, INT_MIN, INT_MAX));
}

QString NormalizeReal(const QString& text, double minimum, double maximum, int decimals) {
  return QString::fromStdString(NormalizedFieldText(LeadingDouble(text), minimum, maximum, decimals));
}

QString NormalizeInt(const QString& text, int minimum, int maximum) {
  if (maximum == minimum) return text;
  const int value = LeadingInt(text);
  if (value < minimum) return QString::asprintf("%d", minimum);
  if (value > maximum) return QString::asprintf("%d", maximum);
  return text;
}

}  // namespace edit_rules
