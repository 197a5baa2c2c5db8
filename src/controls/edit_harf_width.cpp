#include "controls/edit_harf_width.h"

#include <QClipboard>
#include <QFocusEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMimeData>

#include "controls/edit_rules.h"
#include "controls/half_width.h"

CEditHarfWidth::CEditHarfWidth(QWidget* parent) : QLineEdit(parent) {
  // Composed input and dropped text would bypass the keystroke filter;
  // these fields take half-width text typed or pasted.
  setAttribute(Qt::WA_InputMethodEnabled, false);
  setAcceptDrops(false);
}

char32_t CEditHarfWidth::CharacterOfKey(const QKeyEvent& event) {
  if (event.matches(QKeySequence::Copy)) return edit_rules::kCtrlC;
  if (event.matches(QKeySequence::Paste)) return edit_rules::kCtrlV;
  switch (event.key()) {
    case Qt::Key_Backspace: return edit_rules::kBackspace;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Delete: return 0;
    default: break;
  }
  const QList<uint> text = event.text().toUcs4();
  if (text.isEmpty()) return 0;
  char32_t c = text.front();
  if ((event.modifiers() & Qt::ControlModifier) && ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'))) c &= 0x1F;
  return c;
}

int CEditHarfWidth::FilterChar(char32_t c) {
  using namespace edit_rules;
  if (half_width::IsRefusedWidth(c)) return kRefused;
  if (IsLetterOrDigit(c)) {
    const int start = hasSelectedText() ? selectionStart() : cursorPosition();
    const int end = hasSelectedText() ? selectionEnd() : start;
    const QString candidate = CandidateText(text(), start, end, c);
    return CheckChars(candidate) && CheckRange(candidate) ? kAcceptable : kRefused;
  }
  if (c == kCtrlC) {
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    if (!text().isEmpty()) clipboard->setText(text());
    return kAcceptable;
  }
  if (c == kCtrlV) {
    QClipboard* clipboard = QGuiApplication::clipboard();
    const QMimeData* data = clipboard->mimeData();
    if (data != nullptr && data->hasText()) clipboard->setText(half_width::ToHalfWidth(clipboard->text()));
    return kAcceptable;
  }
  return kOther;
}

bool CEditHarfWidth::CheckChars(const QString&) { return true; }
bool CEditHarfWidth::CheckRange(const QString&) { return true; }
void CEditHarfWidth::Normalize() {}

bool CEditHarfWidth::PassesChar(char32_t, int filterResult) { return filterResult != edit_rules::kRefused; }

int CEditHarfWidth::SelectionStartOrCursor() const { return hasSelectedText() ? selectionStart() : cursorPosition(); }

void CEditHarfWidth::keyPressEvent(QKeyEvent* event) {
  const char32_t c = CharacterOfKey(*event);
  if (c == 0 || PassesChar(c, FilterChar(c))) {
    QLineEdit::keyPressEvent(event);
    return;
  }
  event->accept();  // dropped
}

void CEditHarfWidth::focusOutEvent(QFocusEvent* event) {
  // A context menu takes the focus only for a moment; the value is not done.
  if (event->reason() != Qt::PopupFocusReason) Normalize();
  QLineEdit::focusOutEvent(event);
}

bool CEditAddress::PassesChar(char32_t c, int filterResult) {
  switch (filterResult) {
    case edit_rules::kAcceptable: return true;
    case edit_rules::kOther: return edit_rules::AddressPassesOther(c);
    default: return false;
  }
}
