// The firmware update dialog: the file choice with its identification
// strings, the start gate and the transfer to the virtual logger.
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include <cstdio>
#include <string>
#include <vector>

#include "comm_test_support.h"
#include "common/string_table.h"
#include "firmware/dlg_firm.h"

using namespace comm_test;

namespace {

QString Ctl(int id) { return QStringLiteral("ctl%1").arg(id); }

// One Intel HEX record with its checksum.
std::string Record(int address, int type, const std::string& data) {
  char head[16];
  std::snprintf(head, sizeof head, ":%02X%04X%02X", static_cast<unsigned>(data.size()), address, type);
  std::string line = head;
  unsigned sum = static_cast<unsigned>(data.size()) + (address >> 8) + (address & 0xFF) + type;
  for (unsigned char c : data) {
    char pair[3];
    std::snprintf(pair, sizeof pair, "%02X", c);
    line += pair;
    sum += c;
  }
  char check[3];
  std::snprintf(check, sizeof check, "%02X", (0x100 - (sum & 0xFF)) & 0xFF);
  return line + check;
}

// An image whose first record carries the module tag and three more
// identification strings, followed by data records up to `records` lines.
std::vector<std::string> ImageLines(const std::string& tag, int records) {
  const std::string ids = tag + std::string(1, '\0') + "1.08" + std::string(1, '\0') + "2026-01-02" +
                          std::string(1, '\0') + "QHX" + std::string(1, '\0');
  std::vector<std::string> lines = {Record(0, 0, ids)};
  for (int i = 1; i < records; ++i) lines.push_back(Record(0x100 + 16 * i, 0, std::string(16, char('A' + i % 26))));
  lines.push_back(Record(0, 1, ""));
  return lines;
}

QString WriteImage(const QTemporaryDir& dir, const std::vector<std::string>& lines) {
  const QString path = dir.filePath("image.hex");
  std::string text;
  for (const auto& l : lines) text += l + "\r\n";
  QFile f(path);
  if (f.open(QIODevice::WriteOnly)) f.write(text.data(), static_cast<qint64>(text.size()));
  return path;
}

}  // namespace

class FirmwareDialogTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<LoggerConnection> link_;
  QTemporaryDir dir_;

  static void HoldChord(bool held) {
    CDlgFirm::SetModifierReader(
        [held] { return held ? Qt::KeyboardModifiers(Qt::ShiftModifier | Qt::ControlModifier) : Qt::NoModifier; });
  }

 private slots:
  void init() {
    link_ = std::make_unique<LoggerConnection>();
    QVERIFY2(link_->Start(), link_->logger.LastError().c_str());
    link_->logger.ClearReceived();
  }
  void cleanup() {
    CDlgFirm::SetModifierReader(nullptr);
    link_.reset();
  }

  void transferEndsWithCompletedNormally() {
    const std::vector<std::string> lines = ImageLines("v-TREL7", 24);
    const QString path = WriteImage(dir_, lines);
    QVERIFY(QFileInfo(path).size() >= 512);
    MessageBoxes boxes;
    FileDialogs files;
    files.answers = {path};
    CDlgFirm dialog(TestHost());
    dialog.show();
    QVERIFY(ClickButton(&dialog, Ctl(1267)));
    QCOMPARE(files.asked.size(), size_t(1));
    QCOMPARE(files.asked[0].filter, QStringLiteral("v-TRELIX7 firmware file(*.hex)"));
    QCOMPARE(files.asked[0].defaultSuffix, QStringLiteral("hex"));
    QCOMPARE(dialog.findChild<QLineEdit*>(Ctl(1002))->text(), path);
    QCOMPARE(dialog.findChild<QPlainTextEdit*>(Ctl(1003))->toPlainText(),
             QStringLiteral("v-TREL7\r\n1.08\r\n2026-01-02\r\nQHX\r\n").replace("\r\n", "\n"));

    HoldChord(true);
    QVERIFY(ClickButton(&dialog, Ctl(1266)));
    QCOMPARE(boxes.Texts(),
             (QStringList{QString::fromStdString(strings::Text(strings::id::kConfirmFirmwareErasesData)),
                          QString::fromStdString(strings::Text(strings::id::kConfirmFirmwareResetsSettings)),
                          "正常に終了しました"}));
    QVERIFY(boxes.shown[0].okCancel && boxes.shown[1].okCancel);
    QCOMPARE(boxes.shown[2].caption, QStringLiteral("Normal termination"));
    QCOMPARE(dialog.updated, 1);
    QCOMPARE(link_->logger.FirmwareLines(), lines);
    const vlogger::LoggerState state = link_->logger.State();
    QCOMPARE(state.program_writes, 1);
    QCOMPARE(state.system_inits, 1);  // the chord forces the system initialisation
    for (int id : {1267, 1266, 1}) QVERIFY(dialog.findChild<QPushButton*>(Ctl(id))->isEnabled());
  }

  void updateWithoutTheChordSendsNothing() {
    MessageBoxes boxes;
    FileDialogs files;
    files.answers = {WriteImage(dir_, ImageLines("v-TREL7", 24))};
    CDlgFirm dialog(TestHost());
    dialog.show();
    QVERIFY(ClickButton(&dialog, Ctl(1267)));
    HoldChord(false);
    QVERIFY(ClickButton(&dialog, Ctl(1266)));
    QCOMPARE(boxes.Texts(), QStringList{"エラー！  機器が異なります"});
    QCOMPARE(dialog.updated, 0);
    QVERIFY(link_->logger.ReceivedBytes().empty());
  }

  void wrongModuleTagIsRefusedEvenWithTheChord() {
    MessageBoxes boxes;
    FileDialogs files;
    files.answers = {WriteImage(dir_, ImageLines("v-TREL8", 24))};
    CDlgFirm dialog(TestHost());
    dialog.show();
    QVERIFY(ClickButton(&dialog, Ctl(1267)));
    HoldChord(true);
    QVERIFY(ClickButton(&dialog, Ctl(1266)));
    QCOMPARE(boxes.Texts(), QStringList{"エラー！  機器が異なります"});
    QVERIFY(link_->logger.ReceivedBytes().empty());
  }

  void declinedConfirmationSendsNothing() {
    MessageBoxes boxes;
    boxes.answers = {QMessageBox::Ok, QMessageBox::Cancel};
    FileDialogs files;
    files.answers = {WriteImage(dir_, ImageLines("v-TREL7", 24))};
    CDlgFirm dialog(TestHost());
    dialog.show();
    QVERIFY(ClickButton(&dialog, Ctl(1267)));
    HoldChord(true);
    QVERIFY(ClickButton(&dialog, Ctl(1266)));
    QCOMPARE(boxes.shown.size(), size_t(2));
    QVERIFY(link_->logger.ReceivedBytes().empty());
  }

  void refusedMaintenanceStateShowsOnlyFailed() {
    MessageBoxes boxes;
    link_->logger.RefuseCommands("INSPECT ON", -1);
    FileDialogs files;
    files.answers = {WriteImage(dir_, ImageLines("v-TREL7", 24))};
    CDlgFirm dialog(TestHost());
    dialog.show();
    QVERIFY(ClickButton(&dialog, Ctl(1267)));
    HoldChord(true);
    QVERIFY(ClickButton(&dialog, Ctl(1266)));
    QCOMPARE(boxes.Texts().mid(2), QStringList{"失敗しました"});
    QCOMPARE(dialog.updated, 0);
    QCOMPARE(link_->Starting("INSPECT ON").size(), size_t(3));
    QVERIFY(link_->Starting("SRAMCLR").empty());
  }

  void updateWithoutAFileDoesNothing() {
    MessageBoxes boxes;
    CDlgFirm dialog(TestHost());
    dialog.show();
    HoldChord(true);
    QVERIFY(ClickButton(&dialog, Ctl(1266)));
    QVERIFY(boxes.shown.empty());
    QVERIFY(link_->logger.ReceivedBytes().empty());
  }

  // A rejected choice keeps the previous good one on show.
  void rejectedFileKeepsThePreviousChoice_data() {
    QTest::addColumn<QByteArray>("content");  // empty: no file
    QTest::addColumn<QString>("message");
    QTest::newRow("missing") << QByteArray() << "エラー！ ファイルを開くことに失敗しました";
    QTest::newRow("511 bytes") << QByteArray(":" + QByteArray(510, '0')) << "エラー！  設定ファイルではありません";
    QTest::newRow("leading blank") << QByteArray(" " + QByteArray(600, '0')) << "エラー！  設定ファイルではありません";
  }
  void rejectedFileKeepsThePreviousChoice() {
    QFETCH(QByteArray, content);
    QFETCH(QString, message);
    MessageBoxes boxes;
    FileDialogs files;
    const QString good = WriteImage(dir_, ImageLines("v-TREL7", 24));
    const QString bad = dir_.filePath("bad.hex");
    QFile::remove(bad);
    if (!content.isEmpty()) {
      QFile f(bad);
      QVERIFY(f.open(QIODevice::WriteOnly));
      f.write(content);
    }
    files.answers = {good, bad};
    CDlgFirm dialog(TestHost());
    dialog.show();
    QVERIFY(ClickButton(&dialog, Ctl(1267)));
    QVERIFY(ClickButton(&dialog, Ctl(1267)));
    QCOMPARE(boxes.Texts(), QStringList{message});
    QCOMPARE(dialog.findChild<QLineEdit*>(Ctl(1002))->text(), good);
    QCOMPARE(dialog.IdentificationStrings().size(), size_t(4));
  }
};

QTEST_MAIN(FirmwareDialogTest)
#include "firmware_dialog_test.moc"
