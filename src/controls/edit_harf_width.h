#pragma once
// The validated single-line edit controls of the wizard input pages share
// this base: it refuses full-width characters and letters that are not
// half-width, checks the text a letter or digit would make, puts the whole
// text on the clipboard on Ctrl+C and turns pasted text half-width on Ctrl+V.
// Each subclass decides with its own table which keystrokes get through,
// and may normalise its text when it loses the focus.
//
// Enter, Escape, Tab and Delete are no characters here: they keep their
// usual meaning (default button, cancel, focus change, delete).
#include <QLineEdit>

class CEditHarfWidth : public QLineEdit {
  Q_OBJECT

 public:
  explicit CEditHarfWidth(QWidget* parent = nullptr);

  // The shared first step for a typed character: an edit_rules::Filter value
  // (-1 refused, 0 acceptable, 1 for the subclass's table).
  int FilterChar(char32_t c);

  // The character a key press types in these controls, or 0 for none.
  // Ctrl+C gives 3 and Ctrl+V gives 22 (and their other standard keys).
  static char32_t CharacterOfKey(const QKeyEvent& event);

 protected:
  // Whether the characters of a candidate text are acceptable.
  virtual bool CheckChars(const QString& candidate);
  // Whether the value of a candidate text is acceptable.
  virtual bool CheckRange(const QString& candidate);
  // Called when the control loses the focus.
  virtual void Normalize();
  // Whether a typed character reaches the edit, given FilterChar's result.
  virtual bool PassesChar(char32_t c, int filterResult);

  // Where the current selection starts, or the cursor when nothing is selected.
  int SelectionStartOrCursor() const;

  void keyPressEvent(QKeyEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
};

// Access point names, user names and passwords: half-width letters, digits
// and a set of symbols.
class CEditAddress : public CEditHarfWidth {
  Q_OBJECT

 public:
  using CEditHarfWidth::CEditHarfWidth;

 protected:
  bool PassesChar(char32_t c, int filterResult) override;
};
