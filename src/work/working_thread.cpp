#include "work/working_thread.h"

#include <QApplication>
#include <QEventLoop>

#include "controls/message_box.h"
#include "session/device_session.h"
#include "work/dlg_working.h"

namespace {
std::function<void(bool)> g_terminal_enabler;
std::function<void()> g_shutdown_hook;
QPointer<CDlgWorking> g_current_progress;

// Ends the run's local loop when the window it serves goes away or is hidden.
class HideWatcher : public QObject {
 public:
  explicit HideWatcher(QEventLoop* loop) : loop_(loop) {}
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Hide) loop_->quit();
    return false;
  }

 private:
  QEventLoop* loop_;
};
}  // namespace

CVTCWorkingThread::CVTCWorkingThread(std::function<int()> work, std::function<void()> before,
                                     std::function<void()> after)
    : work_(std::move(work)),
      before_(std::move(before)),
      after_(std::move(after)),
      relay_(std::make_unique<QObject>()) {}

void CVTCWorkingThread::SetTerminalEnabler(std::function<void(bool)> enable) { g_terminal_enabler = std::move(enable); }
void CVTCWorkingThread::SetShutdownHook(std::function<void()> hook) { g_shutdown_hook = std::move(hook); }
CDlgWorking* CVTCWorkingThread::CurrentProgressDialog() { return g_current_progress.data(); }

CVTCWorkingThread::~CVTCWorkingThread() { StopAndJoin(); }

void CVTCWorkingThread::StopAndJoin() {
  if (worker_.joinable() && running_.load() && g_shutdown_hook) g_shutdown_hook();
  JoinWorker();
}

void CVTCWorkingThread::JoinWorker() {
  if (worker_.joinable()) worker_.join();
}

int CVTCWorkingThread::RunAndReport(CDeviceSession& session, QWidget* parent, const QString& caption, int abortable) {
  session.ClearMessages();
  // The boxes have no owner when the window went away during the run.
  const QPointer<QWidget> owner = parent;
  const int result = Run(parent, caption, abortable);
  if (!session.ErrorMessage().empty())
    msgbox::Warning(owner, QString::fromStdString(session.ErrorMessage()));
  else if (!session.ResultMessage().empty())
    msgbox::Plain(owner, QString::fromStdString(session.ResultMessage()), QStringLiteral("Normal termination"));
  return result;
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

  QEventLoop loop;
  const uint64_t run = ++run_serial_;
  current_loop_ = &loop;
  result_.store(0);
  running_.store(true);
  worker_ = std::thread([this, run] {
    if (before_) before_();
    result_.store(work_ ? work_() : 0);
    if (after_) after_();
    running_.store(false);
    // The end reaches the UI thread as a queued call; one that comes after
    // its run has already returned (its window went away) is ignored.
    QObject* relay = relay_.get();
    QMetaObject::invokeMethod(
        relay,
        [this, run] {
          if (run == run_serial_ && current_loop_ != nullptr) current_loop_->quit();
        },
        Qt::QueuedConnection);
  });

  HideWatcher watcher(&loop);
  QMetaObject::Connection gone;
  if (parent) {
    parent->installEventFilter(&watcher);
    gone = QObject::connect(parent.data(), &QObject::destroyed, &loop, &QEventLoop::quit);
  }
  if (running_.load() && (!hasParent || (parent && parent->isVisible()))) loop.exec();
  if (parent) parent->removeEventFilter(&watcher);
  QObject::disconnect(gone);
  current_loop_ = nullptr;

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
    QMetaObject::invokeMethod(
        d, [d, total] { d->OnProgressCommand(CDlgWorking::kSetTotal, total); }, Qt::QueuedConnection);
}

void CVTCWorkingThread::PostProgressValue(long value) {
  std::lock_guard<std::mutex> lock(progress_lock_);
  if (CDlgWorking* d = progress_.data())
    QMetaObject::invokeMethod(
        d, [d, value] { d->OnProgressCommand(CDlgWorking::kSetValue, value); }, Qt::QueuedConnection);
}
