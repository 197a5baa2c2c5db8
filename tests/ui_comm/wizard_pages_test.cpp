// The access point, antenna check and test mail wizard pages against the
// virtual logger.
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QtTest>

#include <optional>
#include <thread>

#include "comm_test_support.h"
#include "settings/antenna_level.h"
#include "settings/pages/antenna_pictures.h"
#include "settings/pages/dlg_input_antena_test.h"
#include "settings/pages/dlg_input_sim_setting.h"
#include "settings/pages/dlg_input_test_mail.h"
#include "settings/setting_item_list.h"
#include "settings/wizard/wizard_entries.h"
#include "settings/wizard_flags.h"

using namespace comm_test;
using namespace std::chrono_literals;

Q_DECLARE_METATYPE(std::optional<int>)

namespace {

QString Ctl(int id) { return QStringLiteral("ctl%1").arg(id); }

std::vector<std::string> MailFieldLines(const LoggerConnection& link) {
  std::vector<std::string> out;
  for (const char* key : {"MAIL APN", "MAIL APU", "MAIL APP", "MAIL APA"})
    for (const auto& l : link.Starting(key)) out.push_back(l);
  return out;
}

}  // namespace

class WizardPagesTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<LoggerConnection> link_;
  std::unique_ptr<QWidget> owner_;

  // The access point wizard as "APN設定" runs it, with `act` on its page.
  int RunAccessPointWizard(const std::function<void(CDlgInputSimSetting*)>& act) {
    ModalDriver driver([&](QWidget* modal) {
      if (auto* page = qobject_cast<CDlgInputSimSetting*>(modal)) act(page);
    });
    return RunSingleItemWizard(TestHost(), owner_.get(), kItemAccessPoint, 0);
  }

 private slots:
  void init() {
    link_ = std::make_unique<LoggerConnection>();
    QVERIFY2(link_->Start(), link_->logger.LastError().c_str());
    link_->logger.ClearReceived();
    owner_ = std::make_unique<QWidget>();
    owner_->show();
  }
  void cleanup() {
    owner_.reset();
    link_.reset();
  }

  // A preset sends only "MAIL INI" with it and keeps the record's fields.
  void presetSendsOnlyMailIni_data() {
    QTest::addColumn<int>("button");
    QTest::addColumn<QString>("line");
    QTest::newRow("IIJ") << 1431 << "MAIL INI IIJ";
    QTest::newRow("Soracom") << 1432 << "MAIL INI MDAP";
  }
  void presetSendsOnlyMailIni() {
    QFETCH(int, button);
    QFETCH(QString, line);
    MessageBoxes boxes;
    const CVT7MailInfo before = TestHost().Session().Current().mail;
    bool otherChosenAtStart = false;
    const int rc = RunAccessPointWizard([&](CDlgInputSimSetting* page) {
      otherChosenAtStart = page->findChild<QRadioButton*>(Ctl(1433))->isChecked();
      page->findChild<QRadioButton*>(Ctl(button))->click();
      QVERIFY(!page->findChild<QLineEdit*>(Ctl(1028))->isEnabled());
      QVERIFY(!page->findChild<QComboBox*>(Ctl(1434))->isEnabled());
      QVERIFY(ClickButton(page, Ctl(600)));
    });
    QCOMPARE(rc, 1);
    QVERIFY(otherChosenAtStart);
    QCOMPARE(link_->Starting("MAIL INI"), std::vector<std::string>{line.toStdString()});
    QVERIFY(MailFieldLines(*link_).empty());
    const CVT7MailInfo& work = TestHost().Session().Working().mail;
    QCOMPARE(work.apn, before.apn);
    QCOMPARE(work.apnUser, before.apnUser);
    QCOMPARE(work.apnPassword, before.apnPassword);
    QCOMPARE(work.apnAuth, before.apnAuth);
    QVERIFY(boxes.shown.empty());
  }

  // "その他" with "none": the fields are sent, "APA" alone, then "MAIL INI".
  void otherWithNoneSendsApaAlone() {
    MessageBoxes boxes;
    CDeviceSession& s = TestHost().Session();
    s.Current().mail.apnAuth = "PAP";
    QString shownAuth;
    const int rc = RunAccessPointWizard([&](CDlgInputSimSetting* page) {
      auto* auth = page->findChild<QComboBox*>(Ctl(1434));
      shownAuth = auth->currentText();
      page->findChild<QLineEdit*>(Ctl(1028))->setText("apn.example");
      page->findChild<QLineEdit*>(Ctl(1004))->setText("");
      page->findChild<QLineEdit*>(Ctl(1005))->setText("pw1");
      auth->setCurrentIndex(0);
      QVERIFY(ClickButton(page, Ctl(600)));
    });
    QCOMPARE(rc, 1);
    QCOMPARE(shownAuth, QStringLiteral("PAP"));
    QCOMPARE(MailFieldLines(*link_),
             (std::vector<std::string>{"MAIL APN apn.example", "MAIL APU ", "MAIL APP pw1", "MAIL APA"}));
    QCOMPARE(link_->Starting("MAIL INI"), std::vector<std::string>{"MAIL INI"});
    QCOMPARE(s.Working().mail.apnAuth, std::string());
    QCOMPARE(link_->logger.State().mail.apn, std::string("apn.example"));
    // The wizard refreshed the session from the logger afterwards.
    QCOMPARE(s.Current().mail.apn, std::string("apn.example"));
  }

  // Refused fields: the detail names them, "MAIL INI" is not sent and the
  // page stays open.
  void refusedFieldsAreNamedInTheMessage() {
    MessageBoxes boxes;
    link_->logger.RefuseCommands("MAIL APN", -1);
    link_->logger.RefuseCommands("MAIL APP", -1);
    bool stayedOpen = false;
    const int rc = RunAccessPointWizard([&](CDlgInputSimSetting* page) {
      QVERIFY(ClickButton(page, Ctl(600)));
      stayedOpen = page->isVisible() && page->PageResult() == wizard::kResultClosed;
      QVERIFY(ClickButton(page, Ctl(2)));
    });
    QCOMPARE(rc, -1);
    QVERIFY(stayedOpen);
    QCOMPARE(boxes.Texts(), QStringList{"エラー！ 失敗しました\r\nError: ( -APN-APP )"});
    QCOMPARE(boxes.shown[0].icon, msgbox::Icon::kWarning);
    QVERIFY(link_->Starting("MAIL INI").empty());
  }

  // A text the fields would not take when typed (pasted, or as the logger
  // holds it) names its field, and nothing goes to the logger.
  void otherRefusesTextsTheFieldsWouldNotTake_data() {
    QTest::addColumn<int>("field");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("label");
    QTest::newRow("blank in the name") << 1028 << "apn example"
                                       << "名称";
    QTest::newRow("comma in the user id") << 1004 << "user,1"
                                          << "ユーザID";
    QTest::newRow("colon in the name") << 1028 << "a:b"
                                       << "名称";
    QTest::newRow("tab in the password") << 1005 << "pw\t"
                                         << "パスワード";
    QTest::newRow("full-width letters") << 1005 << QStringLiteral("ｐｗ") << "パスワード";
    QTest::newRow("kanji the code page holds") << 1004 << QStringLiteral("利用者") << "ユーザID";
    QTest::newRow("letter the code page lacks") << 1028 << QStringLiteral("caf\u00e9") << "名称";
  }
  void otherRefusesTextsTheFieldsWouldNotTake() {
    QFETCH(int, field);
    QFETCH(QString, text);
    QFETCH(QString, label);
    MessageBoxes boxes;
    bool stayedOpen = false;
    const int rc = RunAccessPointWizard([&](CDlgInputSimSetting* page) {
      page->findChild<QLineEdit*>(Ctl(1028))->setText("apn.example");
      page->findChild<QLineEdit*>(Ctl(1004))->setText("user");
      page->findChild<QLineEdit*>(Ctl(1005))->setText("pw");
      page->findChild<QLineEdit*>(Ctl(field))->setText(text);
      QVERIFY(ClickButton(page, Ctl(600)));
      stayedOpen = page->isVisible() && page->PageResult() == wizard::kResultClosed;
      QVERIFY(ClickButton(page, Ctl(2)));
    });
    QCOMPARE(rc, -1);
    QVERIFY(stayedOpen);
    QCOMPARE(boxes.Texts(), QStringList{QStringLiteral("入力値が正しくありません: ") + label});
    QVERIFY(MailFieldLines(*link_).empty());
    QVERIFY(link_->Starting("MAIL INI").empty());
    // Nothing was stored either.
    const CVT7MailInfo& before = TestHost().Session().Current().mail;
    const CVT7MailInfo& work = TestHost().Session().Working().mail;
    QCOMPARE(work.apn, before.apn);
    QCOMPARE(work.apnUser, before.apnUser);
    QCOMPARE(work.apnPassword, before.apnPassword);
  }

  void refusedPresetAsksToSetAgain() {
    MessageBoxes boxes;
    link_->logger.RefuseCommands("MAIL INI", -1);
    RunAccessPointWizard([&](CDlgInputSimSetting* page) {
      page->findChild<QRadioButton*>(Ctl(1431))->click();
      QVERIFY(ClickButton(page, Ctl(600)));
      QVERIFY(ClickButton(page, Ctl(2)));
    });
    QCOMPARE(boxes.Texts(), QStringList{"通信モジュールへの設定に失敗しました\r\n再度設定を行ってください"});
  }

  void failureDetailJoinsTheRefusedFields() {
    QCOMPARE(CDlgInputSimSetting::FailureDetail(0), std::string());
    QCOMPARE(CDlgInputSimSetting::FailureDetail(0x0F), std::string("Error: ( -APN-APU-APP-APA )"));
    QCOMPARE(CDlgInputSimSetting::FailureDetail(0x08), std::string("Error: ( -APA )"));
  }

  void antennaLevelFromTheModulesReading_data() {
    QTest::addColumn<std::optional<int>>("reading");
    QTest::addColumn<int>("level");
    QTest::addColumn<QStringList>("messages");
    const QStringList none;
    QTest::newRow("-88") << std::optional<int>(-88) << 4 << none;
    QTest::newRow("-89") << std::optional<int>(-89) << 3 << none;
    QTest::newRow("-99") << std::optional<int>(-99) << 3 << none;
    QTest::newRow("-100") << std::optional<int>(-100) << 2 << none;
    QTest::newRow("-107") << std::optional<int>(-107) << 2 << none;
    QTest::newRow("-108") << std::optional<int>(-108) << 1 << none;
    QTest::newRow("-130") << std::optional<int>(-130) << 1 << none;
    QTest::newRow("-131") << std::optional<int>(-131) << 0 << none;
    QTest::newRow("0 is no reading") << std::optional<int>(0) << kNoAntennaLevel << none;
    // An empty listing is said, not only left without a picture.
    QTest::newRow("empty listing is no reading")
        << std::optional<int>() << kNoAntennaLevel << QStringList{"ロガーの応答から値を読み取れませんでした。"};
  }
  void antennaLevelFromTheModulesReading() {
    QFETCH(std::optional<int>, reading);
    QFETCH(int, level);
    QFETCH(QStringList, messages);
    MessageBoxes boxes;
    int shown = -2;
    QImage picture;
    bool onlyClose = false;
    ModalDriver driver([&](QWidget* modal) {
      auto* page = qobject_cast<CDlgInputAntenaTest*>(modal);
      if (page == nullptr) return;
      onlyClose = !page->NextButton()->isVisible() && page->CancelButton()->text() == QStringLiteral("閉じる");
      // A reading that shows a picture first, so that "no reading" must clear it.
      link_->logger.SetAntennaLevel(-60);
      QVERIFY(ClickButton(page, Ctl(1044)));
      link_->logger.SetAntennaLevel(reading);
      QVERIFY(ClickButton(page, Ctl(1044)));
      page->repaint();
      shown = page->Level();
      picture = page->Picture().toImage();
      QVERIFY(ClickButton(page, Ctl(2)));
    });
    RunSingleItemWizard(TestHost(), owner_.get(), kItemAntennaCheck, wizard::kNoRefresh);
    QCOMPARE(driver.seen, QStringList{"CDlgInputAntenaTest"});
    QVERIFY(onlyClose);
    QCOMPARE(shown, level);
    if (level == kNoAntennaLevel) {
      QVERIFY(picture.isNull());
    } else {
      QCOMPARE(picture, AntennaPicture(AntennaPictureId(level)).toImage());
    }
    QCOMPARE(boxes.Texts(), messages);
    QCOMPARE(link_->Starting("RD ANT").size(), size_t(2));
  }

  void antennaPicturesAreFiveDistinct48PixelSquares() {
    QVector<QImage> seen;
    for (int level = 0; level <= 4; ++level) {
      const QPixmap p = AntennaPicture(AntennaPictureId(level));
      QCOMPARE(p.size(), QSize(48, 48));
      QVERIFY(!seen.contains(p.toImage()));
      seen << p.toImage();
    }
    QVERIFY(AntennaPicture(0).isNull());
    QVERIFY(AntennaPicture(386).isNull());
  }

  void antennaCheckWithThePortClosedShowsNoPicture() {
    MessageBoxes boxes;
    TestHost().Session().Close();
    CDlgInputAntenaTest page(TestHost());
    int level = -2;
    ModalDriver driver([&](QWidget* modal) {
      QVERIFY(ClickButton(modal, Ctl(1044)));
      level = page.Level();
      QVERIFY(ClickButton(modal, Ctl(2)));
    });
    page.DoModalPage(owner_.get(), wizard::kStandalone, CDlgInputAntenaTest::kTemplateId);
    QCOMPARE(level, kNoAntennaLevel);
    QCOMPARE(boxes.Texts(), QStringList{"エラー！ 機器と接続していません"});
  }

  // The test mail's listing may pause up to 60 s between lines.
  void testMailSilenceRule_data() {
    QTest::addColumn<int>("pauseSeconds");
    QTest::addColumn<bool>("succeeds");
    QTest::newRow("50 s pause") << 50 << true;
    QTest::newRow("70 s pause") << 70 << false;
  }
  void testMailSilenceRule() {
    QFETCH(int, pauseSeconds);
    QFETCH(bool, succeeds);
    MessageBoxes boxes;
    const auto pause = std::chrono::microseconds(static_cast<int64_t>(pauseSeconds * 1e6 * timing::TimeScale()));
    link_->logger.SilenceCommands("MAIL START", 1);
    std::thread answer([&] {
      if (!link_->logger.WaitForReceived(
              [](const std::vector<std::string>& l) { return !l.empty() && l.back() == "MAIL START"; }, 10s))
        return;
      // The logger answers at once with its first line, then is silent for
      // the pause (the line lets no chunk out before the gap has passed).
      link_->logger.SetChunking(4096, pause);
      link_->logger.Inject("OK\r\nCONNECT apn.example\r\n");
      link_->logger.Inject("DISCONNECT\r\nYES END\r\n");
    });
    CDlgInputTestMail page(TestHost());
    ModalDriver driver([&](QWidget* modal) {
      QVERIFY(ClickButton(modal, Ctl(1044)));
      QVERIFY(ClickButton(modal, Ctl(2)));
    });
    page.DoModalPage(owner_.get(), wizard::kOnlyPage | wizard::kNoRefresh, CDlgInputTestMail::kTemplateId);
    answer.join();
    QCOMPARE(boxes.Texts(), QStringList{succeeds ? "成功" : "エラー！ 失敗しました"});
  }

  void testMailWithoutOkFails() {
    MessageBoxes boxes;
    link_->logger.SilenceCommands("MAIL START", -1);
    CDlgInputTestMail page(TestHost());
    ModalDriver driver([&](QWidget* modal) {
      QVERIFY(ClickButton(modal, Ctl(1044)));
      QVERIFY(ClickButton(modal, Ctl(2)));
    });
    page.DoModalPage(owner_.get(), wizard::kOnlyPage | wizard::kNoRefresh, CDlgInputTestMail::kTemplateId);
    QCOMPARE(boxes.Texts(), QStringList{"エラー！ 失敗しました"});
    QCOMPARE(link_->Starting("MAIL START").size(), size_t(1));
  }
};

QTEST_MAIN(WizardPagesTest)
#include "wizard_pages_test.moc"
