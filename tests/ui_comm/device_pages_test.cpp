// The test page with the current-value monitor, and the communication page
// with the IMEI check and the module restart, against the virtual logger.
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QtTest>

#include <thread>

#include "comm_test_support.h"
#include "pages/dlg_main_test.h"
#include "pages/dlg_nets_sim.h"
#include "pages/dlg_now_monitor.h"
#include "protocol/listing_parsers.h"
#include "settings/pages/dlg_input_check_imei.h"
#include "settings/pages/dlg_input_test_mail.h"
#include "settings/wizard_flags.h"

using namespace comm_test;
using namespace std::chrono_literals;

namespace {

QString Ctl(int id) { return QStringLiteral("ctl%1").arg(id); }

// The rows of the monitor's list as "kind=value unit" texts.
QStringList Rows(QTableWidget* list) {
  QStringList rows;
  for (int r = 0; r < list->rowCount(); ++r)
    rows << list->item(r, 0)->text() + " " + list->item(r, 1)->text() + "=" + list->item(r, 2)->text() + " " +
                list->item(r, 3)->text();
  return rows;
}

}  // namespace

class DevicePagesTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<LoggerConnection> link_;

 private slots:
  void init() {
    link_ = std::make_unique<LoggerConnection>();
    QVERIFY2(link_->Start(), link_->logger.LastError().c_str());
    link_->logger.ClearReceived();
  }
  void cleanup() { link_.reset(); }

  void testPageButtonsFollowThePort() {
    CDlgMainTest page(TestHost());
    page.Refresh();
    for (int id : {1081, 1082, 1083}) QVERIFY(page.findChild<QPushButton*>(Ctl(id))->isEnabled());
    TestHost().Session().Close();
    page.Refresh();
    for (int id : {1081, 1082, 1083}) QVERIFY(!page.findChild<QPushButton*>(Ctl(id))->isEnabled());
  }

  // Two reads, the second with the logger silent: the list shows the first
  // values again and the failure is said.
  void monitorKeepsThePreviousReplyAfterAFailedRead() {
    MessageBoxes boxes;
    CDlgMainTest page(TestHost());
    page.show();
    page.Refresh();
    QStringList first;
    QStringList second;
    std::vector<std::string> fields;
    ModalDriver driver([&](QWidget* modal) {
      auto* monitor = qobject_cast<CDlgNowMonitor*>(modal);
      if (monitor == nullptr) return;
      QCOMPARE(monitor->windowTitle(), QStringLiteral("現在値"));
      QCOMPARE(monitor->List()->rowCount(), 0);  // nothing is read before "取得"
      QVERIFY(ClickButton(monitor, Ctl(1264)));
      first = Rows(monitor->List());
      fields = monitor->Fields();
      link_->logger.SilenceCommands("RD REL", -1);
      QVERIFY(ClickButton(monitor, Ctl(1264)));
      second = Rows(monitor->List());
      QVERIFY(ClickButton(monitor, Ctl(1)));
    });
    QVERIFY(ClickButton(&page, Ctl(1081)));
    QCOMPARE(driver.seen, QStringList{"CDlgNowMonitor"});

    QCOMPARE(int(fields.size()), 4);
    const QStringList expected = {
        "1 ID=" + QString::fromStdString(fields[0]) + " ", "2 Date=" + QString::fromStdString(fields[1]) + " ",
        "3 Bat.=" + QString::fromStdString(fields[2]) + " [V]", "4 WL=" + QString::fromStdString(fields[3]) + " [m]"};
    QCOMPARE(first, expected);
    QCOMPARE(second, expected);
    QCOMPARE(boxes.Texts(), QStringList{"エラー！ 失敗しました"});
    QCOMPARE(boxes.shown[0].icon, msgbox::Icon::kWarning);
    QCOMPARE(int(link_->Starting("RD REL").size()), 1 + 3);  // the failed read tries three times
  }

  void monitorRowsFollowTheReplyFields_data() {
    QTest::addColumn<QString>("line");
    QTest::addColumn<QStringList>("values");
    QTest::addColumn<QStringList>("messages");
    const QStringList none;
    const QStringList noValue{"ロガーの応答から値を読み取れませんでした。"};
    QTest::newRow("five fields show four")
        << "7,26/01/02 03:04:05,3.6,0.125,X" << QStringList{"7", "26/01/02 03:04:05", "3.6", "0.125"} << none;
    QTest::newRow("two commas give an empty value") << "7,,3.6,0.125" << QStringList{"7", "", "3.6", "0.125"} << none;
    QTest::newRow("three fields show nothing") << "7,26/01/02 03:04:05,3.6" << QStringList{} << noValue;
    QTest::newRow("no line shows nothing") << "" << QStringList{} << noValue;
  }

  void monitorRowsFollowTheReplyFields() {
    QFETCH(QString, line);
    QFETCH(QStringList, values);
    QFETCH(QStringList, messages);
    MessageBoxes boxes;
    // The logger's answer is written by hand here.
    link_->logger.SilenceCommands("RD REL", 1);
    std::thread answer([&] {
      if (!link_->logger.WaitForReceived(
              [](const std::vector<std::string>& l) { return !l.empty() && l.back() == "RD REL"; }, 10s))
        return;
      std::string bytes = "OK\r\n";
      if (!line.isEmpty()) bytes += line.toStdString() + "\r\n";
      link_->logger.Inject(bytes + "YES END\r\n");
    });
    CDlgNowMonitor monitor(TestHost());
    monitor.show();
    monitor.Read();
    answer.join();
    QCOMPARE(monitor.List()->rowCount(), values.size());
    for (int r = 0; r < values.size(); ++r) {
      QCOMPARE(monitor.List()->item(r, 2)->text(), values[r]);
      QVERIFY(monitor.List()->item(r, 2)->textAlignment() & Qt::AlignRight);
    }
    QCOMPARE(boxes.Texts(), messages);
  }

  void testMailIsRefusedWhileMeasuringWithoutContactingTheLogger() {
    MessageBoxes boxes;
    CDlgMainTest page(TestHost());
    page.show();
    page.Refresh();
    TestHost().Session().Current().sys.measuring = 1;
    ModalDriver driver([](QWidget* modal) { modal->close(); });
    QVERIFY(ClickButton(&page, Ctl(1083)));
    QVERIFY(driver.seen.isEmpty());
    QCOMPARE(boxes.shown.size(), size_t(1));
    QCOMPARE(boxes.shown[0].text, QStringLiteral("測定中です。測定を停止してください。"));
    QCOMPARE(boxes.shown[0].caption, QStringLiteral("Warning"));
    QCOMPARE(boxes.shown[0].icon, msgbox::Icon::kWarning);
    QVERIFY(link_->logger.ReceivedBytes().empty());
  }

  // Shown on its own the test mail page offers only "送信" and "閉じる".
  void testMailPageAloneSendsAndReportsSuccess() {
    MessageBoxes boxes;
    CDlgMainTest page(TestHost());
    page.show();
    page.Refresh();
    TestHost().Session().Current().sys.measuring = 0;
    ModalDriver driver([&](QWidget* modal) {
      auto* mail = qobject_cast<CDlgInputTestMail*>(modal);
      if (mail == nullptr) return;
      QCOMPARE(mail->windowTitle(), QStringLiteral("接続設定-テストメール送信"));
      QVERIFY(!mail->BackButton()->isVisible());
      QVERIFY(!mail->NextButton()->isVisible());
      QCOMPARE(mail->CancelButton()->text(), QStringLiteral("閉じる"));
      QVERIFY(ClickButton(mail, Ctl(1044)));
      QVERIFY(ClickButton(mail, Ctl(2)));
    });
    QVERIFY(ClickButton(&page, Ctl(1083)));
    QCOMPARE(driver.seen, QStringList{"CDlgInputTestMail"});
    QCOMPARE(link_->Starting("MAIL START").size(), size_t(1));
    QCOMPARE(boxes.Texts(), QStringList{"成功"});
    QCOMPARE(boxes.shown[0].caption, QStringLiteral("Send test mail"));
    // The page asks for no refresh of the records afterwards.
    QVERIFY(link_->Starting("RD SYS").empty());
  }

  void communicationPageShowsTheSessionValuesWithTheMaskedPassword() {
    CDeviceSession& s = TestHost().Session();
    s.Current().mail.apn = "apn.example";
    s.Current().mail.apnUser = "user1";
    s.Current().mail.apnPassword = "secret";
    s.Current().mail.apnAuth = "";
    s.Current().mail.imei = "351234567890123";
    CDlgNetsSim page(TestHost());
    page.Refresh();
    auto edit = [&](int id) { return page.findChild<QLineEdit*>(Ctl(id)); };
    QCOMPARE(edit(1024)->text(), QStringLiteral("apn.example"));
    QCOMPARE(edit(1025)->text(), QStringLiteral("user1"));
    QCOMPARE(edit(1026)->echoMode(), QLineEdit::Password);
    QVERIFY(!edit(1026)->displayText().contains("secret"));
    QCOMPARE(edit(1008)->text(), QString());
    QCOMPARE(edit(1007)->text(), QStringLiteral("351234567890123"));
    QVERIFY(page.findChild<QPushButton*>(Ctl(1042))->isEnabled());

    s.Close();
    page.Refresh();
    for (int id : {1024, 1025, 1026, 1008, 1007}) QCOMPARE(edit(id)->text(), QString());
    QVERIFY(!page.findChild<QPushButton*>(Ctl(1042))->isEnabled());
    QVERIFY(page.findChild<QPushButton*>(Ctl(1043))->isEnabled());
    QVERIFY(page.findChild<QPushButton*>(Ctl(1044))->isEnabled());
  }

  void imeiCheckAloneOffersOnlyCheckAndClose() {
    MessageBoxes boxes;
    CDlgNetsSim page(TestHost());
    page.show();
    ModalDriver driver([&](QWidget* modal) {
      auto* imei = qobject_cast<CDlgInputCheckIMEI*>(modal);
      if (imei == nullptr) return;
      QCOMPARE(imei->windowTitle(), QStringLiteral("接続設定-IMEI番号"));
      QVERIFY(!imei->BackButton()->isVisible());
      QVERIFY(!imei->NextButton()->isVisible());
      QCOMPARE(imei->CancelButton()->text(), QStringLiteral("閉じる"));
      QVERIFY(ClickButton(imei, Ctl(1044)));
      link_->logger.RefuseCommands("MAIL IMEI", -1);
      QVERIFY(ClickButton(imei, Ctl(1044)));
      QVERIFY(ClickButton(imei, Ctl(2)));
    });
    QVERIFY(ClickButton(&page, Ctl(1043)));
    QCOMPARE(driver.seen, QStringList{"CDlgInputCheckIMEI"});
    QCOMPARE(boxes.Texts(), (QStringList{"成功", "エラー！ 失敗しました"}));
    QCOMPARE(boxes.shown[0].caption, QStringLiteral("Check IMEI"));
    QCOMPARE(boxes.shown[0].icon, msgbox::Icon::kNone);
    QCOMPARE(boxes.shown[1].icon, msgbox::Icon::kWarning);
    // Neither the stop-measurement nor the refresh hook acts.
    QVERIFY(link_->Starting("RD SYS").empty());
    QVERIFY(link_->Starting("ST STP").empty());
  }

  // A listing without an IMEI is said, not taken for success.
  void imeiCheckWithoutAnImeiSaysNoValueWasRead() {
    MessageBoxes boxes;
    link_->logger.SetImei("");
    CDlgInputCheckIMEI page(TestHost());
    ModalDriver driver([&](QWidget* modal) {
      QVERIFY(ClickButton(modal, Ctl(1044)));
      QVERIFY(ClickButton(modal, Ctl(2)));
    });
    page.DoModalPage(nullptr, wizard::kStandalone, CDlgInputCheckIMEI::kTemplateId);
    QCOMPARE(boxes.Texts(), QStringList{"ロガーの応答から値を読み取れませんでした。"});
    QCOMPARE(boxes.shown[0].icon, msgbox::Icon::kWarning);
    QCOMPARE(link_->Starting("MAIL IMEI").size(), size_t(1));
  }

  // "MAIL DSP" refused at connect: the access point fields say that they
  // were not read instead of showing an empty access point as the logger's;
  // a later refresh that reads the listing shows the values.
  void communicationPageMarksTheAccessPointNotRead() {
    link_->logger.RefuseCommands("MAIL DSP", -1);
    CDeviceSession& s = TestHost().Session();
    QCOMPARE(s.Open(link_->logger.PortPath()), 0);
    QVERIFY(link_->Refresh());
    QVERIFY(!s.HasRead(listing_read::kMail));
    CDlgNetsSim page(TestHost());
    page.Refresh();
    auto edit = [&](int id) { return page.findChild<QLineEdit*>(Ctl(id)); };
    for (int id : {1024, 1025, 1008, 1007}) QCOMPARE(edit(id)->text(), QStringLiteral("(未読込)"));
    QCOMPARE(edit(1026)->text(), QString());

    link_->logger.RefuseCommands("MAIL DSP", 0);
    QVERIFY(link_->Refresh());
    page.Refresh();
    QCOMPARE(edit(1007)->text(), QString::fromStdString(s.Current().mail.imei));
    QVERIFY(!edit(1007)->text().isEmpty());
    QVERIFY(edit(1024)->text() != QStringLiteral("(未読込)"));
  }

  void moduleRestartCancelledSendsNothing() {
    MessageBoxes boxes;
    boxes.answers = {QMessageBox::Cancel};
    CDlgNetsSim page(TestHost());
    page.show();
    QVERIFY(ClickButton(&page, Ctl(1044)));
    QCOMPARE(boxes.shown.size(), size_t(1));
    QCOMPARE(boxes.shown[0].caption, QStringLiteral("Reboot commu."));
    QVERIFY(boxes.shown[0].okCancel);
    QVERIFY(link_->logger.ReceivedBytes().empty());
  }

  void moduleRestartReportsSuccessAndKeepsTheFields() {
    MessageBoxes boxes;
    CDlgNetsSim page(TestHost());
    page.show();
    page.Refresh();
    const QString before = page.findChild<QLineEdit*>(Ctl(1024))->text();
    QVERIFY(ClickButton(&page, Ctl(1044)));
    QCOMPARE(boxes.Texts(), (QStringList{"通信モジュールを再起動します。\r\nつづけますか?", "成功"}));
    QCOMPARE(boxes.shown[1].caption, QStringLiteral("Reboot commu."));
    QCOMPARE(boxes.shown[1].icon, msgbox::Icon::kNone);
    QVERIFY(!link_->Starting("dbg mtcoff").empty());
    QCOMPARE(page.findChild<QLineEdit*>(Ctl(1024))->text(), before);
  }

  void moduleRestartFailureShowsTheFailure() {
    MessageBoxes boxes;
    link_->logger.RefuseCommands("INSPECT ON", -1);
    CDlgNetsSim page(TestHost());
    page.show();
    QVERIFY(ClickButton(&page, Ctl(1044)));
    QCOMPARE(boxes.shown.size(), size_t(2));
    QCOMPARE(boxes.shown[1].text, QStringLiteral("エラー！ 失敗"));
    QCOMPARE(boxes.shown[1].caption, QStringLiteral("Reboot commu."));
    QCOMPARE(boxes.shown[1].icon, msgbox::Icon::kWarning);
    QVERIFY(link_->Starting("dbg").empty());
  }
};

QTEST_MAIN(DevicePagesTest)
#include "device_pages_test.moc"
