#pragma once
// The measurement page ("測定・送信"): the logger's measurement schedule as
// the session last read it -- state, start and next measurement date-times,
// the normal and event measurement intervals and transmission counts, the
// judgement criteria -- and a running estimate of the logger's clock. Its
// buttons open the measurement settings and judgement criteria wizards, stop
// the measurement and refresh.

#include <cstdint>

#include "controls/du_layout.h"
#include "pages/device_page.h"
#include "settings/pages/device_clock_field.h"

class QLineEdit;
class QPlainTextEdit;
class QPushButton;

class CDlgMainMeasSetting : public CDevicePage {
  Q_OBJECT

 public:
  static constexpr int kIdState = 1025;
  static constexpr int kIdDeviceClock = 1269;
  static constexpr int kIdJudgement = 1002;
  static constexpr int kIdNormalTransmission = 1023;
  static constexpr int kIdEventTransmission = 1024;
  static constexpr int kIdSet = 1010;
  static constexpr int kIdStop = 1012;
  static constexpr int kIdRefresh = 1007;
  static constexpr int kIdSetJudgement = 1011;
  // Year, month, day, hour, minute of the start and of the next measurement.
  static constexpr int kIdStart[5] = {1276, 1278, 1279, 1280, 1281};
  static constexpr int kIdNext[5] = {1283, 1284, 1285, 1286, 1287};
  // Days, hours, minutes of the normal and the event interval.
  static constexpr int kIdNormalInterval[3] = {1288, 1289, 1290};
  static constexpr int kIdEventInterval[3] = {1291, 1292, 1293};

  // A running worker is joined while this page's work and members are whole.
  ~CDlgMainMeasSetting() override { runner_.StopAndJoin(); }
  explicit CDlgMainMeasSetting(CDeviceHost& host, QWidget* parent = nullptr);

  // Fills the controls from the session's current record.
  void Refresh() override;
  // Button handlers.
  void OnSet();
  void OnSetJudgement();
  void OnStop();
  void OnRefresh();

  // The read-only field of a control id, or nullptr.
  QLineEdit* Field(int id) const;
  QPlainTextEdit* JudgementField() const { return judgement_; }
  QLineEdit* DeviceClockField() const { return clock_; }
  bool ClockTimerActive() const { return clock_->TimerActive(); }

 protected:
  void changeEvent(QEvent* event) override;

 private:
  QLineEdit* AddField(int id, int x, int y, int width);

  CDuLayout placer_;
  CDeviceClockField* clock_;
  QPlainTextEdit* judgement_;
  QPushButton* set_;
  QPushButton* stop_;
  QPushButton* refresh_;
  QPushButton* set_judgement_;
};
