#pragma once
// Wizard page of the initialisation item: resets the logger to its initial
// state with the "リセット" button. Next does not require a reset.
#include "settings/pages/input_base_dlg.h"

class QPushButton;

class CDlgInputInitReset : public CInputBaseDlg {
  Q_OBJECT

 public:
  static constexpr int kIdResetButton = 1021;

  // A running worker is joined while this page's work and members are whole.
  ~CDlgInputInitReset() override { JoinWork(); }
  explicit CDlgInputInitReset(CDeviceHost& host, QWidget* parent = nullptr);

  int RunPage(QWidget* owner, int flags) override;
  int DoWork() override;

  QPushButton* ResetButton() const { return reset_; }

 private:
  void OnReset();

  QPushButton* reset_;
};
