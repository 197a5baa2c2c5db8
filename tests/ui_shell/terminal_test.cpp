// The terminal window against the virtual logger: typed lines and their line
// ends, the HELLO button, the traffic notification from other threads, the
// sending without running events inside, saving the displayed log, and
// hiding without losing content.
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <atomic>
#include <chrono>
#include <functional>
#include <thread>

#include "app/shell_strings.h"
#include "app/shell_text.h"
#include "app/vtrelix7_comm_app.h"
#include "common/string_table.h"
#include "common/timing.h"
#include "log/dlg_terminal.h"
#include "log/log_view.h"
#include "log/traffic_capture.h"
#include "shell_test_support.h"
#include "sim/virtual_logger.h"

using namespace std::chrono_literals;
using shelltest::InputText;
using shelltest::ViewText;

class TerminalTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() {
    timing::SetTimeScale(0.02);
    QVERIFY(theApp().InitServices());
  }

  void cleanupTestCase() { theApp().ExitInstance(); }

  void init() {
    logger_ = std::make_unique<vlogger::VirtualLogger>();
    QVERIFY(logger_->Start());
    QCOMPARE(theApp().Session().Open(logger_->PortPath()), 0);
    terminal_ = theApp().Terminal();
    theApp().ShowTerminal();
    QVERIFY(QTest::qWaitForWindowActive(terminal_));
    // Traffic of earlier tests is not this test's business.
    theApp().Log().Ring().TakePending();
    logger_->ClearReceived();
  }

  void cleanup() {
    theApp().Session().Close();
    theApp().DestroyTerminal();
    logger_.reset();
  }

  void enterSendsTheLineWithCrLfAndShowsTheReply() {
    QTest::keyClicks(terminal_->View(), "RD SYS");
    QCOMPARE(InputText(*terminal_->View()), std::string("RD SYS"));
    QTest::keyClick(terminal_->View(), Qt::Key_Return);
    QVERIFY(logger_->WaitForReceivedBytes([](const std::string& b) { return b == "RD SYS\r\n"; }, 5s));
    QCOMPARE(InputText(*terminal_->View()), std::string());
    // The line shows at once as sent text, then the reply arrives.
    QVERIFY(ViewText(*terminal_->View()).find("RD SYS\r\n") != std::string::npos);
    QTRY_VERIFY_WITH_TIMEOUT(ViewText(*terminal_->View()).find("YES END") != std::string::npos, 5000);
  }

  void enterOnAnEmptyLineSendsExactlyCrLf() {
    QTest::keyClick(terminal_->View(), Qt::Key_Return);
    QVERIFY(logger_->WaitForReceivedBytes([](const std::string& b) { return !b.empty(); }, 5s));
    QCOMPARE(logger_->ReceivedBytes(), std::string("\r\n"));
  }

  void escapeSendsTheLineWithEscAndNoLineEnd() {
    QTest::keyClicks(terminal_->View(), "ab");
    QTest::keyClick(terminal_->View(), Qt::Key_Escape);
    QVERIFY(logger_->WaitForReceivedBytes([](const std::string& b) { return b.size() >= 3; }, 5s));
    QCOMPARE(logger_->ReceivedBytes(), std::string("ab\x1b"));
    QVERIFY(terminal_->isVisible());  // Escape does not close the window
  }

  void keysOfTheWholeWindowGoToTheInputLine() {
    // Tab is typed instead of moving the focus, also when sent to a button.
    QTest::keyClick(terminal_->View(), Qt::Key_Tab);
    QTest::keyClicks(terminal_->HelloButton(), "x");
    QTest::keyClick(terminal_, Qt::Key_F5);  // gives no character
    QCOMPARE(InputText(*terminal_->View()), std::string("\tx"));
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(terminal_->View()));
    QVERIFY(logger_->ReceivedBytes().empty());
  }

  void helloButtonSendsTheWakeUpLineOnlyWhileEnabled() {
    terminal_->SetEnabled(0);
    QVERIFY(!terminal_->HelloButton()->isEnabled());
    terminal_->OnHello();
    terminal_->SetEnabled(1);
    QTest::mouseClick(terminal_->HelloButton(), Qt::LeftButton);
    QVERIFY(logger_->WaitForReceivedBytes([](const std::string& b) { return b.size() >= 9; }, 5s));
    QCOMPARE(logger_->ReceivedBytes(), std::string("\r\nhello\r\n"));
  }

  void lineTypedDuringAWorkIsSentWhenTheWorkEnds() {
    terminal_->SetEnabled(0);
    QTest::keyClicks(terminal_->View(), "abc");
    QTest::keyClick(terminal_->View(), Qt::Key_Return);
    // Nothing is written while the work runs; the line shows at once as waiting.
    QCOMPARE(terminal_->QueuedLineCount(), 1);
    QVERIFY(logger_->ReceivedBytes().empty());
    QCOMPARE(terminal_->WaitingLabel()->toolTip(), ShellText(strings::id::kTerminalWaiting) + QStringLiteral(" abc"));
    QVERIFY(terminal_->WaitingLabel()->isVisible());
    QVERIFY(!terminal_->WaitingLabel()->text().isEmpty());
    QTest::keyClicks(terminal_->View(), "RD SYS");
    QTest::keyClick(terminal_->View(), Qt::Key_Escape);
    QVERIFY(terminal_->WaitingLabel()->toolTip().endsWith(QStringLiteral(" abc / RD SYS")));
    terminal_->SetEnabled(1);
    QCOMPARE(terminal_->QueuedLineCount(), 0);
    QVERIFY(logger_->WaitForReceivedBytes([](const std::string& b) { return b.size() >= 12; }, 5s));
    QCOMPARE(logger_->ReceivedBytes(), std::string("abc\r\nRD SYS\x1b"));
    QVERIFY(terminal_->WaitingLabel()->toolTip().isEmpty());
    QVERIFY(terminal_->WaitingLabel()->text().isEmpty());
  }

  void lineWaitingWhileThePortClosesIsShownAsNotSent() {
    terminal_->SetEnabled(0);
    QTest::keyClicks(terminal_->View(), "abc");
    QTest::keyClick(terminal_->View(), Qt::Key_Return);
    theApp().Session().Close();
    terminal_->SetEnabled(1);
    QCOMPARE(terminal_->QueuedLineCount(), 0);
    QCOMPARE(terminal_->WaitingLabel()->toolTip(), ShellText(strings::id::kTerminalNotSent) + QStringLiteral(" abc"));
    QVERIFY(logger_->ReceivedBytes().empty());
    // The next line sent clears the note.
    QCOMPARE(theApp().Session().Open(logger_->PortPath()), 0);
    QTest::keyClick(terminal_->View(), Qt::Key_Return);
    QVERIFY(terminal_->WaitingLabel()->toolTip().isEmpty());
  }

  void closedPortSendsNothing() {
    theApp().Session().Close();
    QTest::keyClicks(terminal_->View(), "abc");
    QTest::keyClick(terminal_->View(), Qt::Key_Return);
    terminal_->OnHello();
    QCOMPARE(terminal_->QueuedLineCount(), 0);
    QVERIFY(ViewText(*terminal_->View()).find("abc") == std::string::npos);
  }

  void trafficFromOtherThreadsArrivesQueued() {
    // Captures from several threads; the window takes them on its own thread.
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
      threads.emplace_back([t] {
        for (int i = 0; i < 200; ++i) {
          const std::string line = "T" + std::to_string(t) + "-" + std::to_string(i) + "\r\n";
          theApp().Log().Capture(line.data(), static_cast<uint32_t>(line.size()), TrafficDirection::kReceived);
        }
      });
    for (std::thread& thread : threads) thread.join();
    QTRY_VERIFY_WITH_TIMEOUT(ViewText(*terminal_->View()).find("T3-199\r\n") != std::string::npos, 5000);
    QVERIFY(ViewText(*terminal_->View()).find("T0-0\r\n") != std::string::npos);
  }

  void terminalCanGoWhileTheReaderCaptures() {
    std::atomic<bool> stop{false};
    std::atomic<int> captures{0};
    std::thread capturer([&] {
      while (!stop.load()) {
        theApp().Log().Capture("x\r\n", 3, TrafficDirection::kReceived);
        ++captures;
        std::this_thread::yield();
      }
    });
    for (int i = 0; i < 20; ++i) {
      const int before = captures.load();
      theApp().DestroyTerminal();
      QTRY_VERIFY(captures.load() > before);  // captured while no terminal exists
      theApp().Terminal();
      const int after = captures.load();
      QTRY_VERIFY(captures.load() > after);
    }
    stop.store(true);
    capturer.join();
    QTRY_VERIFY_WITH_TIMEOUT(ViewText(*theApp().Terminal()->View()).find("x\r\n") != std::string::npos, 5000);
    terminal_ = theApp().Terminal();
  }

  void sendingATypedLineRunsNoEventsInside() {
    // An event already waiting must not be handled while the line is sent:
    // handling it there would mean the send re-entered the event loop.
    struct Case {
      const char* name;
      std::function<void()> send;
      std::string expected;
    };
    const Case cases[] = {
        {"typed line", [this] { terminal_->SendTypedLine("RD SYS\r\n"); }, "RD SYS\r\n"},
        {"hello", [this] { terminal_->OnHello(); }, "\r\nhello\r\n"},
        {"lines kept during a work",
         [this] {
           terminal_->SetEnabled(0);
           terminal_->SendTypedLine("a\r\n");
           terminal_->SendTypedLine("b\x1b");
           terminal_->SetEnabled(1);
         },
         "a\r\nb\x1b"},
    };
    for (const Case& c : cases) {
      logger_->ClearReceived();
      bool sending = false;
      int handled = 0;
      int handledWhileSending = 0;
      QMetaObject::invokeMethod(
          this,
          [&] {
            ++handled;
            if (sending) ++handledWhileSending;
          },
          Qt::QueuedConnection);
      sending = true;
      c.send();
      sending = false;
      QVERIFY2(logger_->WaitForReceivedBytes([&](const std::string& b) { return b.size() >= c.expected.size(); }, 5s),
               c.name);
      QCOMPARE(logger_->ReceivedBytes(), c.expected);
      QTRY_COMPARE(handled, 1);
      QVERIFY2(handledWhileSending == 0, c.name);
    }
  }

  void saveDisplayedLogWritesTheStoredLines() {
    theApp().Log().Capture("OK\r\n", 4, TrafficDirection::kReceived);
    theApp().Log().Capture("RD SYS\r\n", 8, TrafficDirection::kSent);
    theApp().Log().Capture("partial", 7, TrafficDirection::kReceived);
    QTRY_COMPARE(terminal_->View()->DisplayLines().Count(), 2);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("saved.log"));
    shelltest::FileDialogAnswer answer(path);
    terminal_->OnSaveDisplayedLog();
    QCOMPARE(answer.asked.size(), size_t{1});
    QVERIFY(answer.asked[0].save);
    QCOMPARE(answer.asked[0].defaultSuffix, QStringLiteral("log"));
    QVERIFY(answer.asked[0].proposedName.startsWith(QStringLiteral("TXL_")));
    QVERIFY(answer.asked[0].proposedName.endsWith(QStringLiteral(".log")));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    // Oldest first, without marks; the partial line is not written.
    QCOMPARE(file.readAll(), QByteArray("OK\r\nRD SYS\r\n"));
  }

  void saveThatCannotWriteSaysSo() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("missing/folder/saved.log"));
    shelltest::FileDialogAnswer answer(path);
    shelltest::MessageRecorder messages;
    terminal_->OnSaveDisplayedLog();
    QCOMPARE(messages.shown.size(), size_t{1});
    // The one form of a path in a message: in brackets on its own line.
    QVERIFY(messages.shown[0].text.startsWith(QStringLiteral("エラー！ ファイル作成に失敗しました\r\n(%1)").arg(path)));
    QVERIFY(!QFile::exists(path));
  }

  void hidingAndShowingKeepsLinesAndHistory() {
    QTest::keyClicks(terminal_->View(), "first");
    QTest::keyClick(terminal_->View(), Qt::Key_Return);
    QTRY_VERIFY(ViewText(*terminal_->View()).find("first\r\n") != std::string::npos);
    const std::string before = ViewText(*terminal_->View());
    terminal_->close();  // the close box only hides
    QVERIFY(!terminal_->isVisible());
    QCOMPARE(theApp().TerminalIfExists(), terminal_);
    theApp().ShowTerminal();
    QVERIFY(terminal_->isVisible());
    QCOMPARE(ViewText(*terminal_->View()).substr(0, before.size()), before);
    QCOMPARE(terminal_->View()->History().Count(), 1);
  }

 private:
  std::unique_ptr<vlogger::VirtualLogger> logger_;
  CDlgTerminal* terminal_ = nullptr;
};

QTEST_MAIN(TerminalTest)
#include "terminal_test.moc"
