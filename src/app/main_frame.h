#pragma once
// The main frame (placeholder until it is built): the interface the pages use.
#include <QMainWindow>

#include "work/working_thread.h"

class CMainFrame : public QMainWindow, public CVTCWorkingThread {
  Q_OBJECT
 public:
  explicit CMainFrame(QWidget* parent = nullptr);
  ~CMainFrame() override;

  // item -1: full refresh; -2: quick refresh ("RD SYS" only); >= 0: the
  // single-item setting wizard for that item with the given wizard flags.
  // Ends with a refresh of all pages.
  void RunDeviceOperation(QWidget* page, int item, int flags);
  // Refreshes every page of the page host from the session.
  void RefreshPages();
  // Connects through the port selection dialog when the port is closed.
  bool EnsureConnected();
};
