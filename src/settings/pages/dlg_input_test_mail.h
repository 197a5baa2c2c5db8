#pragma once
// Wizard page of the test transmission: "送信" makes the logger send a test
// mail. Whether it arrived can only be seen at the destination.
#include "settings/pages/dlg_input_check_base.h"

class CDlgInputTestMail : public CInputCheckBaseDlg {
  Q_OBJECT

 public:
  static constexpr int kTemplateId = 387;

  // A running worker is joined while this page's work and members are whole.
  ~CDlgInputTestMail() override { JoinWork(); }
  explicit CDlgInputTestMail(CDeviceHost& host, QWidget* parent = nullptr);

  int RunPage(QWidget* owner, int flags) override;
  int DoWork() override;

 protected:
  void OnAction() override;
};
