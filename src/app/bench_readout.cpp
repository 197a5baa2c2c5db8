#include "app/bench_readout.h"

#include <sys/resource.h>

#include <QApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QFile>
#include <QPointer>
#include <QPushButton>
#include <QTabWidget>
#include <QTextStream>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <functional>

#include "app/main_frame.h"
#include "app/vtrelix7_comm_app.h"
#include "pages/dlg_aqcuired.h"
#include "pages/dlg_main_recode_data.h"
#include "pages/dlg_ref_main.h"
#include "work/dlg_working.h"

namespace {

constexpr int kRecordedDataTab = 4;

double ProcessCpuSeconds() {
  rusage ru{};
  getrusage(RUSAGE_SELF, &ru);
  return ru.ru_utime.tv_sec + ru.ru_stime.tv_sec + (ru.ru_utime.tv_usec + ru.ru_stime.tv_usec) / 1e6;
}

// A "Vm...:" figure of /proc/self/status in megabytes (kB / 1024).
double StatusMegabytes(const char* key) {
  QFile status(QStringLiteral("/proc/self/status"));
  if (!status.open(QIODevice::ReadOnly)) return -1;
  const QByteArray prefix = QByteArray(key) + ':';
  for (const QByteArray& line : status.readAll().split('\n'))
    if (line.startsWith(prefix)) return line.mid(prefix.size()).trimmed().split(' ').first().toDouble() / 1024.0;
  return -1;
}

bool WaitUntil(const std::function<bool()>& condition, int timeoutMs) {
  QDeadlineTimer deadline(timeoutMs);
  while (!condition()) {
    if (deadline.hasExpired()) return false;
    QApplication::processEvents(QEventLoop::AllEvents, 20);
    QThread::msleep(5);
  }
  return true;
}

// Calls `act` once with the modal dialog that the next action opens. It
// listens for the dialog's show event rather than polling, so that the
// figures of the readout that runs meanwhile carry no timer of the benchmark.
class ModalWatch : public QObject {
 public:
  explicit ModalWatch(std::function<void(QWidget*)> act) : act_(std::move(act)) {}

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::Show || !watched->isWidgetType()) return false;
    auto* widget = static_cast<QWidget*>(watched);
    if (!widget->isWindow() || !widget->isModal()) return false;
    qApp->removeEventFilter(this);
    // Acts once the dialog runs its own event loop.
    QPointer<QWidget> dialog(widget);
    QTimer::singleShot(0, qApp, [this, dialog] {
      if (dialog != nullptr) act_(dialog);
      deleteLater();
    });
    return false;
  }

 private:
  std::function<void(QWidget*)> act_;
};

void WhenModalShows(std::function<void(QWidget*)> act) { qApp->installEventFilter(new ModalWatch(std::move(act))); }

// Notes the end of the work run (the progress dialog goes) and the viewer's
// first painted text.
class Watcher : public QObject {
 public:
  QElapsedTimer clock;
  qint64 workEndNs = -1;
  double workEndCpu = -1;
  qint64 viewerPaintNs = -1;

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Show) {
      if (auto* progress = qobject_cast<CDlgWorking*>(watched))
        connect(progress, &QObject::destroyed, this, [this] {
          workEndNs = clock.nsecsElapsed();
          workEndCpu = ProcessCpuSeconds();
        });
    } else if (event->type() == QEvent::Paint && viewerPaintNs < 0 && watched->isWidgetType()) {
      auto* widget = static_cast<QWidget*>(watched);
      const bool text =
          widget->objectName() == QLatin1String("text") ||
          (widget->parentWidget() != nullptr && widget->parentWidget()->objectName() == QLatin1String("text"));
      if (text && qobject_cast<CDlgAqcuired*>(widget->window()) != nullptr) viewerPaintNs = clock.nsecsElapsed();
    }
    return false;
  }
};

}  // namespace

int BenchReadout::Run() {
  QTextStream err(stderr);
  auto fail = [&err](const char* what) {
    err << "bench: " << what << Qt::endl;
    if (CMainFrame* frame = theApp().MainFrame) frame->close();
    return 1;
  };
  if (!WaitUntil([] { return theApp().MainFrame != nullptr && theApp().MainFrame->isVisible(); }, 20000))
    return fail("no main window");
  CMainFrame* frame = theApp().MainFrame;

  WhenModalShows([](QWidget* dialog) {
    // The simulated logger is listed first and preselected.
    for (QPushButton* button : dialog->findChildren<QPushButton*>())
      if (button->isDefault()) button->click();
  });
  frame->OnConnect();
  if (!WaitUntil([frame] { return frame->IsConnected(); }, 20000)) return fail("not connected");
  if (showTerminal_) theApp().ShowTerminal();

  CDlgRefMain& host = frame->PageHost();
  if (!host.HasWindow()) return fail("no page host");
  host.Tabs()->setCurrentIndex(kRecordedDataTab);
  auto* page = qobject_cast<CDlgMainRecodeData*>(host.Tabs()->currentWidget());
  if (page == nullptr) return fail("no recorded-data page");
  WaitUntil([] { return false; }, 200);  // let the windows settle

  Watcher watcher;
  watcher.clock.start();
  qApp->installEventFilter(&watcher);
  const double rssBefore = StatusMegabytes("VmRSS");
  double cpuStart = -1;
  qint64 startNs = -1;
  double rssViewer = -1;
  bool viewerSeen = false;

  WhenModalShows([&](QWidget* range) {
    auto* ok = range->findChild<QPushButton*>(QStringLiteral("ok"));
    WhenModalShows([&](QWidget* viewer) {
      if (qobject_cast<CDlgAqcuired*>(viewer) == nullptr) {
        err << "bench: unexpected dialog " << viewer->windowTitle() << Qt::endl;
        viewer->close();
        return;
      }
      viewerSeen = true;
      WaitUntil([&watcher] { return watcher.viewerPaintNs >= 0; }, 10000);
      rssViewer = StatusMegabytes("VmRSS");
      if (auto* close = viewer->findChild<QPushButton*>(QStringLiteral("close"))) close->click();
    });
    cpuStart = ProcessCpuSeconds();
    startNs = watcher.clock.nsecsElapsed();
    if (ok != nullptr) ok->click();
  });
  page->OnReadData();
  qApp->removeEventFilter(&watcher);
  WaitUntil([] { return false; }, 300);  // deferred deletions run
  const double rssAfter = StatusMegabytes("VmRSS");

  if (!viewerSeen || watcher.workEndNs < 0 || watcher.viewerPaintNs < 0) return fail("the viewer did not show");
  std::printf(
      "bench: records=%zu readout_cpu_s=%.4f readout_wall_s=%.3f viewer_open_ms=%.2f rss_before_mb=%.1f "
      "rss_viewer_mb=%.1f rss_after_mb=%.1f peak_mb=%.1f\n",
      page->Text().size() == 0 ? size_t{0}
                               : static_cast<size_t>(std::count(page->Text().begin(), page->Text().end(), '\n')),
      watcher.workEndCpu - cpuStart, (watcher.workEndNs - startNs) / 1e9,
      (watcher.viewerPaintNs - watcher.workEndNs) / 1e6, rssBefore, rssViewer, rssAfter, StatusMegabytes("VmHWM"));
  std::fflush(stdout);
  frame->close();
  return 0;
}
