#pragma once
// The system page ("システム"): who the connected logger is and its basic
// state -- model, product information (IMEI and serial number), firmware
// version, a running estimate of the logger's clock, the range of record IDs
// in its memory and the transmission-stop battery voltage. Its buttons start
// the initialisation wizard, the stop-voltage wizard, a full refresh and the
// synchronisation of the logger's clock with the server time.

#include <cstdint>

#include "controls/du_layout.h"
#include "pages/device_page.h"
#include "settings/pages/device_clock_field.h"

class QLabel;
class QLineEdit;
class QPushButton;

class CDlgMainSystem : public CDevicePage {
  Q_OBJECT

 public:
  static constexpr int kIdDeviceName = 1015;
  static constexpr int kIdProductInfo = 1005;
  static constexpr int kIdVersion = 1013;
  static constexpr int kIdDeviceClock = 1269;
  static constexpr int kIdTimeSync = 1431;
  static constexpr int kIdMemoryRange = 1017;
  static constexpr int kIdCutoff = 1020;
  static constexpr int kIdSetCutoff = 1010;
  static constexpr int kIdInitialise = 1006;
  static constexpr int kIdRefresh = 1007;

  // A running worker is joined while this page's work and members are whole.
  ~CDlgMainSystem() override { runner_.StopAndJoin(); }
  explicit CDlgMainSystem(CDeviceHost& host, QWidget* parent = nullptr);

  // Fills the controls from the session's current record.
  void Refresh() override;
  // Button handlers.
  void OnInitialise();
  void OnSetCutoff();
  void OnRefresh();
  void OnTimeSync();

  QLabel* DeviceNameLabel() const { return device_name_; }
  QLabel* ProductInfoLabel() const { return product_info_; }
  QLabel* VersionLabel() const { return version_; }
  QLabel* MemoryRangeLabel() const { return memory_range_; }
  QLabel* CutoffLabel() const { return cutoff_; }
  // The logger clock's offset from the PC clock at the last read, e.g.
  // "+83 s"; highlighted beyond kClockOffsetLimit.
  QLabel* ClockOffsetLabel() const { return clock_offset_; }
  static constexpr int64_t kClockOffsetLimit = 60;
  QLineEdit* DeviceClockField() const { return clock_; }
  bool ClockTimerActive() const { return clock_->TimerActive(); }

 protected:
  void changeEvent(QEvent* event) override;

 private:
  CDuLayout placer_;
  void ShowClockOffset();

  CDeviceClockField* clock_;
  QLabel* device_name_;
  QLabel* product_info_;
  QLabel* version_;
  QLabel* memory_range_;
  QLabel* cutoff_;
  QLabel* clock_offset_;
  QPushButton* time_sync_;
  QPushButton* set_cutoff_;
  QPushButton* initialise_;
  QPushButton* refresh_;
};
