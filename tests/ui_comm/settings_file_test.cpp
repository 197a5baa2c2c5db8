// The settings file commands: the export from the item tree and the import
// that runs the wizard over the file's items, against the virtual logger.
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <cerrno>
#include <cstring>

#include <QtTest>

#include <algorithm>

#include "comm_test_support.h"
#include "common/string_table.h"
#include "settings/pages/input_base_dlg.h"
#include "settings/setting_work.h"
#include "settings/wizard/dlg_tree_item.h"

using namespace comm_test;

namespace {

QByteArray ReadAll(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return QByteArray();
  return f.readAll();
}

void WriteAll(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  if (f.open(QIODevice::WriteOnly | QIODevice::Truncate)) f.write(bytes);
}

// Sets the check mark of the tree item with that text.
void SetItemChecked(CDlgTreeItem* tree, const QString& text, bool checked) {
  const auto found = tree->Tree()->findItems(text, Qt::MatchExactly | Qt::MatchRecursive);
  for (QTreeWidgetItem* item : found)
    if (item->parent() != nullptr) item->setCheckState(0, checked ? Qt::Checked : Qt::Unchecked);
}

// The item texts under each heading: "heading: item, item".
QStringList TreeShape(CDlgTreeItem* tree) {
  QStringList shape;
  for (int h = 0; h < tree->Tree()->topLevelItemCount(); ++h) {
    QTreeWidgetItem* heading = tree->Tree()->topLevelItem(h);
    QStringList items;
    for (int c = 0; c < heading->childCount(); ++c) items << heading->child(c)->text(0);
    shape << heading->text(0) + ": " + items.join(", ");
  }
  return shape;
}

// Position of the first received line that starts with the prefix, or -1.
int FirstIndex(const std::vector<std::string>& lines, const std::string& prefix) {
  for (size_t i = 0; i < lines.size(); ++i)
    if (lines[i].compare(0, prefix.size(), prefix) == 0) return static_cast<int>(i);
  return -1;
}

const QByteArray kFullFile =
    "[ZEB_TXLI]\r\n"
    "DATE,2026-01-02 03:04:05\r\n"
    "IMEI,\r\n"
    "//6\r\n"
    "BATTERY_ALART,3300\r\n"
    "//11\r\n"
    "AP_NAME,imp.example\r\n"
    "AP_USER,impuser\r\n"
    "AP_PASS,imppass\r\n"
    "AP_AUTH,CHAP\r\n"
    "//21\r\n"
    "ALM_AD,0,4.5000,0.5000,1,1\r\n"
    "//22\r\n"
    "MES_ENABLE,1\r\n"
    "MES_START_TIME,2030-01-01 00:00:00\r\n"
    "MES_INTERVAL_TIME,1200\r\n"
    "MES_INTERVAL_NUM,3\r\n"
    "MES_INTERVAL_EVENT_TIME,120\r\n"
    "MES_INTERVAL_EVENT_NUM,2\r\n";

}  // namespace

class SettingsFileTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<LoggerConnection> link_;
  std::unique_ptr<QWidget> owner_;
  std::unique_ptr<QTemporaryDir> dir_;

 private slots:
  void init() {
    link_ = std::make_unique<LoggerConnection>();
    QVERIFY2(link_->Start(), link_->logger.LastError().c_str());
    link_->logger.ClearReceived();
    owner_ = std::make_unique<QWidget>();
    owner_->show();
    dir_ = std::make_unique<QTemporaryDir>();
    QVERIFY(dir_->isValid());
  }
  void cleanup() {
    owner_.reset();
    link_.reset();
    dir_.reset();
  }

  // Items 6, 21 and 22 of a logger that measures every 10 minutes and sends
  // every 6th measurement, every minute and every measurement in the event
  // state; the file replaces a longer one without a trace of it.
  void exportFromTheTreeWritesTheExampleFile() {
    MessageBoxes boxes;
    FileDialogs files;
    const QString path = dir_->filePath("settings.txi");
    WriteAll(path, QByteArray(4000, 'x'));
    files.answers = {path};
    CVT7SysInfo& sys = TestHost().Session().Current().sys;
    sys.batteryAlert = 3000;
    sys.upperThreshold = 5.0;
    sys.lowerThreshold = 1.0;
    sys.upperEnabled = 1;
    sys.lowerEnabled = 0;
    sys.measuring = 1;
    sys.startTime = CSdlTime{2026, 1, 3, 0, 0, 0};
    sys.sampling = 600;
    sys.interval = 6;
    sys.eventSampling = 60;
    sys.eventInterval = 1;
    TestHost().Session().Current().mail.imei.clear();

    QStringList shape;
    QString caption;
    ModalDriver driver([&](QWidget* modal) {
      auto* tree = qobject_cast<CDlgTreeItem*>(modal);
      if (tree == nullptr) return;
      caption = tree->windowTitle();
      shape = TreeShape(tree);
      SetItemChecked(tree, QStringLiteral("アクセスポイント"), false);
      tree->OkButton()->click();
    });
    QCOMPARE(CVTCSettingWork::RunExportCommand(TestHost(), owner_.get()), 0);

    QCOMPARE(caption, QStringLiteral("出力設定項目選択"));
    QCOMPARE(shape,
             (QStringList{"初期設定: バッテリ警告", "接続設定: アクセスポイント", "測定設定: 判定基準, 測定設定"}));
    QVERIFY(boxes.shown.empty());
    QCOMPARE(files.asked.size(), size_t(1));
    const filedlg::Request& asked = files.asked[0];
    QVERIFY(asked.save);
    QCOMPARE(asked.title, QStringLiteral("設定ファイル名入力"));
    QCOMPARE(asked.filter, QStringLiteral("Tessalo HX setting info(*.txi)"));
    QCOMPARE(asked.defaultSuffix, QStringLiteral("txi"));
    const auto name =
        QRegularExpression("^TXL_(\\d{4})(\\d{2})(\\d{2})_(\\d{2})(\\d{2})(\\d{2})\\.txi$").match(asked.proposedName);
    QVERIFY2(name.hasMatch(), qPrintable(asked.proposedName));

    QList<QByteArray> lines = ReadAll(path).split('\n');
    QCOMPARE(lines.takeLast(), QByteArray());  // the last line ends with CR LF too
    for (QByteArray& l : lines) {
      QVERIFY(l.endsWith('\r'));
      l.chop(1);
    }
    // The DATE line carries the moment of the proposed name.
    const QByteArray date = QStringLiteral("DATE,%1-%2-%3 %4:%5:%6")
                                .arg(name.captured(1), name.captured(2), name.captured(3), name.captured(4),
                                     name.captured(5), name.captured(6))
                                .toLatin1();
    const QList<QByteArray> expected = {"[ZEB_TXLI]",
                                        date,
                                        "IMEI,",
                                        "//6",
                                        "BATTERY_ALART,3000",
                                        "//21",
                                        "ALM_AD,0,5.0000,1.0000,1,0",
                                        "//22",
                                        "MES_ENABLE,1",
                                        "MES_START_TIME,2026-01-03 00:00:00",
                                        "MES_INTERVAL_TIME,600",
                                        "MES_INTERVAL_NUM,6",
                                        "MES_INTERVAL_EVENT_TIME,60",
                                        "MES_INTERVAL_EVENT_NUM,1"};
    QCOMPARE(lines, expected);
    QVERIFY(link_->logger.ReceivedBytes().empty());  // the export does not talk to the logger
  }

  void exportThatWritesNothing_data() {
    QTest::addColumn<bool>("untickAll");
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<int>("dialogs");
    QTest::newRow("nothing ticked") << true << QString("unused") << QStringList{} << 0;
    QTest::newRow("dialog cancelled") << false << QString() << QStringList{} << 1;
    QTest::newRow("folder missing") << false << QString("missing/settings.txi")
                                    << QStringList{"エラー！ ファイル作成に失敗しました"} << 1;
  }
  void exportThatWritesNothing() {
    QFETCH(bool, untickAll);
    QFETCH(QString, answer);
    QFETCH(QStringList, messages);
    QFETCH(int, dialogs);
    MessageBoxes boxes;
    FileDialogs files;
    files.answers = {answer.isEmpty() ? answer : dir_->filePath(answer)};
    ModalDriver driver([&](QWidget* modal) {
      auto* tree = qobject_cast<CDlgTreeItem*>(modal);
      if (tree == nullptr) return;
      if (untickAll)
        for (const char* item : {"バッテリ警告", "アクセスポイント", "判定基準", "測定設定"})
          SetItemChecked(tree, QString::fromUtf8(item), false);
      tree->OkButton()->click();
    });
    QCOMPARE(CVTCSettingWork::RunExportCommand(TestHost(), owner_.get()), -1);
    QCOMPARE(boxes.Texts(), messages);
    QCOMPARE(int(files.asked.size()), dialogs);
    QVERIFY(QDir(dir_->path()).entryList(QDir::Files | QDir::NoDotAndDotDot).isEmpty());
  }

  // The file's items, each page opening with the file's values and sending
  // them when Next is pressed, in the wizard's order.
  void importSendsTheFilesItemsPageByPage() {
    MessageBoxes boxes;
    FileDialogs files;
    const QString path = dir_->filePath("import.txi");
    WriteAll(path, kFullFile);
    files.answers = {path};

    QString caption;
    QStringList shape;
    // Lines received when each page appeared: nothing is sent before its Next.
    QStringList sentBefore;
    ModalDriver driver([&](QWidget* modal) {
      if (auto* tree = qobject_cast<CDlgTreeItem*>(modal)) {
        caption = tree->windowTitle();
        shape = TreeShape(tree);
        tree->OkButton()->click();
        return;
      }
      if (auto* page = qobject_cast<CInputBaseDlg*>(modal)) {
        sentBefore << QStringLiteral("%1 %2 %3 %4")
                          .arg(link_->Starting("ST BAT").size())
                          .arg(link_->Starting("MAIL APN").size())
                          .arg(link_->Starting("ST ALM").size())
                          .arg(link_->Starting("ST SMP ").size());
        QVERIFY(ClickButton(page, QStringLiteral("ctl600")));
      }
    });
    QCOMPARE(CVTCSettingWork::RunImportCommand(TestHost(), owner_.get()), 0);

    QCOMPARE(caption, QStringLiteral("読込み設定項目選択"));
    QCOMPARE(shape,
             (QStringList{"初期設定: バッテリ警告", "接続設定: アクセスポイント", "測定設定: 判定基準, 測定設定"}));
    QCOMPARE(driver.seen, (QStringList{"CDlgTreeItem", "CDlgInputBatAlart", "CDlgInputSimSetting", "CDlgInputRange1ch",
                                       "CDlgInputMeasureSetting"}));
    QCOMPARE(sentBefore, (QStringList{"0 0 0 0", "1 0 0 0", "1 1 0 0", "1 1 1 0"}));
    QCOMPARE(boxes.Texts(), QStringList{});
    QCOMPARE(files.asked.size(), size_t(1));
    QVERIFY(!files.asked[0].save);
    QCOMPARE(files.asked[0].title, QStringLiteral("設定ファイル名入力"));
    QCOMPARE(files.asked[0].filter, QStringLiteral("Tessalo HX setting info(*.txi)"));

    const auto lines = link_->logger.ReceivedLines();
    const int bat = FirstIndex(lines, "ST BAT 3300");
    const int apn = FirstIndex(lines, "MAIL APN imp.example");
    const int alm = FirstIndex(lines, "ST ALM AN 4.5000 0.5000");
    const int smp = FirstIndex(lines, "ST SMP ");
    QVERIFY(bat >= 0 && bat < apn && apn < alm && alm < smp);

    const vlogger::LoggerState state = link_->logger.State();
    QCOMPARE(state.battery_cutoff_mv, 3300);
    QCOMPARE(state.mail.apn, std::string("imp.example"));
    QCOMPARE(state.mail.apu, std::string("impuser"));
    QCOMPARE(state.mail.app, std::string("imppass"));
    QCOMPARE(state.mail.apa, std::string("CHAP"));
    QCOMPARE(state.upper_threshold, 4.5);
    QCOMPARE(state.lower_threshold, 0.5);
    QVERIFY(state.upper_enabled && state.lower_enabled);
    QCOMPARE(state.sampling_seconds, int64_t(1200));
    QCOMPARE(state.interval, 3);
    QCOMPARE(state.event_sampling_seconds, int64_t(120));
    QCOMPARE(state.event_interval, 2);
    QVERIFY(state.measuring);
  }

  // Only the items found in the file are offered.
  void importOffersOnlyTheItemsOfTheFile() {
    MessageBoxes boxes;
    FileDialogs files;
    const QString path = dir_->filePath("battery.txi");
    WriteAll(path, "[ZEB_TXLI]\r\nBATTERY_ALART,3100\r\nMES_INTERVAL_TIME,600\r\n");
    files.answers = {path};
    QStringList shape;
    ModalDriver driver([&](QWidget* modal) {
      if (auto* tree = qobject_cast<CDlgTreeItem*>(modal)) {
        shape = TreeShape(tree);
        tree->CancelButton()->click();
      }
    });
    QCOMPARE(CVTCSettingWork::RunImportCommand(TestHost(), owner_.get()), -1);
    QCOMPARE(shape, QStringList{"初期設定: バッテリ警告"});
    // The file's value never reached the working record.
    QCOMPARE(TestHost().Session().Working().sys.batteryAlert, TestHost().Session().Current().sys.batteryAlert);
    QVERIFY(TestHost().Session().Current().sys.batteryAlert != 3100);
    QVERIFY(link_->logger.ReceivedBytes().empty());
  }

  void importOfAFileThatIsNotReadable_data() {
    QTest::addColumn<QByteArray>("content");  // empty: no file
    QTest::addColumn<QString>("message");
    const QString cannotOpen = QStringLiteral("エラー！ ファイルを開くことに失敗しました");
    const QString notValid = QString::fromStdString(strings::Text(strings::id::kNotValidFile));
    QTest::newRow("missing") << QByteArray() << cannotOpen;
    QTest::newRow("lower-case header") << QByteArray("[zeb_txli]\r\nBATTERY_ALART,3100\r\n") << notValid;
    QTest::newRow("UTF-16") << QByteArray("\xFF\xFE[\0Z\0E\0B\0", 10) << notValid;
    QTest::newRow("binary") << QByteArray(
                                   "\x7F"
                                   "ELF\x02\x01\0\0",
                                   8)
                            << notValid;
  }
  void importOfAFileThatIsNotReadable() {
    QFETCH(QByteArray, content);
    QFETCH(QString, message);
    MessageBoxes boxes;
    FileDialogs files;
    const QString path = dir_->filePath("bad.txi");
    if (!content.isEmpty()) WriteAll(path, content);
    files.answers = {path};
    ModalDriver driver([](QWidget* modal) { modal->close(); });
    QCOMPARE(CVTCSettingWork::RunImportCommand(TestHost(), owner_.get()), -1);
    QVERIFY(driver.seen.isEmpty());
    QCOMPARE(boxes.Texts().size(), 1);
    // A file that cannot be opened also names the system's reason.
    const QString reason = content.isEmpty() ? QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(ENOENT)) : "";
    QCOMPARE(boxes.Texts()[0], message + "\r\n(" + path + reason + ")");
    QCOMPARE(boxes.shown[0].icon, msgbox::Icon::kWarning);
  }

  // A value its page could not send is refused before anything is sent, and
  // the open dialog comes again so that another file can be chosen.
  void importRefusesABadValueAndAsksForAnotherFile() {
    MessageBoxes boxes;
    FileDialogs files;
    const QString bad = dir_->filePath("bad.txi");
    WriteAll(bad, "[ZEB_TXLI]\r\nBATTERY_ALART,3.3\r\nAP_NAME,ok\r\nAP_AUTH,pap\r\n");
    const QString good = dir_->filePath("good.txi");
    WriteAll(good, "[ZEB_TXLI]\r\nAP_NAME,ok\r\nAP_AUTH,pap\r\n");
    files.answers = {bad, good};
    ModalDriver driver([&](QWidget* modal) {
      if (auto* tree = qobject_cast<CDlgTreeItem*>(modal)) {
        tree->OkButton()->click();
        return;
      }
      modal->close();  // the access point page of the good file: cancelled
    });
    QCOMPARE(CVTCSettingWork::RunImportCommand(TestHost(), owner_.get()), 0);
    QCOMPARE(files.asked.size(), size_t(2));
    QCOMPARE(boxes.Texts(), QStringList{QString::fromStdString(strings::Text(strings::id::kNotValidFile)) +
                                        QStringLiteral("\r\nBATTERY_ALART (2行目): 3.3")});
    QCOMPARE(driver.seen, (QStringList{"CDlgTreeItem", "CDlgTreeItem", "CDlgInputSimSetting"}));
    QVERIFY(link_->logger.ReceivedBytes().empty());
    // Authentication given in lower case reaches the page in its canonical form.
    QCOMPARE(TestHost().Session().Working().mail.apnAuth, std::string("PAP"));
  }

  void importCancelledInTheOpenDialog() {
    MessageBoxes boxes;
    FileDialogs files;
    QCOMPARE(CVTCSettingWork::RunImportCommand(TestHost(), owner_.get()), -1);
    QCOMPARE(files.asked.size(), size_t(1));
    QVERIFY(boxes.shown.empty());
  }
};

QTEST_MAIN(SettingsFileTest)
#include "settings_file_test.moc"
