#pragma once
// The firmware update dialog (placeholder until it is built).
#include <QDialog>

#include "work/working_thread.h"

class CDlgFirm : public QDialog, public CVTCWorkingThread {
  Q_OBJECT
 public:
  explicit CDlgFirm(QWidget* parent = nullptr);
  // 1 after a successful update (the frame then reconnects).
  int updated = 0;
};
