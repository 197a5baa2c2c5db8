// The validated edit controls: keystrokes let through or dropped, range
// checks while typing, normalising on focus loss, Ctrl+C and Ctrl+V, and the
// coloured radio button.
#include <QApplication>
#include <QClipboard>
#include <QFocusEvent>
#include <QImage>
#include <QKeyEvent>
#include <QtTest>

#include <memory>

#include "controls/edit_harf_width.h"
#include "controls/edit_rules.h"
#include "controls/half_width.h"
#include "controls/org_color_rdio_button.h"
#include "controls/st_num_edits.h"

namespace {

enum Kind { kAddress, kReal, kPositive, kNum };

std::unique_ptr<CEditHarfWidth> MakeControl(int kind, double minimum, double maximum, int decimals) {
  switch (kind) {
    case kAddress: return std::make_unique<CEditAddress>();
    case kNum: {
      auto edit = std::make_unique<CSTNumEdit>();
      edit->SetRange(static_cast<int>(minimum), static_cast<int>(maximum));
      return edit;
    }
    default: {
      std::unique_ptr<CSTRealNumEdit> edit;
      if (kind == kReal)
        edit = std::make_unique<CSTRealNumEdit>();
      else
        edit = std::make_unique<CSTPositiveNumEdit>();
      edit->SetRange(minimum, maximum);
      edit->SetDecimals(decimals);
      return edit;
    }
  }
}

// Sends each character as a key press carrying that text, the way a
// keyboard layout delivers it ('\b' is the Backspace key).
void TypeText(QWidget* widget, const QString& text) {
  for (QChar c : text) {
    if (c == QLatin1Char('\b')) {
      QTest::keyClick(widget, Qt::Key_Backspace);
      continue;
    }
    const ushort u = c.unicode();
    const int key = (u > 32 && u < 127) ? QChar(u).toUpper().unicode() : int(Qt::Key_unknown);
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, QString(c));
    QApplication::sendEvent(widget, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, QString(c));
    QApplication::sendEvent(widget, &release);
  }
}

void LoseFocus(QWidget* widget, Qt::FocusReason reason = Qt::TabFocusReason) {
  QFocusEvent event(QEvent::FocusOut, reason);
  QApplication::sendEvent(widget, &event);
}

}  // namespace

class InputControlsTest : public QObject {
  Q_OBJECT

 private slots:
  void typing_data();
  void typing();
  void typingAtCursor_data();
  void typingAtCursor();
  void normalizing_data();
  void normalizing();
  void focusLossNormalizes();
  void pasteConvertsToHalfWidth();
  void copyPutsWholeText();
  void halfWidthMapping_data();
  void halfWidthMapping();
  void leadingNumbers();
  void radioButtonColours();
};

void InputControlsTest::typing_data() {
  QTest::addColumn<int>("kind");
  QTest::addColumn<double>("minimum");
  QTest::addColumn<double>("maximum");
  QTest::addColumn<int>("decimals");
  QTest::addColumn<QString>("typed");
  QTest::addColumn<QString>("expected");

  const double big = 9999.999;
  QTest::newRow("address: full-width digit") << int(kAddress) << 0.0 << 0.0 << 0 << QString("１") << QString();
  QTest::newRow("real: full-width digit") << int(kReal) << -big << big << 3 << QString("１") << QString();
  QTest::newRow("positive: full-width digit") << int(kPositive) << 0.0 << 0.0 << 2 << QString("１") << QString();
  QTest::newRow("num: full-width digit") << int(kNum) << 1.0 << 60.0 << 0 << QString("１") << QString();

  QTest::newRow("address: space comma colon refused, at dot minus kept")
      << int(kAddress) << 0.0 << 0.0 << 0 << QString("a b,c:;<>[]\\`@.-_~") << QString("abc@.-_~");
  QTest::newRow("address: symbols of the table")
      << int(kAddress) << 0.0 << 0.0 << 0 << QString("!\"#$%&'*+/=?^{|}") << QString("!\"#$%&'*+/=?^{|}");
  QTest::newRow("address: half-width kana kept, wide kana and accented letter refused")
      << int(kAddress) << 0.0 << 0.0 << 0 << QString("ｱあéZ") << QString("ｱZ");
  QTest::newRow("address: backspace") << int(kAddress) << 0.0 << 0.0 << 0 << QString("ab\bc") << QString("ac");

  QTest::newRow("real: fifth digit above maximum")
      << int(kReal) << -big << big << 3 << QString("10000") << QString("1000");
  QTest::newRow("real: below negative minimum")
      << int(kReal) << -big << big << 3 << QString("-10000") << QString("-1000");
  QTest::newRow("real: minus only at the start") << int(kReal) << -big << big << 3 << QString("-5-") << QString("-5");
  QTest::newRow("real: second point refused") << int(kReal) << -big << big << 3 << QString("1.2.3") << QString("1.23");
  QTest::newRow("real: no point without decimals") << int(kReal) << -big << big << 0 << QString("1.5") << QString("15");
  QTest::newRow("real: letters and space refused")
      << int(kReal) << -big << big << 2 << QString("1a b2") << QString("12");
  QTest::newRow("real: no range") << int(kReal) << 0.0 << 0.0 << 2 << QString("123456") << QString("123456");

  QTest::newRow("positive: minus always refused")
      << int(kPositive) << 0.0 << 100.0 << 2 << QString("-1.5") << QString("1.5");
  QTest::newRow("positive: one point whatever the decimals")
      << int(kPositive) << 0.0 << 0.0 << 0 << QString("1..5") << QString("1.5");
  QTest::newRow("positive: above maximum") << int(kPositive) << 0.0 << 15.0 << 1 << QString("16") << QString("1");

  QTest::newRow("num: 7 then 5 above 60") << int(kNum) << 1.0 << 60.0 << 0 << QString("75") << QString("7");
  QTest::newRow("num: only digits") << int(kNum) << 1.0 << 60.0 << 0 << QString("-a.5") << QString("5");
  QTest::newRow("num: positive minimum not enforced while typing")
      << int(kNum) << 10.0 << 60.0 << 0 << QString("5") << QString("5");
}

void InputControlsTest::typing() {
  QFETCH(int, kind);
  QFETCH(double, minimum);
  QFETCH(double, maximum);
  QFETCH(int, decimals);
  QFETCH(QString, typed);
  QFETCH(QString, expected);

  auto edit = MakeControl(kind, minimum, maximum, decimals);
  TypeText(edit.get(), typed);
  QCOMPARE(edit->text(), expected);
}

void InputControlsTest::typingAtCursor_data() {
  QTest::addColumn<QString>("initial");
  QTest::addColumn<int>("selectionStart");
  QTest::addColumn<int>("selectionLength");
  QTest::addColumn<QString>("typed");
  QTest::addColumn<QString>("expected");

  QTest::newRow("minus at the start") << QString("12") << 0 << 0 << QString("-") << QString("-12");
  QTest::newRow("minus in the middle") << QString("12") << 1 << 0 << QString("-") << QString("12");
  QTest::newRow("digit before the minus") << QString("-12") << 0 << 0 << QString("3") << QString("-12");
  QTest::newRow("selection replaced within range") << QString("9999") << 0 << 1 << QString("1") << QString("1999");
  QTest::newRow("digit inserted above maximum") << QString("9999") << 0 << 0 << QString("1") << QString("9999");
}

// A CSTRealNumEdit with range -9999.999 to 9999.999 and 3 decimals.
void InputControlsTest::typingAtCursor() {
  QFETCH(QString, initial);
  QFETCH(int, selectionStart);
  QFETCH(int, selectionLength);
  QFETCH(QString, typed);
  QFETCH(QString, expected);

  CSTRealNumEdit edit;
  edit.SetRange(-9999.999, 9999.999);
  edit.SetDecimals(3);
  edit.setText(initial);
  if (selectionLength > 0)
    edit.setSelection(selectionStart, selectionLength);
  else
    edit.setCursorPosition(selectionStart);
  TypeText(&edit, typed);
  QCOMPARE(edit.text(), expected);
}

void InputControlsTest::normalizing_data() {
  QTest::addColumn<bool>("integer");
  QTest::addColumn<double>("minimum");
  QTest::addColumn<double>("maximum");
  QTest::addColumn<int>("decimals");
  QTest::addColumn<QString>("text");
  QTest::addColumn<QString>("expected");

  QTest::newRow("real: 3 decimals") << false << -9999.999 << 9999.999 << 3 << QString("5") << QString("5.000");
  QTest::newRow("real: above maximum") << false << -9999.999 << 9999.999 << 3 << QString("12345")
                                       << QString("9999.999");
  QTest::newRow("real: below minimum") << false << -9999.999 << 9999.999 << 3 << QString("-12345.6")
                                       << QString("-9999.999");
  QTest::newRow("real: positive minimum") << false << 1.5 << 3.0 << 1 << QString("0.5") << QString("1.5");
  QTest::newRow("real: no number") << false << -10.0 << 10.0 << 2 << QString("-") << QString("0.00");
  QTest::newRow("real: no range still formats")
      << false << 0.0 << 0.0 << 2 << QString("12345.678") << QString("12345.68");
  QTest::newRow("real: digits beyond any double")
      << false << -10.0 << 10.0 << 1 << QString(400, QChar('9')) << QString("10.0");

  QTest::newRow("num: pasted 75") << true << 1.0 << 60.0 << 0 << QString("75") << QString("60");
  QTest::newRow("num: typed 0") << true << 1.0 << 60.0 << 0 << QString("0") << QString("1");
  QTest::newRow("num: empty") << true << 1.0 << 60.0 << 0 << QString() << QString("1");
  QTest::newRow("num: within range stays as typed") << true << 1.0 << 60.0 << 0 << QString("007") << QString("007");
  QTest::newRow("num: beyond int") << true << 1.0 << 60.0 << 0 << QString("99999999999") << QString("60");
  QTest::newRow("num: no range never changes") << true << 0.0 << 0.0 << 0 << QString("x75") << QString("x75");
}

void InputControlsTest::normalizing() {
  QFETCH(bool, integer);
  QFETCH(double, minimum);
  QFETCH(double, maximum);
  QFETCH(int, decimals);
  QFETCH(QString, text);
  QFETCH(QString, expected);

  const QString result = integer ? edit_rules::NormalizeInt(text, static_cast<int>(minimum), static_cast<int>(maximum))
                                 : edit_rules::NormalizeReal(text, minimum, maximum, decimals);
  QCOMPARE(result, expected);
}

void InputControlsTest::focusLossNormalizes() {
  CSTNumEdit number;
  number.SetRange(1, 60);
  number.setText("75");
  LoseFocus(&number, Qt::PopupFocusReason);  // a context menu: not done yet
  QCOMPARE(number.text(), QString("75"));
  LoseFocus(&number);
  QCOMPARE(number.text(), QString("60"));

  CSTPositiveNumEdit positive;
  positive.SetRange(0.0, 15.0);
  positive.SetDecimals(1);
  positive.setText("7");
  LoseFocus(&positive);
  QCOMPARE(positive.text(), QString("7.0"));

  CEditAddress address;
  address.setText("apn.example");
  LoseFocus(&address);
  QCOMPARE(address.text(), QString("apn.example"));
}

void InputControlsTest::pasteConvertsToHalfWidth() {
  QClipboard* clipboard = QGuiApplication::clipboard();
  const QString fullWidth = QString::fromUtf8("１２．５ＡＢ\u3000ｘ");
  const QString halfWidth = QString("12.5AB x");
  for (int kind : {int(kAddress), int(kReal), int(kPositive), int(kNum)}) {
    auto edit = MakeControl(kind, 1, 60, 2);
    clipboard->setText(fullWidth);
    QTest::keyClick(edit.get(), Qt::Key_V, Qt::ControlModifier);
    // Pasted text is not validated while typing.
    QCOMPARE(edit->text(), halfWidth);
    QCOMPARE(clipboard->text(), halfWidth);
  }
}

void InputControlsTest::copyPutsWholeText() {
  QClipboard* clipboard = QGuiApplication::clipboard();
  CEditAddress edit;
  edit.setText("user@apn");
  clipboard->setText("old");
  QTest::keyClick(&edit, Qt::Key_C, Qt::ControlModifier);
  QCOMPARE(clipboard->text(), QString("user@apn"));
  QCOMPARE(edit.text(), QString("user@apn"));

  // A selection is what the edit itself copies.
  edit.setSelection(5, 3);
  QTest::keyClick(&edit, Qt::Key_C, Qt::ControlModifier);
  QCOMPARE(clipboard->text(), QString("apn"));

  edit.clear();
  clipboard->setText("old");
  QTest::keyClick(&edit, Qt::Key_C, Qt::ControlModifier);
  QVERIFY(clipboard->text().isEmpty());
}

void InputControlsTest::halfWidthMapping_data() {
  QTest::addColumn<QString>("text");
  QTest::addColumn<QString>("expected");
  QTest::newRow("ascii forms") << QString("ＡＢＣ１２３＠－") << QString("ABC123@-");
  QTest::newRow("ideographic space") << QString("a\u3000b") << QString("a b");
  QTest::newRow("voiced katakana") << QString("ガイド") << QString("ｶﾞｲﾄﾞ");
  QTest::newRow("half-width unchanged") << QString("apn.example ｱ") << QString("apn.example ｱ");
}

void InputControlsTest::halfWidthMapping() {
  QFETCH(QString, text);
  QFETCH(QString, expected);
  QCOMPARE(half_width::ToHalfWidth(text), expected);
}

void InputControlsTest::leadingNumbers() {
  QCOMPARE(edit_rules::LeadingDouble(" 12.5kg"), 12.5);
  QCOMPARE(edit_rules::LeadingDouble("-.5"), -0.5);
  QCOMPARE(edit_rules::LeadingDouble("1e3"), 1.0);  // no exponent
  QCOMPARE(edit_rules::LeadingDouble("nan"), 0.0);
  QCOMPARE(edit_rules::LeadingInt("-42x"), -42);
  QCOMPARE(edit_rules::LeadingInt("-99999999999"), INT_MIN);
}

void InputControlsTest::radioButtonColours() {
  COrgColorRdioButton button("X");
  button.setAutoExclusive(false);  // alone, it could not be unchecked
  button.resize(80, 24);
  const auto corner = [&button] { return button.grab().toImage().pixelColor(3, 3); };

  button.setChecked(true);
  QCOMPARE(corner(), button.FillColor());
  QCOMPARE(button.FillColor(), QColor(80, 80, 240));
  QCOMPARE(button.TextColor(), QColor(255, 255, 0));
  QCOMPARE(button.FocusFillColor(), QColor(0, 175, 255));

  button.setEnabled(false);
  QVERIFY(corner() != button.FillColor());
  button.setEnabled(true);
  button.setChecked(false);
  QVERIFY(corner() != button.FillColor());
}

QTEST_MAIN(InputControlsTest)
#include "input_controls_test.moc"
