// The work runner and its progress dialog: texts, abort, Esc and F1, the
// result, and a UI thread that keeps running while the worker works.
#include <QKeyEvent>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QThread>
#include <QTimer>

#include <atomic>
#include <climits>
#include <functional>

#include "app/vtrelix7_comm_app.h"
#include "log/dlg_terminal.h"
#include "work/dlg_working.h"
#include "work/marquee_bar.h"
#include "work/working_thread.h"

namespace {

// A work whose body the test gives; it can wait for the test's go.
class ScriptedWork : public CVTCWorkingThread {
 public:
  ScriptedWork() : CVTCWorkingThread([this] { return body(*this); }) {}
  std::function<int(ScriptedWork&)> body = [](ScriptedWork&) { return 0; };
  std::atomic<bool> release{false};

  // Waits (on the worker) until the test releases it; false after 10 s.
  bool WaitForRelease() {
    QDeadlineTimer deadline(10000);
    while (!release.load()) {
      if (deadline.hasExpired()) return false;
      QThread::msleep(1);
    }
    return true;
  }
};

// Runs the work and calls `look` on the UI thread with the progress dialog
// every few milliseconds until it returns true; then releases the worker.
int RunAndLook(ScriptedWork& work, QWidget* parent, const QString& caption, int abortable,
               const std::function<bool(CDlgWorking*)>& look) {
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    CDlgWorking* dialog = CVTCWorkingThread::CurrentProgressDialog();
    if (dialog != nullptr && look(dialog)) {
      poll.stop();
      work.release.store(true);
    }
  });
  poll.start(2);
  return work.Run(parent, caption, abortable);
}

// A window that records the keys it receives.
class KeyProbe : public QWidget {
 public:
  QList<int> pressed;

 protected:
  void keyPressEvent(QKeyEvent* e) override { pressed << e->key(); }
};

}  // namespace

class WorkRunnerTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() {
    QVERIFY(theApp().InitServices());
    parent_ = new QWidget;
    parent_->resize(300, 200);
    parent_->show();
    QVERIFY(QTest::qWaitForWindowExposed(parent_));
  }

  void cleanupTestCase() {
    delete parent_;
    theApp().ExitInstance();
  }

  void progressTexts_data() {
    QTest::addColumn<QString>("caption");
    QTest::addColumn<long>("total");
    QTest::addColumn<long>("value");
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("after");
    QTest::newRow("own text, counter") << QString() << 0L << 5L << "通信中"
                                       << "通信中 ( 5 )";
    QTest::newRow("caption, counter") << "読込中" << 0L << 5L << "読込中"
                                      << "読込中 ( 5 )";
    QTest::newRow("total and counter") << QString() << 100L << 5L << "通信中"
                                       << "通信中 ( 5 / 100 )";
  }

  void progressTexts() {
    QFETCH(QString, caption);
    QFETCH(long, total);
    QFETCH(long, value);
    QFETCH(QString, before);
    QFETCH(QString, after);
    std::atomic<bool> go{false};
    ScriptedWork work;
    work.body = [&](ScriptedWork& w) {
      QDeadlineTimer deadline(10000);
      while (!go.load() && !deadline.hasExpired()) QThread::msleep(1);
      if (total != 0) w.PostProgressTotal(total);
      w.PostProgressValue(value);
      return w.WaitForRelease() ? 1 : -1;
    };
    QString first;
    QString last;
    const int result = RunAndLook(work, parent_, caption, 0, [&](CDlgWorking* dialog) {
      if (first.isEmpty()) {
        first = dialog->CounterText();
        go.store(true);
      }
      last = dialog->CounterText();
      return last == after;
    });
    QCOMPARE(result, 1);
    QCOMPARE(first, before);
    QCOMPARE(last, after);
    QVERIFY(CVTCWorkingThread::CurrentProgressDialog() == nullptr);
  }

  void abortButtonHidesItselfAndSetsTheEvent() {
    ScriptedWork work;
    work.body = [](ScriptedWork& w) {
      QDeadlineTimer deadline(10000);
      while (!w.AbortEvent().IsSet()) {
        if (deadline.hasExpired()) return -1;
        QThread::msleep(1);
      }
      w.AbortEvent().Reset();
      return 7;
    };
    bool shownAtStart = false;
    bool clickable = false;
    bool hiddenAfterClick = false;
    QTimer poll;
    connect(&poll, &QTimer::timeout, this, [&] {
      CDlgWorking* dialog = CVTCWorkingThread::CurrentProgressDialog();
      if (dialog == nullptr || !dialog->isVisible()) return;
      poll.stop();
      auto* abort = dialog->findChild<QPushButton*>(QStringLiteral("abort"));
      shownAtStart = abort != nullptr && abort->isVisible();
      clickable = abort != nullptr && abort->isEnabled();
      if (abort != nullptr) QTest::mouseClick(abort, Qt::LeftButton);
      hiddenAfterClick = abort != nullptr && abort->isHidden();
    });
    poll.start(2);
    QCOMPARE(work.Run(parent_, QString(), 1), 7);
    QVERIFY(shownAtStart);
    QVERIFY(clickable);
    QVERIFY(hiddenAfterClick);
    // The next abortable run starts with the event reset.
    QVERIFY(!work.AbortEvent().IsSet());
  }

  void nonAbortableRunNeverShowsTheAbortButton() {
    ScriptedWork work;
    work.body = [](ScriptedWork& w) { return w.WaitForRelease() ? 1 : -1; };
    int looks = 0;
    bool everShown = false;
    QCOMPARE(RunAndLook(work, parent_, QString(), 0,
                        [&](CDlgWorking* dialog) {
                          everShown = everShown || dialog->AbortVisible();
                          return ++looks >= 20;
                        }),
             1);
    QVERIFY(!everShown);
  }

  void escapeIsSwallowedWhileTheDialogShows() {
    KeyProbe probe;
    probe.show();
    QVERIFY(QTest::qWaitForWindowExposed(&probe));
    ScriptedWork work;
    work.body = [](ScriptedWork& w) { return w.WaitForRelease() ? 1 : -1; };
    QList<int> duringRun;
    RunAndLook(work, parent_, QString(), 1, [&](CDlgWorking* dialog) {
      QTest::keyClick(&probe, Qt::Key_Escape);
      QTest::keyClick(dialog, Qt::Key_Escape);
      QTest::keyClick(&probe, Qt::Key_F2);
      duringRun = probe.pressed;
      return true;
    });
    // Esc reached no window (the progress dialog stayed), other keys pass.
    QCOMPARE(duringRun, QList<int>{Qt::Key_F2});
    probe.pressed.clear();
    QTest::keyClick(&probe, Qt::Key_Escape);
    QCOMPARE(probe.pressed, QList<int>{Qt::Key_Escape});
  }

  void f1ShowsTheTerminal() {
    theApp().Terminal()->hide();
    ScriptedWork work;
    work.body = [](ScriptedWork& w) { return w.WaitForRelease() ? 1 : -1; };
    RunAndLook(work, parent_, QString(), 0, [&](CDlgWorking* dialog) {
      QTest::keyClick(dialog, Qt::Key_F1);
      return true;
    });
    QVERIFY(theApp().Terminal()->isVisible());
    theApp().Terminal()->hide();
  }

  void resultIsExactlyDoWorksValue_data() {
    QTest::addColumn<int>("value");
    QTest::newRow("0") << 0;
    QTest::newRow("1") << 1;
    QTest::newRow("-5") << -5;
    QTest::newRow("max") << INT_MAX;
    QTest::newRow("min") << INT_MIN;
  }

  void resultIsExactlyDoWorksValue() {
    QFETCH(int, value);
    ScriptedWork work;
    work.body = [value](ScriptedWork&) { return value; };
    QCOMPARE(work.Run(parent_, QString(), 0), value);
    QVERIFY(parent_->isEnabled());
  }

  void parentAndTerminalAreDisabledOnlyWhileRunning() {
    CDlgTerminal* terminal = theApp().Terminal();
    ScriptedWork work;
    work.body = [](ScriptedWork& w) { return w.WaitForRelease() ? 1 : -1; };
    bool parentDisabled = false;
    int flagDuring = -1;
    bool helloDisabled = false;
    RunAndLook(work, parent_, QString(), 0, [&](CDlgWorking*) {
      parentDisabled = !parent_->isEnabled();
      flagDuring = terminal->Enabled();
      helloDisabled = !terminal->HelloButton()->isEnabled();
      return true;
    });
    QVERIFY(parentDisabled);
    QCOMPARE(flagDuring, 0);
    QVERIFY(helloDisabled);
    QVERIFY(parent_->isEnabled());
    QCOMPARE(terminal->Enabled(), 1);
    QVERIFY(terminal->HelloButton()->isEnabled());
  }

  void userInterfaceKeepsRunningWhileTheWorkerWorks() {
    // The worker ends only after the UI thread has handled 20 timer ticks.
    std::atomic<int> ticks{0};
    QTimer ticker;
    connect(&ticker, &QTimer::timeout, this, [&] { ++ticks; });
    ticker.start(1);
    ScriptedWork work;
    work.body = [&](ScriptedWork&) {
      QDeadlineTimer deadline(10000);
      while (ticks.load() < 20) {
        if (deadline.hasExpired()) return -1;
        QThread::msleep(1);
      }
      return 1;
    };
    QCOMPARE(work.Run(parent_, QString(), 0), 1);
  }

  void hiddenWindowEndsTheRunAndALateEndDoesNotEndTheNext() {
    QWidget window;
    window.resize(200, 100);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    ScriptedWork work;
    std::atomic<bool> firstEnded{false};
    work.body = [&](ScriptedWork& w) {
      const bool released = w.WaitForRelease();
      firstEnded.store(true);
      return released ? 5 : -1;
    };
    QTimer::singleShot(0, &window, [&window] { window.hide(); });
    // The run returns as soon as its window is hidden, before the work ends.
    QCOMPARE(work.Run(&window, QString(), 0), 0);
    QVERIFY(!firstEnded.load());
    QVERIFY(work.IsRunning());

    // The first work ends now and reports it; the second run, started before
    // that report is handled, must go on until its own work ends.
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    work.release.store(true);
    QDeadlineTimer deadline(10000);
    while (work.IsRunning() && !deadline.hasExpired()) QThread::msleep(1);
    QVERIFY(!work.IsRunning());
    std::atomic<bool> secondGo{false};
    work.body = [&](ScriptedWork&) {
      QDeadlineTimer deadline(10000);
      while (!secondGo.load() && !deadline.hasExpired()) QThread::msleep(1);
      return 9;
    };
    QTimer::singleShot(50, &window, [&secondGo] { secondGo.store(true); });
    QCOMPARE(work.Run(&window, QString(), 0), 9);
    QVERIFY(firstEnded.load());
  }

  void endlessBarMovesWhileShownAndStopsWithTheDialog() {
    ScriptedWork work;
    work.body = [](ScriptedWork& w) { return w.WaitForRelease() ? 1 : -1; };
    int firstLeft = -1;
    bool moved = false;
    bool running = false;
    QPointer<CMarqueeBar> bar;
    RunAndLook(work, parent_, QString(), 0, [&](CDlgWorking* dialog) {
      bar = dialog->Bar();
      running = bar->IsRunning();
      if (firstLeft < 0) firstLeft = bar->BlockLeft();
      moved = bar->BlockLeft() != firstLeft;
      return moved;
    });
    QVERIFY(running);
    QVERIFY(moved);
    QVERIFY(bar.isNull());  // went with the dialog
  }

 private:
  QWidget* parent_ = nullptr;
};

QTEST_MAIN(WorkRunnerTest)
#include "work_runner_test.moc"
