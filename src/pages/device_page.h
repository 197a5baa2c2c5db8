#pragma once
// Base of the five device pages of the page host: a child widget that runs
// its device operations through its own work runner and refreshes itself from
// the session's current record.
#include <QString>
#include <QWidget>

#include <functional>

#include "operations/operation.h"
#include "session/device_session.h"
#include "work/device_host.h"
#include "work/working_thread.h"

class CDevicePage : public QWidget {
  Q_OBJECT
 public:
  explicit CDevicePage(CDeviceHost& host, QWidget* parent = nullptr) : QWidget(parent), host_(host) {}
  // Joins a running worker before the operation and its result are destroyed.
  ~CDevicePage() override { runner_.StopAndJoin(); }
  // Shows what the session currently holds.
  virtual void Refresh() {}

 protected:
  // Runs one device operation on the work runner (`lockedInput` as Run()
  // takes it) and shows its result: the message under `caption`, plainly on
  // success, as a warning otherwise. The operation holds the session for as
  // long as it runs; while another one holds it, it is refused as busy.
  // Returns the result.
  ops::Result RunOperation(CDeviceSession& session, const std::function<ops::Result(CDeviceSession&)>& operation,
                           const QString& caption, int lockedInput);
  // The runner's work, on the worker thread.
  virtual int DoWork();

  // What the application gives the page.
  CDeviceHost& Host() const { return host_; }
  // Through the frame when there is one (item as CDeviceHost::RunDeviceOperation);
  // without a frame the item's wizard runs directly and the page refreshes.
  void RunDeviceOperation(int item);

  // Escape never closes or changes a page.
  void keyPressEvent(QKeyEvent* e) override;

 private:
  CDeviceHost& host_;
  CDeviceSession* session_ = nullptr;
  std::function<ops::Result(CDeviceSession&)> operation_;
  ops::Result result_;

 protected:
  // Last, so that its worker is joined before the members above go.
  CVTCWorkingThread runner_{[this] { return DoWork(); }};
};
