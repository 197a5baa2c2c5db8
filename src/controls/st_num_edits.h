#pragma once
// Numeric edit controls of the wizard input pages. The owner sets the range
// (and for real numbers the number of decimals); equal limits mean no range.
// While typing, a keystroke that would make the value exceed a positive
// maximum or fall below a negative minimum is refused; on losing the focus
// the value is clamped and formatted.
#include <QString>

#include "controls/edit_harf_width.h"

// A signed decimal number, shown with a fixed number of decimals.
class CSTRealNumEdit : public CEditHarfWidth {
  Q_OBJECT

 public:
  explicit CSTRealNumEdit(QWidget* parent = nullptr);

  void SetRange(double minimum, double maximum);
  double Minimum() const { return minimum_; }
  double Maximum() const { return maximum_; }
  // Number of decimals shown after losing the focus (format "%.<n>f").
  void SetDecimals(int decimals);
  int Decimals() const { return decimals_; }
  QString Format() const { return format_; }

 protected:
  bool CheckChars(const QString& candidate) override;
  bool CheckRange(const QString& candidate) override;
  void Normalize() override;
  bool PassesChar(char32_t c, int filterResult) override;

 private:
  double maximum_ = 0;
  double minimum_ = 0;
  QString format_;
  int decimals_ = 0;
};

// An unsigned decimal number: no sign, and "." whatever the decimals.
class CSTPositiveNumEdit : public CSTRealNumEdit {
  Q_OBJECT

 public:
  using CSTRealNumEdit::CSTRealNumEdit;

 protected:
  bool CheckChars(const QString& candidate) override;
  bool PassesChar(char32_t c, int filterResult) override;
};

// An integer of digits only; formatted with "%d" when clamped.
class CSTNumEdit : public CEditHarfWidth {
  Q_OBJECT

 public:
  using CEditHarfWidth::CEditHarfWidth;

  void SetRange(int minimum, int maximum);
  int Minimum() const { return minimum_; }
  int Maximum() const { return maximum_; }

 protected:
  bool CheckChars(const QString& candidate) override;
  bool CheckRange(const QString& candidate) override;
  void Normalize() override;
  bool PassesChar(char32_t c, int filterResult) override;

 private:
  int maximum_ = 0;
  int minimum_ = 0;
};
