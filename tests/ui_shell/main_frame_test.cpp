// The main frame against the virtual logger: connecting through the port
// selection dialog, the failures of a connect, disconnecting, the enabled
// commands per state, the page host and the frame's size, Tab into the pages,
// the traffic recording and the version box.
#include <QAction>
#include <QFile>
#include <QLabel>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <map>
#include <set>

#include "app/dlg_version.h"
#include "app/main_frame.h"
#include "app/vtrelix7_comm_app.h"
#include "app/vtrelix7_comm_view.h"
#include "common/string_table.h"
#include "common/timing.h"
#include "controls/com_setting_dlg.h"
#include "log/dlg_terminal.h"
#include "pages/device_page.h"
#include "pages/dlg_main_meas_setting.h"
#include "settings/pages/input_base_dlg.h"
#include "settings/setting_item_list.h"
#include "settings/wizard/dlg_tree_item.h"
#include "shell_test_support.h"
#include "sim/virtual_logger.h"
#include "work/dlg_working.h"

using namespace std::chrono_literals;

namespace {

using Enabled = std::map<int, bool>;

const int kMenuCommands[] = {
    CMainFrame::kCmdConnect,           CMainFrame::kCmdDisconnect,     CMainFrame::kCmdShowTerminal,
    CMainFrame::kCmdLogRecording,      CMainFrame::kCmdExit,           CMainFrame::kCmdExportSettings,
    CMainFrame::kCmdImportSettings,    CMainFrame::kCmdVersion,        CMainFrame::kCmdWizardAll,
    CMainFrame::kCmdWizardInitial,     CMainFrame::kCmdWizardWireless, CMainFrame::kCmdWizardConnection,
    CMainFrame::kCmdWizardMeasurement, CMainFrame::kCmdFirmwareUpdate,
};

Enabled EnabledCommands(const CMainFrame& frame) {
  Enabled enabled;
  for (int id : kMenuCommands) enabled[id] = frame.Action(id)->isEnabled();
  return enabled;
}

Enabled NotConnectedCommands() {
  Enabled e;
  for (int id : kMenuCommands) e[id] = false;
  for (int id : {CMainFrame::kCmdConnect, CMainFrame::kCmdShowTerminal, CMainFrame::kCmdLogRecording,
                 CMainFrame::kCmdExit, CMainFrame::kCmdVersion, CMainFrame::kCmdWizardWireless})
    e[id] = true;
  return e;
}

Enabled ConnectedCommands() {
  Enabled e;
  for (int id : kMenuCommands) e[id] = true;
  e[CMainFrame::kCmdConnect] = false;
  e[CMainFrame::kCmdFirmwareUpdate] = false;
  return e;
}

}  // namespace

class MainFrameTest : public QObject {
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
    theApp().SetSimulatedPort(QString::fromStdString(logger_->PortPath()));
    theApp().Session().lastChosenPortName.clear();
    frame_ = new CMainFrame;
    frame_->show();
    QVERIFY(QTest::qWaitForWindowExposed(frame_));
  }

  void cleanup() {
    delete frame_;
    frame_ = nullptr;
    theApp().SetSimulatedPort(QString());
    logger_.reset();
  }

  void startsNotConnectedShowingTheView() {
    QVERIFY(!frame_->IsConnected());
    QCOMPARE(EnabledCommands(*frame_), NotConnectedCommands());
    QCOMPARE(frame_->size(), QSize(CMainFrame::kInitialWidth, CMainFrame::kInitialHeight));
    QCOMPARE(frame_->pos(), QPoint(CMainFrame::kInitialX, CMainFrame::kInitialY));
    auto* client = qobject_cast<QStackedWidget*>(frame_->centralWidget());
    QCOMPARE(client->currentWidget(), static_cast<QWidget*>(frame_->View()));
    // The terminal exists hidden and receives the traffic.
    QVERIFY(theApp().TerminalIfExists() != nullptr);
    QVERIFY(!theApp().TerminalIfExists()->isVisible());
    // Menu texts and order.
    const QList<QAction*> menus = frame_->menuBar()->actions();
    QCOMPARE(menus.size(), 3);
    QCOMPARE(menus[0]->text(), QStringLiteral("通信(&T)"));
    QStringList items;
    for (QAction* a : menus[0]->menu()->actions()) items << (a->isSeparator() ? QStringLiteral("-") : a->text());
    QStringList expected({"接続", "切断", "-", "ターミナル表示"});
#ifdef QHX_HAVE_ARCHIVE
    expected << QStringLiteral("データアーカイブ(&A)...");
#endif
    expected << QStringList({"-", "ログ記録", "-", "終了"});
    QCOMPARE(items, expected);
  }

  void connectThroughThePortDialogShowsThePages() {
    QVERIFY(ConnectWithDialog());
    QVERIFY(frame_->IsConnected());
    QCOMPARE(theApp().Session().connectionState, 1);
    QCOMPARE(QString::fromStdString(theApp().Session().lastChosenPortName),
             QString::fromStdString(logger_->PortPath()));
    QCOMPARE(EnabledCommands(*frame_), ConnectedCommands());
    const auto lines = logger_->ReceivedLines();
    QVERIFY(std::find(lines.begin(), lines.end(), "HELLO") != lines.end());
    QVERIFY(std::find(lines.begin(), lines.end(), "RD SYS") != lines.end());
    QVERIFY(std::find(lines.begin(), lines.end(), "MAIL DSP") != lines.end());

    // The page host with its five tabs, covering the client area exactly.
    CDlgRefMain& host = frame_->PageHost();
    QVERIFY(host.HasWindow());
    QStringList tabs;
    for (int i = 0; i < host.Tabs()->count(); ++i) tabs << host.Tabs()->tabText(i);
    QCOMPARE(tabs, QStringList({"システム", "測定・送信", "通信設定", "テスト", "データ収録"}));
    QCOMPARE(host.Tabs()->currentIndex(), 0);
    QCOMPARE(host.Pages()[1].page->font().pointSize(), theApp().MeasurePageFont().pointSize());
    QTRY_COMPARE(frame_->centralWidget()->size(), host.HostSize());
    QCOMPARE(host.geometry(), frame_->centralWidget()->rect());
    QCOMPARE(frame_->minimumSize(), frame_->maximumSize());  // still not resizable

    // Clicking a tab shows that page only.
    host.Tabs()->setCurrentIndex(3);
    for (int i = 0; i < 5; ++i) QCOMPARE(host.Pages()[static_cast<size_t>(i)].page->isVisible(), i == 3);
  }

  void portThatCannotBeOpenedSaysSo() {
    shelltest::MessageRecorder messages;
    QVERIFY(!frame_->ConnectToPort(QStringLiteral("/dev/no-such-port")));
    QCOMPARE(messages.shown.size(), size_t{1});
    // The message, the system's reason and a hint, each on its own line.
    const QStringList lines = messages.shown[0].text.split(QLatin1Char('\n'));
    QCOMPARE(lines.size(), 3);
    QCOMPARE(lines[0], QStringLiteral("シリアルポートが開けません"));
    QCOMPARE(lines[1], QStringLiteral("(/dev/no-such-port: No such file or directory)"));
    QCOMPARE(lines[2], QString::fromStdString(strings::Text(strings::id::kPortHintNoSuchDevice)));
    QCOMPARE(messages.shown[0].caption, QStringLiteral("Error!"));
    QVERIFY(messages.shown[0].icon == msgbox::Icon::kWarning);
    QVERIFY(!theApp().Session().IsOpen());
    QVERIFY(!frame_->IsConnected());
    QCOMPARE(EnabledCommands(*frame_), NotConnectedCommands());
  }

  void loggerThatDoesNotAnswerClosesThePortAgain() {
    logger_->SilenceCommands("HELLO", -1);
    shelltest::MessageRecorder messages;
    QVERIFY(!frame_->ConnectToPort(QString::fromStdString(logger_->PortPath())));
    QCOMPARE(messages.shown.size(), size_t{1});
    QCOMPARE(messages.shown[0].text, QStringLiteral("応答がありません"));
    QCOMPARE(messages.shown[0].caption, QStringLiteral("Error!"));
    QVERIFY(!theApp().Session().IsOpen());
    QVERIFY(!frame_->IsConnected());
    QVERIFY(!frame_->PageHost().HasWindow());
    QCOMPARE(EnabledCommands(*frame_), NotConnectedCommands());
  }

  // The connect check and a refresh show Abort; pressing it ends the work at
  // once (here the logger never answers and the time-outs run at full
  // length): a connect is given up without a message, a refresh keeps the
  // connection usable.
  void connectAndRefreshCanBeAborted() {
    QVERIFY(ConnectWithDialog());
    CDevicePage* page = frame_->PageHost().Pages()[0].page;
    timing::SetTimeScale(1.0);
    logger_->SilenceCommands("", -1);
    shelltest::MessageRecorder messages;
    bool abortShown = false;
    QTimer poll;
    connect(&poll, &QTimer::timeout, this, [&] {
      CDlgWorking* dialog = CVTCWorkingThread::CurrentProgressDialog();
      if (dialog == nullptr || !dialog->isVisible() || !logger_->WaitForReceived(1, 0ms)) return;
      auto* abort = dialog->findChild<QPushButton*>(QStringLiteral("abort"));
      poll.stop();
      abortShown = abort != nullptr && abort->isVisible();
      if (abortShown) QTest::mouseClick(abort, Qt::LeftButton);
    });

    logger_->ClearReceived();
    poll.start(20);
    frame_->RunDeviceOperation(page, -2, 0);
    poll.stop();
    QVERIFY(abortShown);
    QVERIFY(frame_->IsConnected());
    timing::SetTimeScale(0.02);
    logger_->SilenceCommands("", 0);
    logger_->ClearReceived();
    frame_->RunDeviceOperation(page, -2, 0);
    QCOMPARE(logger_->ReceivedLines(), std::vector<std::string>{"RD SYS"});

    timing::SetTimeScale(1.0);
    logger_->SilenceCommands("", -1);
    logger_->ClearReceived();
    abortShown = false;
    poll.start(20);
    QVERIFY(!frame_->ConnectToPort(QString::fromStdString(logger_->PortPath())));
    poll.stop();
    timing::SetTimeScale(0.02);
    QVERIFY(abortShown);
    QVERIFY(messages.shown.empty());
    QVERIFY(!theApp().Session().IsOpen());
    QVERIFY(!frame_->IsConnected());
  }

  void cancellingThePortDialogStaysNotConnected() {
    shelltest::MessageRecorder messages;
    auto answered = shelltest::WhenModalShows([](QWidget* dialog) { qobject_cast<QDialog*>(dialog)->reject(); });
    frame_->OnConnect();
    QVERIFY(*answered);
    QVERIFY(messages.shown.empty());
    QVERIFY(!frame_->IsConnected());
    QCOMPARE(EnabledCommands(*frame_), NotConnectedCommands());
  }

  // The logger hangs up during a refresh: the frame ends the connection at
  // once (pages gone, no running clock, Connect offered) and tells the lost
  // line with the system's reason, once.
  void lineLostDuringARefreshEndsTheConnection() {
    QVERIFY(ConnectWithDialog());
    CDevicePage* page = frame_->PageHost().Pages()[0].page;
    shelltest::MessageRecorder messages;
    logger_->DropOnCommand("RD SYS");
    frame_->RunDeviceOperation(page, -2, 0);
    QTRY_VERIFY(!frame_->IsConnected());
    QVERIFY(!frame_->PageHost().HasWindow());
    QCOMPARE(EnabledCommands(*frame_), NotConnectedCommands());
    int64_t clock = 0;
    QCOMPARE(theApp().Session().GetDeviceClock(&clock), 0);
    QCOMPARE(messages.shown.size(), size_t{1});
    QCOMPARE(messages.shown[0].text, QString::fromStdString(strings::Text(strings::id::kLineLost)) + QLatin1Char('\n') +
                                         QString::fromLocal8Bit(std::strerror(EIO)));
    QCOMPARE(messages.shown[0].caption, QStringLiteral("Error!"));
  }

  void disconnectAlwaysSucceedsSilently() {
    QVERIFY(ConnectWithDialog());
    shelltest::MessageRecorder messages;
    logger_->Stop();  // as if unplugged
    frame_->OnCloseConnection();
    QVERIFY(messages.shown.empty());
    QVERIFY(!frame_->IsConnected());
    QVERIFY(!theApp().Session().IsOpen());
    QCOMPARE(theApp().Session().connectionState, 0);
    QVERIFY(!frame_->PageHost().HasWindow());
    auto* client = qobject_cast<QStackedWidget*>(frame_->centralWidget());
    QCOMPARE(client->currentWidget(), static_cast<QWidget*>(frame_->View()));
    QCOMPARE(EnabledCommands(*frame_), NotConnectedCommands());
  }

  void connectWhileConnectedClosesThePortFirst() {
    QVERIFY(ConnectWithDialog());
    bool portOpenWhileAsked = true;
    auto answered = shelltest::WhenModalShows([&](QWidget* dialog) {
      portOpenWhileAsked = theApp().Session().IsOpen();
      qobject_cast<QDialog*>(dialog)->reject();
    });
    frame_->OnConnect();
    QVERIFY(*answered);
    QVERIFY(!portOpenWhileAsked);
  }

  void quickRefreshReadsTheSystemInformation() {
    QVERIFY(ConnectWithDialog());
    logger_->ClearReceived();
    shelltest::MessageRecorder messages;
    CDevicePage* page = frame_->PageHost().Pages()[0].page;
    frame_->RunDeviceOperation(page, -2, 0);
    QCOMPARE(logger_->ReceivedLines(), std::vector<std::string>{"RD SYS"});
    // A failed refresh shows nothing and stays connected.
    logger_->SilenceCommands("", -1);
    frame_->RunDeviceOperation(page, -1, 0);
    QVERIFY(messages.shown.empty());
    QVERIFY(frame_->IsConnected());
  }

  void runnerThatGoesAwayClosesThePortAndJoinsItsWorker() {
    // A work waits for a logger that does not answer; its window goes away.
    logger_->SilenceCommands("HELLO", -1);
    QCOMPARE(theApp().Session().Open(logger_->PortPath()), 0);
    struct IdentifyWork : CVTCWorkingThread {
      IdentifyWork()
          : CVTCWorkingThread([this] {
              identified = theApp().Session().Identify();
              return 1;
            }) {}
      std::atomic<int> identified{-1};
    };
    auto window = std::make_unique<QWidget>();
    window->show();
    auto work = std::make_unique<IdentifyWork>();
    QTimer::singleShot(0, window.get(), [&] {
      QVERIFY(logger_->WaitForReceived(1, 5s));  // the worker is waiting now
      window->hide();
    });
    QCOMPARE(work->Run(window.get(), QString(), 0), 0);  // returned before the work ended
    QVERIFY(CVTCWorkingThread::CurrentProgressDialog() == nullptr);
    work.reset();  // closes the port, then joins the worker
    QVERIFY(!theApp().Session().IsOpen());
    QVERIFY(window->isEnabled());
  }

  void pageDestroyedWhileItsOperationRunsJoinsItsWorker() {
    QVERIFY(ConnectWithDialog());
    shelltest::MessageRecorder messages;
    CDlgMainMeasSetting* page = StopPageWaitingForTheLogger();
    QVERIFY(page != nullptr);
    const QPointer<QWidget> alive = page;
    QTimer::singleShot(0, page, [&] {
      QVERIFY(StopSent());
      page->hide();  // the run returns while its worker still waits for the reply
    });
    page->OnStop();
    frame_->PageHost().DestroyWindow();
    QTRY_VERIFY(alive.isNull());
    // The page's destruction ended the exchange and joined the worker.
    QVERIFY(!theApp().Session().OperationRunning());
    QVERIFY(!theApp().Session().IsOpen());
  }

  void disconnectWhileStopRunsWaitsForIt() {
    QVERIFY(ConnectWithDialog());
    shelltest::MessageRecorder messages;
    CDlgMainMeasSetting* page = StopPageWaitingForTheLogger();
    QVERIFY(page != nullptr);
    const QPointer<QWidget> alive = page;
    bool runningAtDisconnect = false;
    bool resetUnderTheWorker = true;
    QTimer::singleShot(0, frame_, [&] {
      QVERIFY(StopSent());
      runningAtDisconnect = theApp().Session().OperationRunning();
      QVERIFY(frame_->Action(CMainFrame::kCmdDisconnect)->isEnabled());
      frame_->Action(CMainFrame::kCmdDisconnect)->trigger();
      resetUnderTheWorker = alive.isNull() || !frame_->IsConnected() || theApp().Session().connectionState != 1;
    });
    page->OnStop();  // returns once its worker has ended
    QVERIFY(runningAtDisconnect);
    QVERIFY(!resetUnderTheWorker);
    QVERIFY(!theApp().Session().OperationRunning());
    QCOMPARE(int(messages.shown.size()), 1);  // the stop's failure, nothing from the disconnect
    QCOMPARE(messages.shown[0].icon, msgbox::Icon::kWarning);
    QTRY_VERIFY(!frame_->IsConnected());
    QTRY_VERIFY(alive.isNull());
    QVERIFY(!theApp().Session().IsOpen());
    QCOMPARE(theApp().Session().connectionState, 0);
  }

  void groupWizardOffersOnlyTheItemsOfItsGroup_data() {
    QTest::addColumn<int>("group");
    QTest::newRow("all items") << 0;
    QTest::newRow("initial settings") << 1;
    QTest::newRow("measurement settings") << 4;
  }

  void groupWizardOffersOnlyTheItemsOfItsGroup() {
    QFETCH(int, group);
    QVERIFY(ConnectWithDialog());
    theApp().Session().Working() = DeviceRecord();
    CSettingItemList offered;
    bool workingIsCurrent = false;
    auto answered = shelltest::WhenModalShows([&](QWidget* dialog) {
      if (auto* tree = qobject_cast<CDlgTreeItem*>(dialog)) offered = tree->ItemList();
      const CVT7SysInfo& working = theApp().Session().Working().sys;
      const CVT7SysInfo& current = theApp().Session().Current().sys;
      workingIsCurrent = current.batteryAlert != 0 && working.batteryAlert == current.batteryAlert &&
                         std::string(working.serialNumber) == current.serialNumber;
      qobject_cast<QDialog*>(dialog)->reject();
    });
    frame_->OnGroupWizard(group);
    QVERIFY(*answered);
    QVERIFY(workingIsCurrent);
    QCOMPARE(offered.group, group);
    std::set<int> groups;
    for (int i = 0; i < kSettingItemCount; ++i)
      if (offered.entries[i].available) groups.insert(SettingItem(i).group);
    QVERIFY(!groups.empty());
    if (group == 0)
      QVERIFY(groups.size() > 1);
    else
      QCOMPARE(groups, std::set<int>{group});
  }

  void singleItemWizardShowsOnlyThatItemsPage() {
    QVERIFY(ConnectWithDialog());
    int pages = 0;
    bool backHidden = false;
    // Each page that shows is counted and cancelled.
    std::function<void(QWidget*)> cancel = [&](QWidget* dialog) {
      ++pages;
      if (auto* page = qobject_cast<CInputBaseDlg*>(dialog)) backHidden = page->BackButton()->isHidden();
      qobject_cast<QDialog*>(dialog)->reject();
    };
    auto answered = shelltest::WhenModalShows(cancel);
    frame_->RunDeviceOperation(frame_->PageHost().Pages()[1].page, kItemMeasurement, 0);
    QVERIFY(*answered);
    QCOMPARE(pages, 1);
    QVERIFY(backHidden);
    QVERIFY(frame_->IsConnected());
  }

  void tabMovesTheFocusIntoThePages() {
    QVERIFY(ConnectWithDialog());
    frame_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(frame_));
    frame_->View()->setFocus();
    frame_->setFocus();
    QTest::keyClick(frame_, Qt::Key_Tab);
    QVERIFY(QApplication::focusWidget() != nullptr);
    QVERIFY(frame_->PageHost().isAncestorOf(QApplication::focusWidget()));
  }

  void logRecordingWritesHeaderAndByteExactTranscript() {
    QVERIFY(ConnectWithDialog());
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("traffic.log"));
    {
      // An existing file keeps its contents.
      QFile existing(path);
      QVERIFY(existing.open(QIODevice::WriteOnly));
      existing.write("before\n");
    }
    // Nobody takes the capture ring meanwhile, so it holds the same bytes: the
    // terminal goes, and with it a take it may still have had queued.
    theApp().DestroyTerminal();
    theApp().Log().Ring().TakePending();

    shelltest::FileDialogAnswer answer(path);
    frame_->OnLogRecording();
    QVERIFY(frame_->IsRecording());
    QVERIFY(frame_->Action(CMainFrame::kCmdLogRecording)->isChecked());
    QCOMPARE(answer.asked.size(), size_t{1});
    QVERIFY(answer.asked[0].proposedName.contains(QRegularExpression(QStringLiteral("^TXL_\\d{8}_\\d{6}\\.log$"))));
    frame_->RunDeviceOperation(frame_->PageHost().Pages()[0].page, -2, 0);
    frame_->OnLogRecording();
    QVERIFY(!frame_->IsRecording());
    QVERIFY(!frame_->Action(CMainFrame::kCmdLogRecording)->isChecked());
    // Traffic after the recording ended is not in the file.
    theApp().Log().Capture("late\r\n", 6, TrafficDirection::kReceived);

    QByteArray captured;
    CTLogBuffer& ring = theApp().Log().Ring();
    ring.TakePending();
    for (uint16_t cell : ring.Snapshot()) captured.append(static_cast<char>(cell & 0xFF));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray content = file.readAll();
    const QByteArray header("Quorvane-HX Lite Control[Ver. 1.07]\r\n");
    QVERIFY(content.startsWith("before\n" + header + "RD SYS\r\n"));
    QVERIFY(content.contains("YES END"));
    QCOMPARE(content, "before\n" + captured.left(captured.size() - 6));

    theApp().Terminal();
  }

  void recordingFileThatCannotBeCreatedSaysSoWithThePathAndTheReason() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("missing/traffic.log"));
    shelltest::FileDialogAnswer answer(path);
    shelltest::MessageRecorder messages;
    frame_->OnLogRecording();
    QVERIFY(!frame_->IsRecording());
    QVERIFY(!frame_->Action(CMainFrame::kCmdLogRecording)->isChecked());
    QCOMPARE(messages.shown.size(), size_t{1});
    const QString expected = QStringLiteral("エラー！ ファイル作成に失敗しました\r\n(%1)\r\n").arg(path);
    QVERIFY2(messages.shown[0].text.startsWith(expected), qPrintable(messages.shown[0].text));
    QVERIFY(messages.shown[0].text.size() > expected.size());  // the system's reason follows
    QCOMPARE(messages.shown[0].icon, msgbox::Icon::kWarning);
  }

  void logRecordingCancelledChangesNothing() {
    shelltest::FileDialogAnswer answer{QString()};
    frame_->OnLogRecording();
    QVERIFY(!frame_->IsRecording());
    QVERIFY(!theApp().Log().IsFileOpen());
  }

  void versionBoxShowsTheVersionText() {
    QString title;
    QString version;
    auto answered = shelltest::WhenModalShows([&](QWidget* dialog) {
      title = dialog->windowTitle();
      version = static_cast<CDlgVersion*>(dialog)->VersionLabel()->text();
      qobject_cast<QDialog*>(dialog)->accept();
    });
    frame_->Action(CMainFrame::kCmdVersion)->trigger();
    QVERIFY(*answered);
    QCOMPARE(title, QStringLiteral("バージョン情報"));
    QCOMPARE(version, QStringLiteral("Ver. 1.07"));
  }

  void closingTheFrameResetsEverything() {
    QVERIFY(ConnectWithDialog());
    QTemporaryDir dir;
    shelltest::FileDialogAnswer answer(dir.filePath(QStringLiteral("t.log")));
    frame_->OnLogRecording();
    QVERIFY(theApp().Log().IsFileOpen());
    QVERIFY(frame_->close());
    QVERIFY(!theApp().Session().IsOpen());
    QVERIFY(!theApp().Log().IsFileOpen());
    QVERIFY(theApp().TerminalIfExists() == nullptr);
    QVERIFY(!frame_->PageHost().HasWindow());
  }

 private:
  // Connect: the port dialog offers the virtual logger first; press OK.
  // The measurement page's stop waits for a logger that does not answer.
  CDlgMainMeasSetting* StopPageWaitingForTheLogger() {
    logger_->SilenceCommands("ST STP", -1);
    CDlgRefMain& host = frame_->PageHost();
    host.Tabs()->setCurrentIndex(1);
    return qobject_cast<CDlgMainMeasSetting*>(host.Pages()[1].page);
  }
  bool StopSent() {
    return logger_->WaitForReceived(
        [](const std::vector<std::string>& lines) { return std::count(lines.begin(), lines.end(), "ST STP") > 0; }, 5s);
  }

  bool ConnectWithDialog() {
    QString offered;
    auto answered = shelltest::WhenModalShows([&](QWidget* dialog) {
      auto* ports = qobject_cast<CComSettingDlg*>(dialog);
      if (ports == nullptr) return;
      offered =
          ports->PortList()->rowCount() > 0 ? ports->PortList()->item(ports->SelectedRow(), 1)->text() : QString();
      for (QPushButton* button : dialog->findChildren<QPushButton*>())
        if (button->isDefault()) button->click();
    });
    frame_->OnConnect();
    if (!*answered || offered != CComSettingDlg::SimulationDescription()) return false;
    return frame_->IsConnected();
  }

  std::unique_ptr<vlogger::VirtualLogger> logger_;
  CMainFrame* frame_ = nullptr;
};

QTEST_MAIN(MainFrameTest)
#include "main_frame_test.moc"
