#include "settings/pages/masked_edit.h"

#include <QKeyEvent>

namespace {

constexpr QChar kBlank = QLatin1Char('_');

// Characters that have a meaning of their own in a Qt input mask.
bool IsMaskMeta(QChar c) { return QStringLiteral("AaNnXx90Dd#HhBb><![]{}\\;").contains(c); }

}  // namespace

CMaskedEdit::CMaskedEdit(QWidget* parent) : QLineEdit(parent) {}

void CMaskedEdit::SetTemplateAndMask(const QString& templateText, const QString& mask) {
  mask_ = mask;
  QString qtMask;
  for (int i = 0; i < mask.size(); ++i) {
    if (mask[i] == QLatin1Char('D')) {
      qtMask += QLatin1Char('0');  // a digit, may stay unfilled
    } else {
      const QChar fixed = i < templateText.size() ? templateText[i] : QLatin1Char(' ');
      if (IsMaskMeta(fixed)) qtMask += QLatin1Char('\\');
      qtMask += fixed;
    }
  }
  setInputMask(qtMask + QLatin1Char(';') + kBlank);
}

void CMaskedEdit::SetFullText(const QString& text) { setText(text); }

QString CMaskedEdit::DigitsText() const {
  const QString shown = displayText();
  QString digits;
  for (int i = 0; i < mask_.size(); ++i) {
    if (mask_[i] == QLatin1Char('D')) digits += i < shown.size() ? shown[i] : kBlank;
  }
  return digits;
}

void CMaskedEdit::keyPressEvent(QKeyEvent* event) {
  const QString typed = event->text();
  const bool printable = !typed.isEmpty() && typed[0].isPrint() &&
                         !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
  // Qt's digit positions take any Unicode digit; the fields mean ASCII 0-9.
  if (printable && !mask_.isEmpty() &&
      (typed.size() != 1 || typed[0] < QLatin1Char('0') || typed[0] > QLatin1Char('9'))) {
    event->accept();
    return;
  }
  if (printable && !mask_.isEmpty()) {
    // Without this, a character equal to the fixed one under the cursor
    // would only step over it (the "20" of the year), and the digits would
    // land one place late.
    int pos = hasSelectedText() ? selectionStart() : cursorPosition();
    while (pos < mask_.size() && mask_[pos] != QLatin1Char('D')) ++pos;
    if (pos != cursorPosition() || hasSelectedText()) setCursorPosition(pos);
  }
  QLineEdit::keyPressEvent(event);
}
