#pragma once
// A masked edit: a template text and a mask of the same length in which "D"
// marks a position that takes one decimal digit and any other character a
// fixed character taken from the template; unfilled positions show "_".
// DigitsText() returns only the characters of the "D" positions, in order (an
// unfilled position reads "_"); SetFullText() takes the full text including
// the fixed characters.
//
// Only ASCII digits reach the digit positions, typed or pasted: a pasted
// text goes in as if its ASCII digits were typed one by one, everything
// else in it is dropped.
#include <QLineEdit>
#include <QString>

class CMaskedEdit : public QLineEdit {
  Q_OBJECT

 public:
  explicit CMaskedEdit(QWidget* parent = nullptr);

  void SetTemplateAndMask(const QString& templateText, const QString& mask);
  void SetFullText(const QString& text);
  QString DigitsText() const;

  // Types the ASCII digits of the text at the cursor, as paste does once a
  // mask is set.
  void PasteDigits(const QString& text);

 protected:
  // A digit typed on a fixed character goes to the next digit position.
  void keyPressEvent(QKeyEvent* event) override;
  // The menu's Paste and the middle button's selection paste go through
  // PasteDigits.
  void contextMenuEvent(QContextMenuEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  // Moves the cursor from a fixed character (or the start of a selection)
  // to the next digit position.
  void MoveToDigitPosition();

  QString mask_;
};
