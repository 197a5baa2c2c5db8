// The wizard pages of the initialisation, battery, judgement and measurement
// items against the virtual logger: what they show, what they send, and the
// messages of their failures.
#include <QClipboard>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QtTest>

#include "../support/fake_device_host.h"
#include "common/timing.h"
#include "controls/org_color_rdio_button.h"
#include "controls/st_num_edits.h"
#include "settings/pages/dlg_input_bat_alart.h"
#include "settings/pages/dlg_input_init_reset.h"
#include "settings/pages/dlg_input_measure_setting.h"
#include "settings/pages/dlg_input_range1ch.h"
#include "settings/pages/masked_edit.h"
#include "settings/pages/well_picture.h"
#include "settings/schedule_fields.h"
#include "settings/setting_work.h"
#include "settings/wizard/wizard_entries.h"
#include "settings/wizard_flags.h"
#include "wizard_test_support.h"

using wiztest::ConnectedLogger;
using wiztest::MessageBoxes;
using wiztest::PageDriver;

namespace {

template <class Page>
Page* As(CInputBaseDlg* page) {
  return static_cast<Page*>(page);
}

const QString kFailed = QStringLiteral("エラー！ 失敗しました");

// "yy/mm/dd hh:mm" of the logger's start command as seconds (local standard time).
int64_t StartCommandSeconds(const std::string& line) {
  CSdlTime t;
  const std::string value = line.substr(std::string("ST STM ").size()) + ":00";
  t.Parse(value.c_str());
  return t.ToTime();
}

}  // namespace

class WizardPagesTest : public QObject {
  Q_OBJECT

 private slots:
  // ---- initialisation page

  void resetSendsAndStaysOpen() {
    ConnectedLogger logger;
    QVERIFY(logger.Ready());
    MessageBoxes boxes;
    PageDriver driver;
    driver.Press(CDlgInputInitReset::kIdResetButton);
    driver.Next();
    QCOMPARE(RunSingleItemWizard(TestHost(), nullptr, kItemInitReset, 0), 1);
    QVERIFY(driver.Done());
    QCOMPARE(int(driver.seen.size()), 2);  // still open after the reset
    QCOMPARE(logger.Logger().State().resets, 1);
    QCOMPARE(int(boxes.shown.size()), 1);
    QCOMPARE(boxes.shown[0].text, QStringLiteral("成功"));
    QCOMPARE(boxes.shown[0].caption, QStringLiteral("Normal termination"));
    QCOMPARE(boxes.shown[0].icon, msgbox::Icon::kNone);
  }

  void resetWithClosedPortShowsTheGeneralFailure() {
    ConnectedLogger logger;
    QVERIFY(logger.Ready());
    MessageBoxes boxes;
    PageDriver driver;
    driver.Press(CDlgInputInitReset::kIdResetButton, [](CInputBaseDlg*) { TestHost().Session().Close(); });
    driver.Cancel();
    QCOMPARE(RunSingleItemWizard(TestHost(), nullptr, kItemInitReset, 0), -1);
    QCOMPARE(int(boxes.shown.size()), 1);
    QCOMPARE(boxes.shown[0].text, kFailed);
    QCOMPARE(boxes.shown[0].icon, msgbox::Icon::kWarning);
    QVERIFY(boxes.shown[0].caption.isEmpty());  // the application's title
  }

  // ---- battery page

  void batteryVoltConversion_data() {
    QTest::addColumn<int>("loggerMillivolts");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("typed");  // a null string: leave the field as shown
    QTest::addColumn<QString>("line");
    QTest::newRow("3260 shows 3.3 and sends 3300") << 3260 << "3.3" << QString() << "ST BAT 3300";
    QTest::newRow("typed 3.3") << 3000 << "3.0"
                               << "3.3"
                               << "ST BAT 3300";
    QTest::newRow("lowest") << 3000 << "3.0"
                            << "2.4"
                            << "ST BAT 2400";
    QTest::newRow("highest") << 3000 << "3.0"
                             << "3.6"
                             << "ST BAT 3600";
  }
  void batteryVoltConversion() {
    QFETCH(int, loggerMillivolts);
    QFETCH(QString, shown);
    QFETCH(QString, typed);
    QFETCH(QString, line);
    ConnectedLogger logger;
    QVERIFY(logger.Ready());
    CDeviceSession& s = TestHost().Session();
    QCOMPARE(s.Protocol().SetBatteryCutoff(s.PortPtr(), loggerMillivolts), 0);
    s.RefreshSystemInfo();
    logger.Logger().ClearReceived();

    MessageBoxes boxes;
    PageDriver driver;
    QString seenText;
    driver.Next([&](CInputBaseDlg* page) {
      CSTPositiveNumEdit* field = As<CDlgInputBatAlart>(page)->VoltageField();
      seenText = field->text();
      if (!typed.isNull()) {
        field->selectAll();
        field->del();
        QTest::keyClicks(field, typed);
      }
    });
    QCOMPARE(RunSingleItemWizard(TestHost(), nullptr, kItemBatteryAlert, 0), 1);
    QCOMPARE(seenText, shown);
    QCOMPARE(logger.Starting("ST BAT"), std::vector<std::string>{line.toStdString()});
    QVERIFY(boxes.shown.empty());
  }

  // A value the page could not send is named, and nothing goes to the
  // logger: the field's text as a paste or a half-typed entry leaves it.
  void batteryRefusesInvalidValues_data() {
    QTest::addColumn<QString>("text");
    QTest::newRow("empty") << "";
    QTest::newRow("off the 0.1 V step") << "2.45";
    QTest::newRow("below the range") << "2.3";
    QTest::newRow("above the range") << "3.7";
    QTest::newRow("millivolts") << "3300";
    QTest::newRow("decimal comma") << "3,3";
    QTest::newRow("trailing unit") << "3.3V";
    QTest::newRow("point alone") << ".";
    QTest::newRow("full-width digits") << QStringLiteral("３．３");
  }
  void batteryRefusesInvalidValues() {
    QFETCH(QString, text);
    ConnectedLogger logger;
    QVERIFY(logger.Ready());
    logger.Logger().ClearReceived();
    MessageBoxes boxes;
    PageDriver driver;
    bool stayed = false;
    driver.Next([&](CInputBaseDlg* page) { As<CDlgInputBatAlart>(page)->VoltageField()->setText(text); });
    driver.Cancel([&](CInputBaseDlg* page) { stayed = page->isVisible(); });
    QCOMPARE(RunSingleItemWizard(TestHost(), nullptr, kItemBatteryAlert, 0), -1);
    QVERIFY(driver.Done());
    QVERIFY(stayed);
    QCOMPARE(boxes.shown.size(), size_t(1));
    QCOMPARE(boxes.shown[0].text, QStringLiteral("入力値が正しくありません: 送信停止バッテリ電圧"));
    QCOMPARE(boxes.shown[0].icon, msgbox::Icon::kWarning);
    QVERIFY(logger.Starting("ST ").empty());
    // Nothing was stored either.
    QCOMPARE(TestHost().Session().Working().sys.batteryAlert, TestHost().Session().Current().sys.batteryAlert);
  }

  void batteryRefusedStaysOpenWithTheValue() {
    ConnectedLogger logger;
    QVERIFY(logger.Ready());
    logger.Logger().RefuseCommands("ST BAT", -1);
    MessageBoxes boxes;
    PageDriver driver;
    QString afterFailure;
    driver.Next([](CInputBaseDlg* page) { As<CDlgInputBatAlart>(page)->VoltageField()->setText("3.5"); });
    driver.Cancel([&](CInputBaseDlg* page) { afterFailure = As<CDlgInputBatAlart>(page)->VoltageField()->text(); });
    QCOMPARE(RunSingleItemWizard(TestHost(), nullptr, kItemBatteryAlert, 0), -1);
    QCOMPARE(afterFailure, QStringLiteral("3.5"));
    QCOMPARE(logger.Starting("ST BAT").size(), size_t(3));
    QCOMPARE(int(boxes.shown.size()), 1);
    QCOMPARE(boxes.shown[0].text, kFailed);
    QCOMPARE(TestHost().Session().Working().sys.batteryAlert, 3500);
  }

  void batteryClosedPortSaysNotConnected() {
    ConnectedLogger logger;
    QVERIFY(logger.Ready());
    MessageBoxes boxes;
    PageDriver driver;
    driver.Next([](CInputBaseDlg*) { TestHost().Session().Close(); });
    driver.Cancel();
    QCOMPARE(RunSingleItemWizard(TestHost(), nullptr, kItemBatteryAlert, 0), -1);
    QCOMPARE(int(boxes.shown.size()), 1);
    QCOMPARE(boxes.shown[0].text, QStringLiteral("エラー！ 機器と接続していません"));
  }

  // ---- judgement page

  void judgementShowsTheWorkingValues() {
    ConnectedLogger logger;
    QVERIFY(logger.Ready());
    PageDriver driver;
    QString upper, lower;
    bool upperOn = false, lowerOff = false;
    double maxRange = 0;
    int decimals = 0;
    driver.Cancel([&](CInputBaseDlg* page) {
      auto* p = As<CDlgInputRange1ch>(page);
      upper = p->UpperField()->text();
      lower = p->LowerField()->text();
      upperOn = p->UpperOn()->isChecked();
      lowerOff = p->LowerOff()->isChecked();
      maxRange = p->UpperField()->Maximum();
      decimals = p->LowerField()->Decimals();
    });
    CDeviceSession& s = TestHost().Session();
    s.Working() = s.Current();
    s.Working().sys.upperThreshold = 1.5;
    s.Working().sys.lowerThreshold = -0.25;
    s.Working().sys.lowerEnabled = 0;
    CSettingItemList list;
    list.Init(0, false);
    for (auto& e : list.entries) e.selected = 0;
    list.entries[kItemJudgement].selected = 1;
    QCOMPARE(CVTCSettingWork::RunWizard(TestHost(), nullptr, list, 0), -1);
    QCOMPARE(upper, QStringLiteral("1.500"));
    QCOMPARE(lower, QStringLiteral("-0.250"));
    QVERIFY(upperOn);
    QVERIFY(lowerOff);
    QCOMPARE(maxRange, 9999.999);
    QCOMPARE(decimals, 3);
  }

  void judgementSendsOnlyWhatChanged_data() {
    QTest::addColumn<QString>("upper");
    QTest::addColumn<QString>("lower");
    QTest::addColumn<int>("switchId");  // a button to click, 0 for none
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("nothing changed") << "2.500"
                                     << "-2.500" << 0 << QStringList{};
    QTest::newRow("only the lower switch")
        << "2.500"
        << "-2.500" << int(CDlgInputRange1ch::kIdLowerOff) << QStringList{"ST ALM AN ON OFF"};
    QTest::newRow("rounded limits") << "1.2345"
                                    << "-1.2345" << 0 << QStringList{"ST ALM AN 1.2350 -1.2350 "};
    QTest::newRow("lower above upper is sent as typed")
        << "0.5"
        << "3" << int(CDlgInputRange1ch::kIdUpperOff) << QStringList{"ST ALM AN 0.5000 3.0000 ", "ST ALM AN OFF ON"};
    QTest::newRow("beyond the fourth decimal is no change") << "2.50004"
                                                            << "-2.5" << 0 << QStringList{};
  }
  void judgementSendsOnlyWhatChanged() {
    QFETCH(QString, upper);
    QFETCH(QString, lower);
    QFETCH(int, switchId);
    QFETCH(QStringList, lines);
    ConnectedLogger logger;
    QVERIFY(logger.Ready());
    MessageBoxes boxes;
    PageDriver driver;
    driver.Next([&](CInputBaseDlg* page) {
      auto* p = As<CDlgInputRange1ch>(page);
      p->UpperField()->setText(upper);
      p->LowerField()->setText(lower);
      if (switchId != 0) page->findChild<QAbstractButton*>(CInputBaseDlg::ControlName(switchId))->click();
    });
    QCOMPARE(RunSingleItemWizard(TestHost(), nullptr, kItemJudgement, 0), 1);
    QStringList sent;
    for (const auto& l : logger.Starting("ST ALM")) sent << QString::fromStdString(l);
    QCOMPARE(sent, lines);
    QVERIFY(boxes.shown.empty());
  }

  // A limit the page could not send names its field; neither limit nor
  // switch goes to the logger.
  void judgementRefusesInvalidLimits_data() {
    QTest::addColumn<QString>("upper");
    QTest::addColumn<QString>("lower");
    QTest::addColumn<QString>("field");
    QTest::newRow("empty upper") << ""
                                 << "-2.5"
                                 << "上限値";
    QTest::newRow("empty lower") << "2.5"
                                 << ""
                                 << "下限値";
    QTest::newRow("upper beyond the range") << "10000"
                                            << "-2.5"
                                            << "上限値";
    QTest::newRow("lower beyond the range") << "2.5"
                                            << "-9999.9996"
                                            << "下限値";
    QTest::newRow("exponent") << "1e3"
                              << "-2.5"
                              << "上限値";
    QTest::newRow("not finite") << "2.5"
                                << "-inf"
                                << "下限値";
    QTest::newRow("not a number") << "nan"
                                  << "nan"
                                  << "上限値";
    QTest::newRow("two points") << "1.2.3"
                                << "-2.5"
                                << "上限値";
    QTest::newRow("decimal comma") << "2.5"
                                   << "-2,5"
                                   << "下限値";
    QTest::newRow("sign alone") << "-"
                                << "-2.5"
                                << "上限値";
  }
  void judgementRefusesInvalidLimits() {
    QFETCH(QString, upper);
    QFETCH(QString, lower);
    QFETCH(QString, field);
    ConnectedLogger logger;
    QVERIFY(logger.Ready());
    logger.Logger().ClearReceived();
    MessageBoxes boxes;
    PageDriver driver;
    driver.Next([&](CInputBaseDlg* page) {
      auto* p = As<CDlgInputRange1ch>(page);
      p->UpperField()->setText(upper);
      p->LowerField()->setText(lower);
      p->LowerOff()->click();  // a change that would be sent
    });
    driver.Cancel();
    QCOMPARE(RunSingleItemWizard(TestHost(), nullptr, kItemJudgement, 0), -1);
    QVERIFY(driver.Done());
    QCOMPARE(boxes.shown.size(), size_t(1));
    QCOMPARE(boxes.shown[0].text, QStringLiteral("入力値が正しくありません: ") + field);
    QVERIFY(logger.Starting("ST ").empty());
    // Nothing was stored either.
    QCOMPARE(TestHost().Session().Working().sys.lowerEnabled, TestHost().Session().Current().sys.lowerEnabled);
  }

  void judgementRefusedShowsTheFailure() {
    ConnectedLogger logger;
    QVERIFY(logger.Ready());
    logger.Logger().RefuseCommands("ST ALM", -1);
    MessageBoxes boxes;
    PageDriver driver;
    driver.Next([](CInputBaseDlg* page) { As<CDlgInputRange1ch>(page)->UpperField()->setText("4"); });
    driver.Cancel();
    QCOMPARE(RunSingleItemWizard(TestHost(), nullptr, kItemJudgement, 0), -1);
    QCOMPARE(int(boxes.shown.size()), 1);
    QCOMPARE(boxes.shown[0].text, kFailed);
  }

  void judgementPictureIsDrawn() {
    const QImage picture = DrawWellPicture(TestHost().DialogFont().family());
    QCOMPARE(picture.size(), QSize(270, 330));
    // Not blank: water, ground and the limit lines are coloured.
    QSet<QRgb> colours;
    for (int y = 0; y < picture.height(); y += 3)
      for (int x = 0; x < picture.width(); x += 3) colours.insert(picture.pixel(x, y));
    QVERIFY(colours.size() > 20);
  }

  // ---- measurement schedule page

  void scheduleFieldsFromTheWorkingRecord() {
    ConnectedLogger logger;
    QVERIFY(logger.Ready());
    PageDriver driver;
    QString start, normalDays, normalHm, eventDays, eventHm, normalTx, eventTx;
    driver.Cancel([&](CInputBaseDlg* page) {
      auto* p = As<CDlgInputMeasureSetting>(page);
      start = p->StartField()->displayText();
      normalDays = p->NormalDaysField()->text();
      normalHm = p->NormalHoursMinutesField()->displayText();
      eventDays = p->EventDaysField()->text();
      eventHm = p->EventHoursMinutesField()->displayText();
      normalTx = p->NormalTransmissionField()->text();
      eventTx = p->EventTransmissionField()->text();
    });
    CDeviceSession& s = TestHost().Session();
    s.Working() = s.Current();
    s.Working().sys.startTime = CSdlTime{2026, 1, 3, 8, 30, 45};
    s.Working().sys.sampling = 90061;
    s.Working().sys.eventSampling = 11 * 86400 + 300;  // 11 days: the days field holds two digits
    s.Working().sys.interval = 12;
    s.Working().sys.eventInterval = 240;
    CSettingItemList list;
    list.Init(0, false);
    for (auto& e : list.entries) e.selected = 0;
    list.entries[kItemMeasurement].selected = 1;
    QCOMPARE(CVTCSettingWork::RunWizard(TestHost(), nullptr, list, 0), -1);
    QCOMPARE(start, QStringLiteral("2026-01-03 08:30"));
    QCOMPARE(normalDays, QStringLiteral("1"));
    QCOMPARE(normalHm, QStringLiteral("01:01"));
    QCOMPARE(eventDays, QStringLiteral("11"));
    QCOMPARE(eventHm, QStringLiteral("00:05"));
    QCOMPARE(normalTx, QStringLiteral("12"));
    QCOMPARE(eventTx, QStringLiteral("240"));
  }

  void scheduleIntervalConversions_data() {
    QTest::addColumn<QString>("days");
    QTest::addColumn<QString>("hoursMinutes");  // digits typed into the masked field
    QTest::addColumn<QString>("smp");
    QTest::addColumn<int>("seconds");
    QTest::newRow("1 day 02:30") << "1"
                                 << "0230"
                                 << "ST SMP D01H02M30S00" << 95400;
    QTest::newRow("10 minutes") << "0"
                                << "0010"
                                << "ST SMP D00H00M10S00" << 600;
    QTest::newRow("empty days") << ""
                                << "0100"
                                << "ST SMP D00H01M00S00" << 3600;
  }
  void scheduleIntervalConversions() {
    QFETCH(QString, days);
    QFETCH(QString, hoursMinutes);
    QFETCH(QString, smp);
    QFETCH(int, seconds);
    ConnectedLogger logger;
    QVERIFY(logger.Ready());
    logger.Logger().ClearReceived();
    MessageBoxes boxes;
    PageDriver driver;
    driver.Next([&](CInputBaseDlg* page) {
      auto* p = As<CDlgInputMeasureSetting>(page);
      p->NormalDaysField()->setText(days);
      CMaskedEdit* hm = p->NormalHoursMinutesField();
      hm->setFocus();
      hm->setCursorPosition(0);
      QTest::keyClicks(hm, hoursMinutes);
      // Event interval 00:05, transmission counts 3 and 1.
      p->EventDaysField()->setText("0");
      p->EventHoursMinutesField()->SetFullText("00:05");
      p->NormalTransmissionField()->setText("3");
      p->EventTransmissionField()->setText("1");
    });
    QCOMPARE(RunSingleItemWizard(TestHost(), nullptr, kItemMeasurement, 0), 1);
    QVERIFY(boxes.shown.empty());
    QCOMPARE(logger.Starting("ST SMP "), std::vector<std::string>{smp.toStdString()});
    QCOMPARE(logger.Starting("ST SMP2"), std::vector<std::string>{"ST SMP2 D00H00M05S00"});
    QCOMPARE(logger.Starting("ST ITV "), std::vector<std::string>{"ST ITV 3"});
    QVERIFY(logger.Starting("ST ITV2").empty());  // unchanged from the logger's 1
    const CVT7SysInfo& work = TestHost().Session().Working().sys;
    QCOMPARE(work.sampling, seconds);
    QCOMPARE(work.eventSampling, 300);
    QCOMPARE(work.measuring, 1);
    QVERIFY(logger.Logger().State().measuring);
    QCOMPARE(int(logger.Logger().State().sampling_seconds), seconds);
  }

  // Only ASCII digits reach the masked fields; an impossible date or time is
  // named to the user and nothing is sent.
  void scheduleRefusesOtherDigitsAndImpossibleValues_data() {
    QTest::addColumn<QString>("start");         // typed into the start field
    QTest::addColumn<QString>("hoursMinutes");  // typed into the normal interval
    QTest::addColumn<QString>("days");
    QTest::addColumn<QString>("message");  // empty: accepted
    const QString invalid = QStringLiteral("入力値が正しくありません: ");
    QTest::newRow("impossible start") << "2713459999"
                                      << "0010"
                                      << "0" << invalid + "測定開始日時";
    QTest::newRow("29 February 2027") << "2702291000"
                                      << "0010"
                                      << "0" << invalid + "測定開始日時";
    QTest::newRow("hours 99") << "3001030830"
                              << "9959"
                              << "0" << invalid + "通常時測定間隔";
    QTest::newRow("11 days") << "3001030830"
                             << "0010"
                             << "11" << invalid + "通常時測定間隔";
    // Full-width digits are dropped while typing: the ASCII ones remain.
    QTest::newRow("full-width digits") << QStringLiteral("３3０0０0１1０0３3０0８8３3０0")
                                       << QStringLiteral("0０0１1０0") << "0" << QString();
  }
  void scheduleRefusesOtherDigitsAndImpossibleValues() {
    // Types any characters, also those QTest has no key for.
    auto type = [](QWidget* w, const QString& text) {
      for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(w, &press);
      }
    };
    QFETCH(QString, start);
    QFETCH(QString, hoursMinutes);
    QFETCH(QString, days);
    QFETCH(QString, message);
    ConnectedLogger logger;
    QVERIFY(logger.Ready());
    logger.Logger().ClearReceived();
    MessageBoxes boxes;
    PageDriver driver;
    QString shownStart;
    driver.Next([&](CInputBaseDlg* page) {
      auto* p = As<CDlgInputMeasureSetting>(page);
      CMaskedEdit* field = p->StartField();
      field->setFocus();
      field->setCursorPosition(0);
      type(field, start);
      shownStart = field->displayText();
      p->NormalDaysField()->setText(days);
      CMaskedEdit* hm = p->NormalHoursMinutesField();
      hm->setFocus();
      hm->setCursorPosition(0);
      type(hm, hoursMinutes);
    });
    if (!message.isEmpty()) driver.Cancel();
    const int result = RunSingleItemWizard(TestHost(), nullptr, kItemMeasurement, 0);
    QVERIFY(driver.Done());
    if (message.isEmpty()) {
      QCOMPARE(result, 1);
      QCOMPARE(shownStart, QStringLiteral("2030-01-03 08:30"));
      QCOMPARE(logger.Starting("ST SMP "), std::vector<std::string>{"ST SMP D00H00M10S00"});
      return;
    }
    QCOMPARE(result, -1);
    QCOMPARE(boxes.shown.size(), size_t(1));
    QCOMPARE(boxes.shown[0].text, message);
    QVERIFY(logger.Starting("ST ").empty());
  }

  // A paste goes in as typing would: only its ASCII digits reach the masked
  // fields, whichever way the paste comes.
  void schedulePasteTakesOnlyAsciiDigits_data() {
    QTest::addColumn<QString>("route");
    QTest::newRow("Ctrl+V") << "key";
    QTest::newRow("Shift+Insert") << "insert";
    QTest::newRow("context menu") << "menu";
  }
  void schedulePasteTakesOnlyAsciiDigits() {
    QFETCH(QString, route);
    auto paste = [&](CMaskedEdit* field, const QString& text) {
      QGuiApplication::clipboard()->setText(text);
      field->setFocus();
      field->setCursorPosition(0);
      if (route == "key") {
        QTest::keyClick(field, Qt::Key_V, Qt::ControlModifier);
      } else if (route == "insert") {
        QTest::keyClick(field, Qt::Key_Insert, Qt::ShiftModifier);
      } else {
        // Chooses Paste in the menu once it shows; closes it in any case.
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&poll] {
          auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
          if (menu == nullptr) return;
          poll.stop();
          for (QAction* action : menu->actions())
            if (action->text().startsWith(QStringLiteral("&Paste"))) action->trigger();
          menu->close();
        });
        poll.start(5);
        QContextMenuEvent event(QContextMenuEvent::Keyboard, QPoint(2, 2), field->mapToGlobal(QPoint(2, 2)));
        QApplication::sendEvent(field, &event);
      }
    };
    ConnectedLogger logger;
    QVERIFY(logger.Ready());
    logger.Logger().ClearReceived();
    MessageBoxes boxes;
    PageDriver driver;
    QString shownStart, shownInterval;
    driver.Next([&](CInputBaseDlg* page) {
      auto* p = As<CDlgInputMeasureSetting>(page);
      paste(p->StartField(), QStringLiteral("３3０0/０0１1/０0３3 ０0８8:３3０0"));
      shownStart = p->StartField()->displayText();
      p->NormalDaysField()->setText("0");
      paste(p->NormalHoursMinutesField(), QStringLiteral("０0０0:１1０0"));
      shownInterval = p->NormalHoursMinutesField()->displayText();
    });
    QCOMPARE(RunSingleItemWizard(TestHost(), nullptr, kItemMeasurement, 0), 1);
    QVERIFY(boxes.shown.empty());
    QCOMPARE(shownStart, QStringLiteral("2030-01-03 08:30"));
    QCOMPARE(shownInterval, QStringLiteral("00:10"));
    QCOMPARE(logger.Starting("ST STM "), std::vector<std::string>{"ST STM 30/01/03 08:30"});
    QCOMPARE(logger.Starting("ST SMP "), std::vector<std::string>{"ST SMP D00H00M10S00"});
  }

  void scheduleUneditedDropsTheSeconds() {
    ConnectedLogger logger;
    QVERIFY(logger.Ready());
    CDeviceSession& s = TestHost().Session();
    int sampling = 90061;
    QCOMPARE(s.Protocol().SetSampling(s.PortPtr(), sampling), 0);
    s.RefreshSystemInfo();
    QCOMPARE(s.Current().sys.sampling, 90061);
    logger.Logger().ClearReceived();
    MessageBoxes boxes;
    PageDriver driver;
    driver.Next();
    QCOMPARE(RunSingleItemWizard(TestHost(), nullptr, kItemMeasurement, 0), 1);
    QCOMPARE(logger.Starting("ST SMP "), std::vector<std::string>{"ST SMP D01H01M01S00"});
    QCOMPARE(s.Working().sys.sampling, 90060);
  }

  void scheduleStartMovedOntoTheGrid() {
    ConnectedLogger logger;
    QVERIFY(logger.Ready());
    logger.Logger().ClearReceived();
    MessageBoxes boxes;
    PageDriver driver;
    QString shownAfterTyping;
    driver.Next([&](CInputBaseDlg* page) {
      auto* p = As<CDlgInputMeasureSetting>(page);
      CMaskedEdit* start = p->StartField();
      start->setFocus();
      start->setCursorPosition(0);
      QTest::keyClicks(start, "2601030830");
      shownAfterTyping = start->displayText();
      p->NormalDaysField()->setText("0");
      p->NormalHoursMinutesField()->SetFullText("00:10");
    });
    QCOMPARE(RunSingleItemWizard(TestHost(), nullptr, kItemMeasurement, 0), 1);
    QCOMPARE(shownAfterTyping, QStringLiteral("2026-01-03 08:30"));
    const auto stm = logger.Starting("ST STM ");
    QCOMPARE(stm.size(), size_t(1));
    // The requested start lies in the past: the first time on its 10-minute
    // grid at least a minute after the logger's clock.
    const int64_t requested = CSdlTime{2026, 1, 3, 8, 30, 0}.ToTime();
    const int64_t sent = StartCommandSeconds(stm[0]);
    int64_t loggerNow = 0;
    QVERIFY(TestHost().Session().GetDeviceClock(&loggerNow));
    QCOMPARE((sent - requested) % 600, int64_t(0));
    // The clock was read a moment after the start was computed.
    QVERIFY(sent >= loggerNow + 60 - 5);
    QVERIFY(sent < loggerNow + 60 + 600);
    const CSdlTime& stored = TestHost().Session().Working().sys.startTime;
    QCOMPARE(stored.ToTime(), sent);
  }

  void schedulePcTimePlusTwoMinutes() {
    ConnectedLogger logger;
    QVERIFY(logger.Ready());
    logger.Logger().ClearReceived();
    MessageBoxes boxes;
    PageDriver driver;
    QString preset;
    std::string expected;
    driver.Next([&](CInputBaseDlg* page) {
      auto* p = As<CDlgInputMeasureSetting>(page);
      p->NormalDaysField()->setText("0");
      p->NormalHoursMinutesField()->SetFullText("00:01");
      const int64_t before = timing::NowSeconds();
      p->PcTimeButton()->click();
      preset = p->StartField()->displayText();
      const QString a = QString::fromStdString(StartTimePresetText(before));
      const QString b = QString::fromStdString(StartTimePresetText(timing::NowSeconds()));
      if (preset != a && preset != b) preset = QStringLiteral("unexpected: ") + preset;
      // The command's form of the same minute.
      const QString digits = p->StartField()->DigitsText();
      expected = QStringLiteral("ST STM %1/%2/%3 %4:%5")
                     .arg(digits.mid(0, 2), digits.mid(2, 2), digits.mid(4, 2), digits.mid(6, 2), digits.mid(8, 2))
                     .toStdString();
    });
    QCOMPARE(RunSingleItemWizard(TestHost(), nullptr, kItemMeasurement, 0), 1);
    QVERIFY2(!preset.startsWith("unexpected"), qPrintable(preset));
    QCOMPARE(logger.Starting("ST STM "), std::vector<std::string>{expected});
  }

  void scheduleFailureDetailLines_data() {
    QTest::addColumn<QString>("refused");
    QTest::addColumn<QString>("message");
    QTest::newRow("event transmission interval")
        << "ST ITV2" << QStringLiteral("エラー！ 失敗しました\r\nErr ITV2\r\n");
    QTest::newRow("sampling") << "ST SMP " << QStringLiteral("エラー！ 失敗しました\r\nErr SMP\r\n");
    QTest::newRow("start") << "ST STM" << QStringLiteral("エラー！ 失敗しました\r\nErr STM\r\n");
  }
  void scheduleFailureDetailLines() {
    QFETCH(QString, refused);
    QFETCH(QString, message);
    ConnectedLogger logger;
    QVERIFY(logger.Ready());
    logger.Logger().RefuseCommands(refused.toStdString(), -1);
    MessageBoxes boxes;
    PageDriver driver;
    bool stayed = false;
    driver.Next([](CInputBaseDlg* page) { As<CDlgInputMeasureSetting>(page)->EventTransmissionField()->setText("5"); });
    driver.Cancel([&](CInputBaseDlg* page) { stayed = page->isVisible(); });
    QCOMPARE(RunSingleItemWizard(TestHost(), nullptr, kItemMeasurement, 0), -1);
    QVERIFY(stayed);
    QCOMPARE(int(boxes.shown.size()), 1);
    QCOMPARE(boxes.shown[0].text, message);
    QCOMPARE(boxes.shown[0].icon, msgbox::Icon::kWarning);
  }

  // A zero interval is never sent: the page names the field.
  void scheduleZeroIntervalIsRefused() {
    ConnectedLogger logger;
    QVERIFY(logger.Ready());
    logger.Logger().ClearReceived();
    MessageBoxes boxes;
    PageDriver driver;
    driver.Next([](CInputBaseDlg* page) {
      auto* p = As<CDlgInputMeasureSetting>(page);
      p->NormalDaysField()->setText("0");
      p->NormalHoursMinutesField()->SetFullText("00:00");
    });
    driver.Cancel();
    QCOMPARE(RunSingleItemWizard(TestHost(), nullptr, kItemMeasurement, 0), -1);
    QVERIFY(logger.Starting("ST SMP").empty());
    QCOMPARE(int(boxes.shown.size()), 1);
    QVERIFY2(boxes.shown[0].text.contains(QStringLiteral("通常時測定間隔")), qPrintable(boxes.shown[0].text));
  }

  void scheduleClockRuns() {
    ConnectedLogger logger;
    QVERIFY(logger.Ready());
    PageDriver driver;
    QString first;
    bool advanced = false;
    driver.Cancel([&](CInputBaseDlg* page) {
      QLineEdit* clock = As<CDlgInputMeasureSetting>(page)->DeviceClockField();
      if (!QTest::qWaitFor([&] { return !clock->text().isEmpty(); }, 5000)) return;
      first = clock->text();
      advanced = QTest::qWaitFor([&] { return clock->text() != first; }, 5000);
    });
    QCOMPARE(RunSingleItemWizard(TestHost(), nullptr, kItemMeasurement, 0), -1);
    QVERIFY(!first.isEmpty());
    QVERIFY(advanced);
  }

  void scheduleClockEmptyWithoutReference() {
    ConnectedLogger logger;
    QVERIFY(logger.Ready());
    TestHost().Session().InvalidateClockReference();
    PageDriver driver;
    QString text = QStringLiteral("unset");
    int ticks = 0;
    driver.Cancel([&](CInputBaseDlg* page) {
      auto* p = As<CDlgInputMeasureSetting>(page);
      QTimer* timer = p->DeviceClockField()->findChild<QTimer*>();
      if (timer == nullptr) return;
      QObject::connect(timer, &QTimer::timeout, [&] { ++ticks; });
      (void)QTest::qWaitFor([&] { return ticks >= 3; }, 5000);
      text = p->DeviceClockField()->text();
    });
    QCOMPARE(RunSingleItemWizard(TestHost(), nullptr, kItemMeasurement, 0), -1);
    QVERIFY(ticks >= 3);
    QVERIFY(text.isEmpty());
  }
};

QTEST_MAIN(WizardPagesTest)
#include "wizard_pages_test.moc"
