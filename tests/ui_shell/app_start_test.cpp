// The whole start-up: the main window shows, and the port selection dialog
// opens by itself; with the simulated logger preselected, one OK connects.
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

#include <memory>

#include "app/main_frame.h"
#include "app/vtrelix7_comm_app.h"
#include "common/string_table.h"
#include "controls/com_setting_dlg.h"
#include "shell_test_support.h"
#include "sim/virtual_logger.h"

class AppStartTest : public QObject {
  Q_OBJECT

 private slots:
  void portDialogOpensByItselfAndOneOkConnects() {
    vlogger::VirtualLogger logger;
    QVERIFY(logger.Start());
    CVTrelix7CommApp::Options options;
    options.language = language::Choice::kJapanese;
    options.simulatedPort = QString::fromStdString(logger.PortPath());

    QString offered;
    auto answered = shelltest::WhenModalShows([&](QWidget* dialog) {
      if (auto* ports = qobject_cast<CComSettingDlg*>(dialog); ports != nullptr && ports->SelectedRow() >= 0)
        offered = ports->PortList()->item(ports->SelectedRow(), 1)->text();
      for (QPushButton* button : dialog->findChildren<QPushButton*>())
        if (button->isDefault()) button->click();
    });
    QVERIFY(theApp().InitInstance(options));
    CMainFrame* frame = theApp().MainFrame;
    QVERIFY(frame != nullptr);
    QVERIFY(frame->isVisible());
    QCOMPARE(frame->windowTitle(), QStringLiteral("Quorvane-HX Lite Control Software [Ver. 1.07]"));
    QCOMPARE(theApp().MainCaption(), QStringLiteral("Quorvane-HX Lite Control Software [Ver. 1.07]\r\n"));
    QTRY_VERIFY_WITH_TIMEOUT(*answered, 10000);
    QCOMPARE(offered, CComSettingDlg::SimulationDescription());
    QTRY_VERIFY_WITH_TIMEOUT(frame->IsConnected(), 10000);
    QVERIFY(frame->PageHost().HasWindow());

    // Closing the window closes the port and the terminal.
    QVERIFY(frame->close());
    QVERIFY(!theApp().Session().IsOpen());
    QVERIFY(theApp().TerminalIfExists() == nullptr);
    QCOMPARE(theApp().ExitInstance(), 0);
    QVERIFY(theApp().MainFrame == nullptr);
  }
};

QTEST_MAIN(AppStartTest)
#include "app_start_test.moc"
