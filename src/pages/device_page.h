#pragma once
// Base of the five device pages of the page host: a child widget that runs
// its device operations through its own work runner and refreshes itself from
// the session's current record.
#include <QWidget>

#include "work/working_thread.h"

class CDevicePage : public QWidget, public CVTCWorkingThread {
  Q_OBJECT
 public:
  explicit CDevicePage(QWidget* parent = nullptr) : QWidget(parent) {}
  // Shows what the session currently holds.
  virtual void Refresh() {}

 protected:
  // Escape never closes or changes a page.
  void keyPressEvent(QKeyEvent* e) override;
};
