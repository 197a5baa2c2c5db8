#pragma once
// A read-only field with the logger's running clock, as the session
// estimates it from its last refresh. It updates itself while it is visible.
#include <QHideEvent>
#include <QLineEdit>
#include <QTimer>

#include <cstdint>
#include <optional>

class CDeviceSession;

class CDeviceClockField : public QLineEdit {
  Q_OBJECT
 public:
  static constexpr int kPeriodMs = 100;

  explicit CDeviceClockField(CDeviceSession& session, QWidget* parent = nullptr);

  bool TimerActive() const { return timer_.isActive(); }
  // Empties the field; it shows the clock again at the next tick.
  void Restart();

 protected:
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  void Tick();

  CDeviceSession& session_;
  QTimer timer_;
  std::optional<int64_t> shown_;
};
