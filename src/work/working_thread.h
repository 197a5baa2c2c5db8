#pragma once
// Work runner held by every window that talks to the logger (a member, declared
// after the members its work uses, so that it is destroyed - and its worker
// joined - first). Run() disables the calling window and the terminal's
// buttons, shows the progress dialog, runs the before/work/after functions the
// owner gave on a worker thread while the UI thread keeps handling events,
// then tears down and returns the work's result.
//
// The worker never waits for the UI thread: progress goes to the dialog as
// queued calls. The UI thread never blocks on the worker: it runs a local event
// loop until the worker's queued call reports that it ended, or the calling
// window is hidden or destroyed. A worker is never killed; a
// runner destroyed while its worker still runs first calls the shutdown hook
// (the application closes the port, so every exchange ends within its
// time-out) and then joins the worker.
#include <QPointer>
#include <QString>
#include <QWidget>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "work/escape_event.h"

class CDlgWorking;
class CDeviceSession;

class CVTCWorkingThread {
 public:
  // `work` runs on the worker thread between `before` and `after` (either may
  // be empty); its value is Run()'s result.
  explicit CVTCWorkingThread(std::function<int()> work, std::function<void()> before = {},
                             std::function<void()> after = {});
  ~CVTCWorkingThread();
  CVTCWorkingThread(const CVTCWorkingThread&) = delete;
  CVTCWorkingThread& operator=(const CVTCWorkingThread&) = delete;

  // On the UI thread. An empty caption shows the dialog's own text.
  int Run(QWidget* parent, const QString& caption, int abortable);
  int RunSimple(QWidget* parent, const QString& caption) { return Run(parent, caption, 0); }
  // Run() for work that reports through the session's messages: clears them,
  // runs, then shows the error as a warning or else the result message under
  // "Normal termination". Returns Run()'s result.
  int RunAndReport(CDeviceSession& session, QWidget* parent, const QString& caption, int abortable);

  // For the work: the abort event of an abortable run (poll, and Reset() when
  // acting on it), and the progress counter of the dialog. Safe from any thread.
  CEscapeEvent& AbortEvent() { return abort_; }
  void PostProgressTotal(long total);
  void PostProgressValue(long value);

  bool IsRunning() const { return running_.load(); }
  // Ends a worker that still runs (the shutdown hook closes the port, so its
  // exchange ends within its time-out) and joins it. An owner whose work
  // uses members of a derived class calls this first thing in the derived
  // destructor, before those members are destroyed.
  void StopAndJoin();

  // Set once by the application: enables or disables the terminal window's
  // buttons around every run, and ends running exchanges at shutdown.
  static void SetTerminalEnabler(std::function<void(bool)> enable);
  static void SetShutdownHook(std::function<void()> hook);
  // The progress dialog that is showing, if any (at most one at a time).
  static CDlgWorking* CurrentProgressDialog();

 private:
  void JoinWorker();

  std::function<int()> work_;
  std::function<void()> before_;
  std::function<void()> after_;
  std::thread worker_;
  std::atomic<bool> running_{false};
  std::atomic<int> result_{0};
  CEscapeEvent abort_;
  std::mutex progress_lock_;
  QPointer<CDlgWorking> progress_;
  // On the UI thread: receives the worker's end; the loop of the current run
  // and its serial number.
  std::unique_ptr<QObject> relay_;
  class QEventLoop* current_loop_ = nullptr;
  uint64_t run_serial_ = 0;
};
