// The setting wizard against the virtual logger: page sequence, position
// flags and button labels, Back and Next, the stop of measurement before the
// first battery or judgement page and the measurement page appended after
// them, the refresh after each page, Enter and Esc.
#include <QtTest>

#include "../support/fake_device_host.h"
#include "common/string_table.h"
#include "controls/st_num_edits.h"
#include "operations/operation_strings.h"
#include "settings/pages/dlg_input_bat_alart.h"
#include "settings/setting_work.h"
#include "settings/wizard/wizard_entries.h"
#include "settings/wizard_flags.h"
#include "settings/wizard_item_lists.h"
#include "wizard_test_support.h"

using wiztest::ConnectedLogger;
using wiztest::MessageBoxes;
using wiztest::PageDriver;

namespace {

CSettingItemList Items(std::initializer_list<int> selected) {
  CSettingItemList list;
  list.Init(0, false);
  for (int i = 0; i < kSettingItemCount; ++i) list.entries[i].selected = 0;
  for (int i : selected) list.entries[i].selected = 1;
  return list;
}

int RunOver(std::initializer_list<int> selected) {
  CDeviceSession& s = TestHost().Session();
  s.Working() = s.Current();
  return CVTCSettingWork::RunWizard(TestHost(), nullptr, Items(selected), 0);
}

const QString kBatteryTitle = QStringLiteral("初期設定-バッテリ警告");
const QString kJudgementTitle = QStringLiteral("測定設定-判定基準設定");
const QString kScheduleTitle = QStringLiteral("測定設定");

}  // namespace

class WizardRunTest : public QObject {
  Q_OBJECT

 private slots:
  void singleItemPageHasOkAndNoBack_data() {
    QTest::addColumn<int>("item");
    QTest::addColumn<QString>("title");
    QTest::newRow("measurement button") << 22 << kScheduleTitle;
    QTest::newRow("initialisation button") << 0 << QStringLiteral("初期設定");
    QTest::newRow("stop voltage button") << 6 << kBatteryTitle;
    QTest::newRow("judgement button") << 21 << kJudgementTitle;
  }
  void singleItemPageHasOkAndNoBack() {
    QFETCH(int, item);
    QFETCH(QString, title);
    ConnectedLogger logger;
    QVERIFY(logger.Ready());
    MessageBoxes boxes;
    PageDriver driver;
    driver.Cancel();
    QCOMPARE(RunSingleItemWizard(TestHost(), nullptr, item, 0), -1);
    QVERIFY(driver.Done());
    QCOMPARE(int(driver.seen.size()), 1);
    QCOMPARE(driver.seen[0].title, title);
    QVERIFY(!driver.seen[0].backVisible);
    QCOMPARE(driver.seen[0].nextText, QStringLiteral("OK"));
    QCOMPARE(driver.seen[0].cancelText, QStringLiteral("キャンセル"));
    QCOMPARE(driver.seen[0].flags & wizard::kPositionMask, wizard::kOnlyPage);
    QVERIFY(boxes.shown.empty());
  }

  void itemWithoutPageShowsNothing() {
    ConnectedLogger logger;
    QVERIFY(logger.Ready());
    PageDriver driver;
    QCOMPARE(RunSingleItemWizard(TestHost(), nullptr, kItemDateTime, 0), -1);
    QVERIFY(driver.seen.empty());
    QCOMPARE(RunOver({}), -1);
  }

  void threePagesBackAndNext() {
    ConnectedLogger logger;
    QVERIFY(logger.Ready());
    MessageBoxes boxes;
    PageDriver driver;
    driver.Next();  // battery: sends
    driver.Back();  // judgement: back without sending
    driver.Next();  // battery again: sends again
    driver.Next();  // judgement: nothing changed, nothing sent
    driver.Next();  // measurement: starts measuring
    QCOMPARE(RunOver({6, 21, 22}), 1);
    QVERIFY(driver.Done());
    QCOMPARE(int(driver.seen.size()), 5);

    const QStringList titles{kBatteryTitle, kJudgementTitle, kBatteryTitle, kJudgementTitle, kScheduleTitle};
    for (int i = 0; i < 5; ++i) QCOMPARE(driver.seen[i].title, titles[i]);
    // First page: Back disabled; middle: both usable; last: Next reads OK.
    QVERIFY(driver.seen[0].backVisible && !driver.seen[0].backEnabled);
    QCOMPARE(driver.seen[0].nextText, QStringLiteral("次へ"));
    QVERIFY(driver.seen[1].backVisible && driver.seen[1].backEnabled);
    QCOMPARE(driver.seen[1].nextText, QStringLiteral("次へ"));
    QVERIFY(driver.seen[2].backVisible && !driver.seen[2].backEnabled);
    QVERIFY(driver.seen[4].backVisible && driver.seen[4].backEnabled);
    QCOMPARE(driver.seen[4].nextText, QStringLiteral("OK"));

    QCOMPARE(logger.Starting("ST BAT").size(), size_t(2));
    QVERIFY(logger.Starting("ST ALM").empty());
    QVERIFY(logger.Starting("ST STP").empty());  // the logger was not measuring
    QCOMPARE(logger.Starting("ST STM ").size(), size_t(1));
    QVERIFY(boxes.shown.empty());
    QCOMPARE(TestHost().Session().Current().sys.measuring, 1);
  }

  void measuringStopsOnceAndAppendsTheMeasurementPage() {
    ConnectedLogger logger;
    QVERIFY(logger.Ready());
    logger.StartMeasuring();
    QCOMPARE(TestHost().Session().Current().sys.measuring, 1);
    logger.Logger().ClearReceived();
    MessageBoxes boxes;
    PageDriver driver;
    driver.Next();
    driver.Next([](CInputBaseDlg* page) {
      // Switch the upper judgement off so that the page sends something.
      page->findChild<QAbstractButton*>(CInputBaseDlg::ControlName(1101))->click();
    });
    driver.Next();
    QCOMPARE(RunOver({6, 21}), 1);
    QVERIFY(driver.Done());
    QCOMPARE(int(driver.seen.size()), 3);
    QCOMPARE(driver.seen[0].title, kBatteryTitle);
    QCOMPARE(driver.seen[1].title, kJudgementTitle);
    QCOMPARE(driver.seen[2].title, kScheduleTitle);
    QVERIFY(driver.seen[0].flags & wizard::kStopMeasurement);
    QVERIFY(!(driver.seen[1].flags & wizard::kStopMeasurement));
    QVERIFY(!(driver.seen[2].flags & wizard::kStopMeasurement));

    QCOMPARE(logger.Starting("ST STP").size(), size_t(1));
    QVERIFY(logger.IndexOf("ST STP") < logger.IndexOf("ST BAT"));
    QVERIFY(logger.IndexOf("ST BAT") < logger.IndexOf("ST ALM AN OFF ON"));
    QVERIFY(logger.IndexOf("ST ALM AN OFF ON") < logger.IndexOf("ST STM "));
    QVERIFY(boxes.shown.empty());
    QVERIFY(logger.Logger().State().measuring);
  }

  // Cancelled on the appended measurement page: measurement is stopped, so
  // the user is told and offered the previous schedule; declining leaves it
  // stopped, accepting starts it again.
  void measuringJudgementAloneGetsTheMeasurementPage_data() {
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("measuringAfter");
    QTest::newRow("declined") << int(QMessageBox::Cancel) << false;
    QTest::newRow("accepted") << int(QMessageBox::Ok) << true;
  }
  void measuringJudgementAloneGetsTheMeasurementPage() {
    QFETCH(int, answer);
    QFETCH(bool, measuringAfter);
    ConnectedLogger logger;
    QVERIFY(logger.Ready());
    logger.StartMeasuring();
    logger.Logger().ClearReceived();
    MessageBoxes boxes;
    boxes.answers.push_back(answer);
    PageDriver driver;
    driver.Next(
        [](CInputBaseDlg* page) { page->findChild<QAbstractButton*>(CInputBaseDlg::ControlName(1103))->click(); });
    driver.Cancel();
    QCOMPARE(RunOver({21}), -1);
    QCOMPARE(int(driver.seen.size()), 2);
    QCOMPARE(driver.seen[0].title, kJudgementTitle);
    QCOMPARE(driver.seen[0].nextText, QStringLiteral("次へ"));
    QCOMPARE(driver.seen[1].title, kScheduleTitle);
    QCOMPARE(driver.seen[1].nextText, QStringLiteral("OK"));
    QCOMPARE(logger.Starting("ST STP").size(), size_t(1));
    QVERIFY(logger.IndexOf("ST STP") < logger.IndexOf("ST ALM AN ON OFF"));
    QCOMPARE(int(boxes.shown.size()), 1);
    QCOMPARE(boxes.shown[0].text, QString::fromStdString(strings::Text(strings::id::kOfferRestartMeasurement)));
    QCOMPARE(logger.Logger().State().measuring, measuringAfter);
  }

  void notMeasuringAddsNoPage() {
    ConnectedLogger logger;
    QVERIFY(logger.Ready());
    PageDriver driver;
    driver.Cancel();
    QCOMPARE(RunOver({21}), -1);
    QCOMPARE(int(driver.seen.size()), 1);
    QVERIFY(logger.Starting("ST STP").empty());
  }

  void afterWorkRefreshesTheCurrentRecord() {
    ConnectedLogger logger;
    QVERIFY(logger.Ready());
    logger.Logger().ClearReceived();
    MessageBoxes boxes;
    PageDriver driver;
    driver.Next([](CInputBaseDlg* page) {
      static_cast<CDlgInputBatAlart*>(page)->VoltageField()->setText(QStringLiteral("2.8"));
    });
    QCOMPARE(RunOver({6}), 1);
    // Identify, "RD SYS" and "MAIL DSP" follow the page's command.
    const int bat = logger.IndexOf("ST BAT");
    QVERIFY(bat >= 0);
    const auto lines = logger.Received();
    QVERIFY(int(lines.size()) >= bat + 4);
    QCOMPARE(lines[bat + 1], std::string("HELLO"));
    QCOMPARE(lines[bat + 2], std::string("RD SYS"));
    QCOMPARE(lines[bat + 3], std::string("MAIL DSP"));
    QCOMPARE(TestHost().Session().Current().sys.batteryAlert, 2800);
  }

  void enterAndEscapeDoNotLeaveThePage() {
    ConnectedLogger logger;
    QVERIFY(logger.Ready());
    MessageBoxes boxes;
    PageDriver driver;
    bool stillOpen = false;
    driver.Then([&](CInputBaseDlg* page) {
      auto* field = static_cast<CDlgInputBatAlart*>(page)->VoltageField();
      field->setFocus();
      QTest::keyClick(field, Qt::Key_Return);
      QTest::keyClick(field, Qt::Key_Enter);
      QTest::keyClick(field, Qt::Key_Escape);
      QTest::keyClick(page->NextButton(), Qt::Key_Return);
      QTest::keyClick(page, Qt::Key_Escape);
      stillOpen = page->isVisible() && page->PageResult() == wizard::kResultClosed;
      return true;
    });
    driver.Cancel();
    QCOMPARE(RunSingleItemWizard(TestHost(), nullptr, 6, 0), -1);
    QVERIFY(driver.Done());
    QVERIFY(stillOpen);
    QVERIFY(logger.Starting("ST BAT").empty());
  }

  void closeBoxEndsTheRun() {
    ConnectedLogger logger;
    QVERIFY(logger.Ready());
    PageDriver driver;
    driver.Next();
    driver.Then([](CInputBaseDlg* page) {
      page->close();
      return true;
    });
    QCOMPARE(RunOver({21, 22}), -1);
    QCOMPARE(int(driver.seen.size()), 2);
  }
};

QTEST_MAIN(WizardRunTest)
#include "wizard_run_test.moc"
