#pragma once
// Base of the five device pages of the page host: a child widget that runs
// its device operations through its own work runner and refreshes itself from
// the session's current record.
#include <QString>
#include <QWidget>

#include <functional>

#include "operations/operation.h"
#include "work/working_thread.h"

class CDevicePage : public QWidget, public CVTCWorkingThread {
  Q_OBJECT
 public:
  explicit CDevicePage(QWidget* parent = nullptr) : QWidget(parent) {}
  // Shows what the session currently holds.
  virtual void Refresh() {}

 protected:
  // Runs one device operation on the work runner (`lockedInput` as Run()
  // takes it) and shows its result: the message under `caption`, plainly on
  // success, as a warning otherwise. Returns the result.
  ops::Result RunOperation(const std::function<ops::Result()>& operation, const QString& caption, int lockedInput);
  int DoWork() override;

  // Escape never closes or changes a page.
  void keyPressEvent(QKeyEvent* e) override;

 private:
  std::function<ops::Result()> operation_;
  ops::Result result_;
};
