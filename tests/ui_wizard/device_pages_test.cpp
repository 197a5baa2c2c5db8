// The system page and the measurement page against the virtual logger: the
// texts they make from the session's current record, their running clock,
// the time synchronisation and the stop of measurement.
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>

#include <cstring>

#include "../support/fake_device_host.h"
#include "pages/dlg_main_meas_setting.h"
#include "pages/dlg_main_system.h"
#include "wizard_test_support.h"

using wiztest::ConnectedLogger;
using wiztest::MessageBoxes;
using wiztest::PageDriver;

namespace {

QPushButton* Button(QWidget* page, int id) { return page->findChild<QPushButton*>(QStringLiteral("ctl%1").arg(id)); }

void SetSerial(const char* serial) {
  char* field = TestHost().Session().Current().sys.serialNumber;
  std::memset(field, 0, sizeof TestHost().Session().Current().sys.serialNumber);
  std::strncpy(field, serial, 63);
}

}  // namespace

class DevicePagesTest : public QObject {
  Q_OBJECT

 private slots:
  // ---- system page

  void systemPageShowsTheLogger() {
    ConnectedLogger logger;
    QVERIFY(logger.Ready());
    CDlgMainSystem page(TestHost());
    page.Refresh();
    QCOMPARE(page.DeviceNameLabel()->text(), QStringLiteral("Quorvane-HX7"));
    QCOMPARE(page.VersionLabel()->text(), QStringLiteral("1.07"));
    QCOMPARE(page.ProductInfoLabel()->text(), QStringLiteral("IMEI:356938035643809/SN:HX7-004211"));
    QCOMPARE(page.CutoffLabel()->text(), QStringLiteral("3.0"));
    QCOMPARE(page.MemoryRangeLabel()->text(), QString());
    for (int id : {1006, 1010, 1007, 1431}) QVERIFY(Button(&page, id)->isEnabled());
  }

  void systemPageTexts_data() {
    QTest::addColumn<QString>("imei");
    QTest::addColumn<QString>("serial");
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("last");
    QTest::addColumn<int>("millivolts");
    QTest::addColumn<QString>("product");
    QTest::addColumn<QString>("range");
    QTest::addColumn<QString>("volts");
    QTest::newRow("serial only, empty memory") << ""
                                               << "123" << 0 << 0 << 3600 << "SN:123"
                                               << ""
                                               << "3.6";
    QTest::newRow("imei and serial") << "352"
                                     << "123" << 0 << 15 << 2400 << "IMEI:352/SN:123"
                                     << "0 - 15"
                                     << "2.4";
    // Without a serial number the line keeps what it showed (empty here).
    QTest::newRow("imei only") << "352"
                               << "" << 3 << 15 << 0 << ""
                               << "3 - 15"
                               << "0.0";
  }
  void systemPageTexts() {
    QFETCH(QString, imei);
    QFETCH(QString, serial);
    QFETCH(int, first);
    QFETCH(int, last);
    QFETCH(int, millivolts);
    QFETCH(QString, product);
    QFETCH(QString, range);
    QFETCH(QString, volts);
    ConnectedLogger logger;
    QVERIFY(logger.Ready());
    DeviceRecord& cur = TestHost().Session().Current();
    cur.mail.imei = imei.toStdString();
    SetSerial(serial.toUtf8().constData());
    cur.sys.firstId = first;
    cur.sys.lastId = last;
    cur.sys.batteryAlert = millivolts;
    CDlgMainSystem page(TestHost());
    page.Refresh();
    QCOMPARE(page.ProductInfoLabel()->text(), product);
    QCOMPARE(page.MemoryRangeLabel()->text(), range);
    QCOMPARE(page.CutoffLabel()->text(), volts);
  }

  // The logger clock's offset from the PC clock beside the sync button,
  // highlighted beyond a minute either way. The rows keep a second away from
  // the limit: the two clocks are read a moment apart.
  void systemPageClockOffset_data() {
    QTest::addColumn<int>("offset");
    QTest::addColumn<bool>("highlighted");
    QTest::newRow("in step") << 0 << false;
    QTest::newRow("ahead within a minute") << 58 << false;
    QTest::newRow("ahead beyond a minute") << 83 << true;
    QTest::newRow("behind within a minute") << -58 << false;
    QTest::newRow("behind beyond a minute") << -63 << true;
  }
  void systemPageClockOffset() {
    QFETCH(int, offset);
    QFETCH(bool, highlighted);
    vlogger::Options options;
    options.clock_offset_seconds = offset;
    ConnectedLogger logger(options);
    QVERIFY(logger.Ready());
    int64_t read = 0;
    QVERIFY(TestHost().Session().GetClockOffset(&read));
    QVERIFY2(read >= offset - 1 && read <= offset + 1, qPrintable(QString::number(read)));
    CDlgMainSystem page(TestHost());
    page.Refresh();
    QLabel* label = page.ClockOffsetLabel();
    QCOMPARE(label->text(),
             QStringLiteral("時計のずれ %1%2 秒").arg(read < 0 ? QString() : QStringLiteral("+")).arg(read));
    QCOMPARE(label->property("highlighted").toBool(), highlighted);
    QCOMPARE(label->styleSheet().isEmpty(), !highlighted);

    TestHost().Session().Close();
    TestHost().Session().InvalidateClockReference();
    page.Refresh();
    QVERIFY(label->text().isEmpty());
  }

  void systemPageClosedPort() {
    ConnectedLogger logger;
    QVERIFY(logger.Ready());
    CDlgMainSystem page(TestHost());
    page.Refresh();
    TestHost().Session().Close();
    page.Refresh();
    for (QLabel* l : {page.DeviceNameLabel(), page.ProductInfoLabel(), page.VersionLabel(), page.MemoryRangeLabel(),
                      page.CutoffLabel()})
      QVERIFY(l->text().isEmpty());
    for (int id : {1006, 1010, 1007}) QVERIFY(!Button(&page, id)->isEnabled());
    QVERIFY(Button(&page, 1431)->isEnabled());
  }

  void systemPageClockRunsWhileShown() {
    ConnectedLogger logger;
    QVERIFY(logger.Ready());
    CDlgMainSystem page(TestHost());
    QVERIFY(!page.ClockTimerActive());
    page.show();
    QVERIFY(page.ClockTimerActive());
    QLineEdit* clock = page.DeviceClockField();
    QTRY_VERIFY_WITH_TIMEOUT(!clock->text().isEmpty(), 5000);
    const QString first = clock->text();
    QTRY_VERIFY_WITH_TIMEOUT(clock->text() != first, 5000);
    page.hide();
    QVERIFY(!page.ClockTimerActive());
  }

  void timeSyncAsksFirst() {
    ConnectedLogger logger;
    QVERIFY(logger.Ready());
    logger.Logger().ClearReceived();
    MessageBoxes boxes;
    boxes.answers.push_back(QMessageBox::Cancel);
    CDlgMainSystem page(TestHost());
    page.show();
    Button(&page, CDlgMainSystem::kIdTimeSync)->click();
    QCOMPARE(int(boxes.shown.size()), 1);
    QCOMPARE(boxes.shown[0].text, QStringLiteral("測定を停止してから同期してください。同期しますか?"));
    QCOMPARE(boxes.shown[0].caption, QStringLiteral("Time Synchronization"));
    QVERIFY(boxes.shown[0].okCancel);
    QCOMPARE(boxes.shown[0].icon, msgbox::Icon::kWarning);
    QVERIFY(logger.Starting("MAIL TIME").empty());

    page.OnTimeSync();  // answered OK this time
    QCOMPARE(logger.Starting("MAIL TIME").size(), size_t(1));
    QCOMPARE(int(boxes.shown.size()), 3);
    QCOMPARE(boxes.shown[2].text, QStringLiteral("成功"));
    QCOMPARE(boxes.shown[2].caption, QStringLiteral("Time Synchronization"));
    QCOMPARE(boxes.shown[2].icon, msgbox::Icon::kNone);
  }

  void timeSyncRefused() {
    ConnectedLogger logger;
    QVERIFY(logger.Ready());
    logger.Logger().RefuseCommands("MAIL TIME", -1);
    MessageBoxes boxes;
    CDlgMainSystem page(TestHost());
    page.show();
    page.OnTimeSync();
    QCOMPARE(int(boxes.shown.size()), 2);
    QCOMPARE(boxes.shown[1].text, QStringLiteral("エラー！ 失敗"));
    QCOMPARE(boxes.shown[1].caption, QStringLiteral("Time Synchronization"));
    QCOMPARE(boxes.shown[1].icon, msgbox::Icon::kWarning);
  }

  void systemPageRunsTheBatteryWizard() {
    ConnectedLogger logger;
    QVERIFY(logger.Ready());
    MessageBoxes boxes;
    CDlgMainSystem page(TestHost());
    page.show();
    PageDriver driver;
    QString title;
    driver.Next([&](CInputBaseDlg* p) {
      title = p->windowTitle();
      p->findChild<QLineEdit*>(QStringLiteral("ctl1026"))->setText(QStringLiteral("3.4"));
    });
    page.OnSetCutoff();
    QVERIFY(driver.Done());
    QCOMPARE(title, QStringLiteral("初期設定-バッテリ警告"));
    QCOMPARE(page.CutoffLabel()->text(), QStringLiteral("3.4"));
  }

  // ---- measurement page

  void measurementPageFields_data() {
    QTest::addColumn<int>("seconds");
    QTest::addColumn<QStringList>("fields");
    QTest::newRow("one day") << 86400 << QStringList{"1", "0", "0"};
    QTest::newRow("an hour and a minute") << 3660 << QStringList{"0", "1", "1"};
    QTest::newRow("seconds only") << 59 << QStringList{"0", "0", "0"};
    QTest::newRow("many days") << 123 * 86400 + 7200 << QStringList{"123", "2", "0"};
  }
  void measurementPageFields() {
    QFETCH(int, seconds);
    QFETCH(QStringList, fields);
    ConnectedLogger logger;
    QVERIFY(logger.Ready());
    CVT7SysInfo& sys = TestHost().Session().Current().sys;
    sys.sampling = seconds;
    sys.eventSampling = seconds;
    sys.interval = 6;
    sys.eventInterval = 0;
    CDlgMainMeasSetting page(TestHost());
    page.Refresh();
    for (int i = 0; i < 3; ++i) {
      QCOMPARE(page.Field(CDlgMainMeasSetting::kIdNormalInterval[i])->text(), fields[i]);
      QCOMPARE(page.Field(CDlgMainMeasSetting::kIdEventInterval[i])->text(), fields[i]);
    }
    QCOMPARE(page.Field(CDlgMainMeasSetting::kIdNormalTransmission)->text(), QStringLiteral("6"));
    QCOMPARE(page.Field(CDlgMainMeasSetting::kIdEventTransmission)->text(), QStringLiteral("0"));
  }

  void measurementPageStateDatesAndJudgement() {
    ConnectedLogger logger;
    QVERIFY(logger.Ready());
    CVT7SysInfo& sys = TestHost().Session().Current().sys;
    sys.measuring = 1;
    sys.startTime = CSdlTime{2026, 1, 3, 8, 5, 0};
    sys.nextTime = CSdlTime{2026, 12, 10, 9, 0, 0};
    sys.upperThreshold = 1.5;
    sys.upperEnabled = 1;
    sys.lowerThreshold = 0.25;
    sys.lowerEnabled = 0;
    CDlgMainMeasSetting page(TestHost());
    page.Refresh();
    QCOMPARE(page.Field(CDlgMainMeasSetting::kIdState)->text(), QStringLiteral("測定中"));
    const QStringList start{"2026", "1", "3", "8", "5"};
    const QStringList next{"2026", "12", "10", "9", "0"};
    for (int i = 0; i < 5; ++i) {
      QCOMPARE(page.Field(CDlgMainMeasSetting::kIdStart[i])->text(), start[i]);
      QCOMPARE(page.Field(CDlgMainMeasSetting::kIdNext[i])->text(), next[i]);
    }
    QCOMPARE(page.JudgementField()->toPlainText(), QStringLiteral("上限値:1.500[m], ON \n下限値:0.250[m], OFF"));
    QVERIFY(Button(&page, CDlgMainMeasSetting::kIdSet)->isEnabled());

    sys.measuring = 0;
    page.Refresh();
    QCOMPARE(page.Field(CDlgMainMeasSetting::kIdState)->text(), QStringLiteral("停止中"));

    TestHost().Session().Close();
    page.Refresh();
    QVERIFY(page.Field(CDlgMainMeasSetting::kIdState)->text().isEmpty());
    QVERIFY(page.Field(CDlgMainMeasSetting::kIdStart[0])->text().isEmpty());
    QVERIFY(page.JudgementField()->toPlainText().isEmpty());
    QVERIFY(!Button(&page, CDlgMainMeasSetting::kIdSet)->isEnabled());
    QVERIFY(!Button(&page, CDlgMainMeasSetting::kIdSetJudgement)->isEnabled());
    QVERIFY(Button(&page, CDlgMainMeasSetting::kIdStop)->isEnabled());
  }

  void measurementPageUsesItsOwnFont() {
    CDlgMainMeasSetting meas(TestHost());
    CDlgMainSystem system(TestHost());
    QVERIFY(TestHost().MeasurePageFont().pointSize() != TestHost().DialogFont().pointSize());
    QCOMPARE(meas.font().pointSize(), TestHost().MeasurePageFont().pointSize());
    QCOMPARE(system.font().pointSize(), TestHost().DialogFont().pointSize());
  }

  void stopMeasurement() {
    ConnectedLogger logger;
    QVERIFY(logger.Ready());
    logger.StartMeasuring();
    logger.Logger().ClearReceived();
    MessageBoxes boxes;
    CDlgMainMeasSetting page(TestHost());
    page.show();
    page.Refresh();
    QCOMPARE(page.Field(CDlgMainMeasSetting::kIdState)->text(), QStringLiteral("測定中"));
    Button(&page, CDlgMainMeasSetting::kIdStop)->click();
    QCOMPARE(logger.Starting("ST STP").size(), size_t(1));
    QCOMPARE(int(boxes.shown.size()), 1);
    QCOMPARE(boxes.shown[0].text, QStringLiteral("成功"));
    QCOMPARE(page.Field(CDlgMainMeasSetting::kIdState)->text(), QStringLiteral("停止中"));

    // Stopping again still sends the command.
    page.OnStop();
    QCOMPARE(logger.Starting("ST STP").size(), size_t(2));
    QCOMPARE(int(boxes.shown.size()), 2);
  }

  void stopRefusedShowsTheFailure() {
    ConnectedLogger logger;
    QVERIFY(logger.Ready());
    logger.Logger().RefuseCommands("ST STP", -1);
    MessageBoxes boxes;
    CDlgMainMeasSetting page(TestHost());
    page.show();
    page.OnStop();
    QCOMPARE(logger.Starting("ST STP").size(), size_t(1));  // a refusal ends the tries
    QCOMPARE(int(boxes.shown.size()), 1);
    QCOMPARE(boxes.shown[0].text, QStringLiteral("エラー！ 失敗しました"));
    QCOMPARE(boxes.shown[0].icon, msgbox::Icon::kWarning);
  }

  // "RD SYS" refused at connect: the values the record holds are defaults,
  // and the pages mark them instead of showing them as the logger's.
  void pagesMarkTheSystemListingNotRead() {
    ConnectedLogger logger;
    QVERIFY(logger.Ready());
    logger.Logger().RefuseCommands("RD SYS", -1);
    CDeviceSession& session = TestHost().Session();
    QVERIFY(session.Open(logger.Logger().PortPath()) == 0 && session.Identify() == 1);
    session.RefreshSystemInfo();
    session.ReadMailSettings();
    QVERIFY(!session.HasRead(listing_read::kSystem));
    const QString mark = QStringLiteral("(未読込)");

    CDlgMainSystem system(TestHost());
    system.Refresh();
    QCOMPARE(system.CutoffLabel()->text(), mark);
    QCOMPARE(system.MemoryRangeLabel()->text(), mark);
    QCOMPARE(system.DeviceNameLabel()->text(), QStringLiteral("Quorvane-HX7"));  // from the wake-up

    CDlgMainMeasSetting meas(TestHost());
    meas.Refresh();
    QCOMPARE(meas.Field(CDlgMainMeasSetting::kIdState)->text(), mark);
    QCOMPARE(meas.JudgementField()->toPlainText(), mark);
    for (int i = 0; i < 3; ++i) QVERIFY(meas.Field(CDlgMainMeasSetting::kIdNormalInterval[i])->text().isEmpty());
    QVERIFY(meas.Field(CDlgMainMeasSetting::kIdStart[0])->text().isEmpty());

    // Read again: the logger's values replace the marks.
    logger.Logger().RefuseCommands("RD SYS", 0);
    session.RefreshSystemInfo();
    system.Refresh();
    meas.Refresh();
    QCOMPARE(system.CutoffLabel()->text(), QStringLiteral("3.0"));
    QCOMPARE(meas.Field(CDlgMainMeasSetting::kIdState)->text(), QStringLiteral("停止中"));
  }

  void measurementPageRunsTheJudgementWizard() {
    ConnectedLogger logger;
    QVERIFY(logger.Ready());
    MessageBoxes boxes;
    CDlgMainMeasSetting page(TestHost());
    page.show();
    PageDriver driver;
    driver.Next(
        [](CInputBaseDlg* p) { p->findChild<QLineEdit*>(QStringLiteral("ctl1156"))->setText(QStringLiteral("1.5")); });
    page.OnSetJudgement();
    QVERIFY(driver.Done());
    QCOMPARE(page.JudgementField()->toPlainText(), QStringLiteral("上限値:1.500[m], ON \n下限値:-2.500[m], ON "));
  }
};

QTEST_MAIN(DevicePagesTest)
#include "device_pages_test.moc"
