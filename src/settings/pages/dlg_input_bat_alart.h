#pragma once
// Wizard page of the battery warning item: the battery voltage below which
// the logger stops transmitting, shown and typed in volts with one decimal,
// kept in the working record in millivolts.
#include "settings/pages/input_base_dlg.h"

class CSTPositiveNumEdit;

class CDlgInputBatAlart : public CInputBaseDlg {
  Q_OBJECT

 public:
  static constexpr int kIdVoltage = 1026;

  // A running worker is joined while this page's work and members are whole.
  ~CDlgInputBatAlart() override { JoinWork(); }
  explicit CDlgInputBatAlart(CDeviceHost& host, QWidget* parent = nullptr);

  int RunPage(QWidget* owner, int flags) override;
  int DoWork() override;

  CSTPositiveNumEdit* VoltageField() const { return voltage_; }

 protected:
  void InitPage() override;
  void OnNext() override;

 private:
  CSTPositiveNumEdit* voltage_;
};
