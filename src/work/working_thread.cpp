#include "work/working_thread.h"

#include <QApplication>
#include <QEventLoop>
#include <QTimer>

#include "work/dlg_working.h"

namespace {
std::function<void(bool)> g_terminal_enabler;
std::function<void()> g_shutdown_hook;
QPointer<CDlgWorking> g_current_progress;

// How often the UI thread looks whether the worker has ended.
constexpr int kPollMs = 5;
}  // namespace

void CVTCWorkingThread::SetTerminalEnabler(std::function<void(bool)> enable) {
  g_terminal_enabler = std::move(enable);
}
void CVTCWorkingThread::SetShutdownHook(std::function<void()> hook) { g_shutdown_hook = std::move(hook); }
CDlgWorking* CVTCWorkingThread::CurrentProgressDialog() { return g_current_progress.data(); }

CVTCWorkingThread::~CVTCWorkingThread() {
  if (worker_.joinable() && running_.load() && g_shutdown_hook) g_shutdown_hook();
  JoinWorker();
}

void CVTCWorkingThread::JoinWorker() {
  if (worker_.joinable()) worker_.join();
}

int CVTCWorkingThread::Run(QWidget* parentWidget, const QString& caption, int abortable) {
  // A previous run whose parent went away may still be finishing.
  JoinWorker();
  // The parent may be destroyed while the events of the run are handled.
  const QPointer<QWidget> parent = parentWidget;
  const bool hasParent = parentWidget != nullptr;

  if (g_terminal_enabler) g_terminal_enabler(false);
  if (parent) parent->setEnabled(false);

  if (abortable) abort_.Reset();
  auto* dialog = new CDlgWorking(parent, caption, abortable ? &abort_ : nullptr);
  {
    std::lock_guard<std::mutex> lock(progress_lock_);
    progress_ = dialog;
  }
  g_current_progress = dialog;
  dialog->show();

  result_.store(0);
  running_.store(true);
  worker_ = std::thread([this] {
    BeforeWork();
    result_.store(DoWork());
    AfterWork();
    running_.store(false);
  });

  QEventLoop loop;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
    if (!running_.load() || (hasParent && (!parent || !parent->isVisible()))) loop.quit();
  });
  poll.start(kPollMs);
  if (running_.load()) loop.exec();
  poll.stop();

  {
    std::lock_guard<std::mutex> lock(progress_lock_);
    progress_ = nullptr;
  }
  delete dialog;
  if (!running_.load()) JoinWorker();

  if (parent) {
    parent->setEnabled(true);
    parent->setFocus();
  }
  if (g_terminal_enabler) g_terminal_enabler(true);
  return result_.load();
}

void CVTCWorkingThread::PostProgressTotal(long total) {
  std::lock_guard<std::mutex> lock(progress_lock_);
  if (CDlgWorking* d = progress_.data())
    QMetaObject::invokeMethod(d, [d, total] { d->OnProgressCommand(CDlgWorking::kSetTotal, total); },
                              Qt::QueuedConnection);
}

void CVTCWorkingThread::PostProgressValue(long value) {
  std::lock_guard<std::mutex> lock(progress_lock_);
  if (CDlgWorking* d = progress_.data())
    QMetaObject::invokeMethod(d, [d, value] { d->OnProgressCommand(CDlgWorking::kSetValue, value); },
                              Qt::QueuedConnection);
}
