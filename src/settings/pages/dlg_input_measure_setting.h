#pragma once
// Wizard page of the measurement settings item: starts scheduled measurement
// with the start date-time and, for the normal and the event state, the
// measurement interval (days and hh:mm) and the data transmission interval
// (every how many measurements). A running display of the logger's clock
// helps to choose the start time; "PC時刻+2min" fills the PC's time plus two
// minutes.

#include <cstdint>

#include "settings/pages/device_clock_field.h"
#include "settings/pages/input_base_dlg.h"

class CMaskedEdit;
class CSTNumEdit;
class QLineEdit;
class QPushButton;

class CDlgInputMeasureSetting : public CInputBaseDlg {
  Q_OBJECT

 public:
  static constexpr int kIdStart = 1254;
  static constexpr int kIdPcTimeButton = 1421;
  static constexpr int kIdNormalDays = 1261;
  static constexpr int kIdNormalHoursMinutes = 1262;
  static constexpr int kIdNormalTransmission = 1027;
  static constexpr int kIdEventDays = 1025;
  static constexpr int kIdEventHoursMinutes = 1263;
  static constexpr int kIdEventTransmission = 1028;
  static constexpr int kIdDeviceClock = 1269;

  // A running worker is joined while this page's work and members are whole.
  ~CDlgInputMeasureSetting() override { JoinWork(); }
  explicit CDlgInputMeasureSetting(CDeviceHost& host, QWidget* parent = nullptr);

  int RunPage(QWidget* owner, int flags) override;
  int DoWork() override;

  CMaskedEdit* StartField() const { return start_; }
  CMaskedEdit* NormalHoursMinutesField() const { return normal_hm_; }
  CMaskedEdit* EventHoursMinutesField() const { return event_hm_; }
  CSTNumEdit* NormalDaysField() const { return normal_days_; }
  CSTNumEdit* EventDaysField() const { return event_days_; }
  CSTNumEdit* NormalTransmissionField() const { return normal_tx_; }
  CSTNumEdit* EventTransmissionField() const { return event_tx_; }
  QLineEdit* DeviceClockField() const { return clock_; }
  QPushButton* PcTimeButton() const { return pc_time_; }
  bool ClockTimerActive() const { return clock_->TimerActive(); }

  // The detail lines of the failed commands of the apply sequence
  // ("Err SMP\r\n" ...), in the order of the failure bits.
  static std::string FailureDetail(uint16_t flags);

 protected:
  void InitPage() override;
  void OnNext() override;

 private:
  void OnPcTime();

  CDeviceClockField* clock_;
  CMaskedEdit* start_;
  CMaskedEdit* normal_hm_;
  CMaskedEdit* event_hm_;
  CSTNumEdit* normal_days_;
  CSTNumEdit* event_days_;
  CSTNumEdit* normal_tx_;
  CSTNumEdit* event_tx_;
  QPushButton* pc_time_;
};
