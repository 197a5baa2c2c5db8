#pragma once
// A masked edit: a template text and a mask of the same length in which "D"
// marks a position that takes one decimal digit and any other character a
// fixed character taken from the template; unfilled positions show "_".
// DigitsText() returns only the characters of the "D" positions, in order (an
// unfilled position reads "_"); SetFullText() takes the full text including
// the fixed characters.
#include <QLineEdit>
#include <QString>

class CMaskedEdit : public QLineEdit {
  Q_OBJECT

 public:
  explicit CMaskedEdit(QWidget* parent = nullptr);

  void SetTemplateAndMask(const QString& templateText, const QString& mask);
  void SetFullText(const QString& text);
  QString DigitsText() const;

 protected:
  // A digit typed on a fixed character goes to the next digit position.
  void keyPressEvent(QKeyEvent* event) override;

 private:
  QString mask_;
};
