#pragma once
// Wizard page of the IMEI check: "確認" asks the logger's module for its IMEI
// to confirm that the module and its SIM answer. Success shows "成功" only;
// the digits are neither shown nor stored.
#include "settings/pages/dlg_input_check_base.h"

class CDlgInputCheckIMEI : public CInputCheckBaseDlg {
  Q_OBJECT

 public:
  static constexpr int kTemplateId = 401;

  // A running worker is joined while this page's work and members are whole.
  ~CDlgInputCheckIMEI() override { JoinWork(); }
  explicit CDlgInputCheckIMEI(CDeviceHost& host, QWidget* parent = nullptr);

  int RunPage(QWidget* owner, int flags) override;
  int DoWork() override;

 protected:
  void OnAction() override;
};
