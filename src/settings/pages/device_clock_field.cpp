#include "settings/pages/device_clock_field.h"

#include "session/device_session.h"
#include "settings/schedule_fields.h"
#include "work/working_thread.h"

CDeviceClockField::CDeviceClockField(CDeviceSession& session, QWidget* parent) : QLineEdit(parent), session_(session) {
  setReadOnly(true);
  timer_.setParent(this);  // so that tests can watch it tick
  timer_.setInterval(kPeriodMs);
  connect(&timer_, &QTimer::timeout, this, &CDeviceClockField::Tick);
}

void CDeviceClockField::Restart() {
  shown_.reset();
  clear();
}

void CDeviceClockField::showEvent(QShowEvent* event) {
  timer_.start();
  QLineEdit::showEvent(event);
}

void CDeviceClockField::hideEvent(QHideEvent* event) {
  // A minimised window keeps its clock running.
  if (!event->spontaneous()) timer_.stop();
  QLineEdit::hideEvent(event);
}

void CDeviceClockField::Tick() {
  // The session's clock reference is not read while a device operation runs
  // on a worker thread (it may be refreshing it); the display waits.
  if (CVTCWorkingThread::CurrentProgressDialog() != nullptr) return;
  int64_t now = 0;
  session_.GetDeviceClock(&now);
  if (shown_ && *shown_ == now) return;
  shown_ = now;
  setText(QString::fromStdString(DeviceClockText(now)));
}
