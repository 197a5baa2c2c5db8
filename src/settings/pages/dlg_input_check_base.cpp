#include "settings/pages/dlg_input_check_base.h"

#include <QPushButton>

#include "common/string_table.h"
#include "settings/wizard_flags.h"

CInputCheckBaseDlg::CInputCheckBaseDlg(CDeviceHost& host, QWidget* parent) : CInputBaseDlg(host, parent) {}

void CInputCheckBaseDlg::AddActionButton(const QString& text) {
  action_ = Place(new QPushButton(text), 22, 71, 50, 14, kIdActionButton);
  action_->setAutoDefault(false);
  connect(action_, &QPushButton::clicked, this, [this] { OnAction(); });
}

void CInputCheckBaseDlg::InitPage() {
  SetWizardFlags(WizardFlags() | wizard::kNoRefresh);
  CInputBaseDlg::InitPage();
  if (WizardFlags() & wizard::kOnlyPage) {
    NextButton()->setVisible(false);
    CancelButton()->setText(QString::fromStdString(strings::Text(strings::id::kCloseButton)));
  }
}
