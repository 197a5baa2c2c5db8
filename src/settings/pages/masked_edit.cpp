#include "settings/pages/masked_edit.h"

#include <QAction>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>

#include <memory>

namespace {

constexpr QChar kBlank = QLatin1Char('_');

// Characters that have a meaning of their own in a Qt input mask.
bool IsMaskMeta(QChar c) { return QStringLiteral("AaNnXx90Dd#HhBb><![]{}\\;").contains(c); }

// Qt's digit positions take any Unicode digit; the fields mean ASCII 0-9.
bool IsAsciiDigit(QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); }

}  // namespace

CMaskedEdit::CMaskedEdit(QWidget* parent) : QLineEdit(parent) {
  // Composed input and dropped text would bypass the digit filter.
  setAttribute(Qt::WA_InputMethodEnabled, false);
  setAcceptDrops(false);
}

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

void CMaskedEdit::MoveToDigitPosition() {
  // Without this, a character equal to the fixed one under the cursor would
  // only step over it (the "20" of the year), and the digits would land one
  // place late.
  int pos = hasSelectedText() ? selectionStart() : cursorPosition();
  while (pos < mask_.size() && mask_[pos] != QLatin1Char('D')) ++pos;
  if (pos != cursorPosition() || hasSelectedText()) setCursorPosition(pos);
}

void CMaskedEdit::PasteDigits(const QString& text) {
  if (isReadOnly()) return;
  if (mask_.isEmpty()) return insert(text);  // a plain edit until a mask is set
  for (const QChar c : text) {
    if (!IsAsciiDigit(c)) continue;
    MoveToDigitPosition();
    insert(QString(c));
  }
}

void CMaskedEdit::keyPressEvent(QKeyEvent* event) {
  if (event->matches(QKeySequence::Paste)) {
    PasteDigits(QGuiApplication::clipboard()->text());
    event->accept();
    return;
  }
  const QString typed = event->text();
  const bool printable = !typed.isEmpty() && typed[0].isPrint() &&
                         !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
  if (printable && !mask_.isEmpty() && (typed.size() != 1 || !IsAsciiDigit(typed[0]))) {
    event->accept();
    return;
  }
  if (printable && !mask_.isEmpty()) MoveToDigitPosition();
  QLineEdit::keyPressEvent(event);
}

void CMaskedEdit::contextMenuEvent(QContextMenuEvent* event) {
  std::unique_ptr<QMenu> menu(createStandardContextMenu());
  // The standard menu's actions carry no names; Paste is known by its text
  // (before the shortcut), which QLineEdit translates in its own context.
  const QString pasteText = QLineEdit::tr("&Paste");
  for (QAction* action : menu->actions()) {
    if (action->text().section(QLatin1Char('\t'), 0, 0) != pasteText) continue;
    action->disconnect();
    connect(action, &QAction::triggered, this, [this] { PasteDigits(QGuiApplication::clipboard()->text()); });
  }
  menu->exec(event->globalPos());
}

void CMaskedEdit::mouseReleaseEvent(QMouseEvent* event) {
  QClipboard* clipboard = QGuiApplication::clipboard();
  if (event->button() == Qt::MiddleButton && clipboard->supportsSelection()) {
    PasteDigits(clipboard->text(QClipboard::Selection));
    event->accept();
    return;
  }
  QLineEdit::mouseReleaseEvent(event);
}
