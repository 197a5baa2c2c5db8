#include "controls/st_num_edits.h"

#include <QChar>

#include "controls/edit_rules.h"

namespace {

// Letters and digits classed acceptable by the shared filter: digits pass.
bool PassesAcceptable(char32_t c) { return !QChar::isLetter(c); }

}  // namespace

CSTRealNumEdit::CSTRealNumEdit(QWidget* parent) : CEditHarfWidth(parent) { SetDecimals(2); }

void CSTRealNumEdit::SetRange(double minimum, double maximum) {
  minimum_ = minimum;
  maximum_ = maximum;
}

void CSTRealNumEdit::SetDecimals(int decimals) {
  decimals_ = decimals;
  format_ = QString::asprintf("%%.%df", decimals);
}

bool CSTRealNumEdit::CheckChars(const QString& candidate) { return edit_rules::RealCharsOk(candidate); }

bool CSTRealNumEdit::CheckRange(const QString& candidate) {
  return edit_rules::RealInRange(candidate, minimum_, maximum_);
}

void CSTRealNumEdit::Normalize() { setText(edit_rules::NormalizeReal(text(), minimum_, maximum_, decimals_)); }

bool CSTRealNumEdit::PassesChar(char32_t c, int filterResult) {
  switch (filterResult) {
    case edit_rules::kAcceptable: return PassesAcceptable(c);
    case edit_rules::kOther: return edit_rules::RealPassesOther(c, text(), SelectionStartOrCursor(), decimals_);
    default: return false;
  }
}

bool CSTPositiveNumEdit::CheckChars(const QString& candidate) { return edit_rules::PositiveCharsOk(candidate); }

bool CSTPositiveNumEdit::PassesChar(char32_t c, int filterResult) {
  switch (filterResult) {
    case edit_rules::kAcceptable: return PassesAcceptable(c);
    case edit_rules::kOther: return edit_rules::PositivePassesOther(c, text());
    default: return false;
  }
}

void CSTNumEdit::SetRange(int minimum, int maximum) {
  minimum_ = minimum;
  maximum_ = maximum;
}

bool CSTNumEdit::CheckChars(const QString& candidate) { return edit_rules::NumCharsOk(candidate); }

bool CSTNumEdit::CheckRange(const QString& candidate) { return edit_rules::IntInRange(candidate, minimum_, maximum_); }

void CSTNumEdit::Normalize() {
  const QString normalized = edit_rules::NormalizeInt(text(), minimum_, maximum_);
  if (normalized != text()) setText(normalized);
}

bool CSTNumEdit::PassesChar(char32_t c, int filterResult) {
  switch (filterResult) {
    case edit_rules::kAcceptable: return PassesAcceptable(c);
    case edit_rules::kOther: return edit_rules::NumPassesOther(c);
    default: return false;
  }
}
