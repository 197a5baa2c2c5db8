// The recorded-data page against the virtual logger on a pseudo-terminal:
// record and error-log readouts into the viewer, the abort, a readout that
// breaks off, and the memory clear.
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <chrono>
#include <cstdlib>
#include <memory>

#include "../support/fake_device_host.h"
#include "common/string_table.h"
#include "common/timing.h"
#include "log/traffic_capture.h"
#include "operations/operation.h"
#ifdef QHX_HAVE_ARCHIVE
#include "operations/archived_readout.h"
#endif
#include "pages/data_strings.h"
#include "pages/dlg_aqcuired.h"
#include "pages/dlg_main_recode_data.h"
#include "ui_seams.h"
#include "virtual_logger.h"
#include "work/dlg_working.h"
#include "work/working_thread.h"

using namespace std::chrono_literals;

namespace {

// Protocol time-outs run at this fraction; QHX_TEST_TIME_SCALE overrides it.
double Scale() {
  const char* env = std::getenv("QHX_TEST_TIME_SCALE");
  return env != nullptr ? std::atof(env) : 0.05;
}

QString Ui(uint32_t id) { return QString::fromStdString(strings::Text(id)); }

// What a viewer showed when it opened.
struct ViewerSeen {
  bool opened = false;
  QString title;
  QString text;
};

// Reads what a viewer shows, then saves (when a path is set) or closes it.
ModalDriver::Handler ViewerAction(ViewerSeen* seen, bool save) {
  return [seen, save](QWidget* w) {
    seen->opened = true;
    seen->title = w->windowTitle();
    seen->text = qobject_cast<CDlgAqcuired*>(w)->ShownText();
    w->findChild<QPushButton*>(save ? "save" : "close")->click();
  };
}

// Enters a last ID and count into the range dialog and presses OK.
ModalDriver::Handler RangeEntry(int lastId, int count, QString* summary = nullptr,
                                std::function<void()> before = nullptr) {
  return [=](QWidget* w) {
    if (summary != nullptr) *summary = w->findChild<QLabel*>("summary")->text();
    w->findChild<QLineEdit*>("lastId")->setText(QString::number(lastId));
    w->findChild<QLineEdit*>("count")->setText(QString::number(count));
    if (before) before();
    w->findChild<QPushButton*>("ok")->click();
  };
}

}  // namespace

class DataPageTest : public QObject {
  Q_OBJECT
 private slots:
  void initTestCase();
  void init();
  void cleanup();

  void readButtonsFollowThePort();
  void readoutOfChosenRange_data();
  void readoutOfChosenRange();
  void savedRecordFileIsTheText();
  void cancelledRangeDialogReadsNothing();
  void abortKeepsRecordsAndShowsCounter();
  void readoutThatBreaksOffKeepsWhatArrived();
  void refusedReadoutShowsFailure();
  void errorLogIntoViewer();
  void clearAsksAndCancelSendsNothing();
  void clearSendsClearAndReportsSuccess();
  void failedClearReportsFailure();
  void clearWarnsOfRecordsNotArchived_data();
  void clearWarnsOfRecordsNotArchived();
  void readNewDataShowsOnlyTheNewRecords();

 private:
  CDeviceSession& session() { return host_.Session(); }
  // Every record the logger holds goes into an archive of the test's own, so
  // that a clear loses nothing (without the archive: nothing to do).
  void ArchiveAllHeld();
  // Lines the logger received since the test began that start with prefix.
  QStringList Received(const std::string& prefix = "") const {
    QStringList out;
    for (const auto& l : logger_->ReceivedLines())
      if (l.compare(0, prefix.size(), prefix) == 0) out << QString::fromStdString(l);
    return out;
  }

  CMLog log_;  // the traffic, as the program's log captures it; outlives the session
  FakeDeviceHost host_;
  std::unique_ptr<vlogger::VirtualLogger> logger_;
  std::unique_ptr<CDlgMainRecodeData> page_;
  std::unique_ptr<QTemporaryDir> archiveDir_;
};

#ifdef QHX_HAVE_ARCHIVE
namespace {
class DiscardingSink : public ops::RecordSink {
 public:
  void Records(const char*, size_t, long) override {}
};
}  // namespace

void DataPageTest::ArchiveAllHeld() {
  archiveDir_ = std::make_unique<QTemporaryDir>();
  host_.SetArchivePath(archiveDir_->filePath("archive.sqlite").toStdString());
  DiscardingSink discard;
  const ops::ArchivedReadoutResult r = ops::ReadRecordsArchived(session(), {-1, 0}, discard, host_.Archive(), {});
  QVERIFY2(r.Succeeded(), r.message.c_str());
  logger_->ClearReceived();
}
#else
void DataPageTest::ArchiveAllHeld() {}
#endif

void DataPageTest::initTestCase() {
  QCOMPARE(log_.Ring().Allocate(), 1);
  session().SetTrafficSink(&log_);
}

void DataPageTest::init() {
  timing::SetTimeScale(Scale());
  logger_ = std::make_unique<vlogger::VirtualLogger>();
  QVERIFY2(logger_->Start(), logger_->LastError().c_str());
  logger_->PresetMemory(100, 1);
  QCOMPARE(session().Open(logger_->PortPath()), 0);
  QCOMPARE(session().Identify(), 1);
  session().RefreshSystemInfo();
  logger_->ClearReceived();
  page_ = std::make_unique<CDlgMainRecodeData>(host_);
  page_->show();
}

void DataPageTest::cleanup() {
  page_.reset();
#ifdef QHX_HAVE_ARCHIVE
  host_.SetArchivePath(std::string());
#endif
  archiveDir_.reset();
  session().Close();
  logger_->Stop();
  logger_.reset();
  timing::SetTimeScale(1.0);
}

void DataPageTest::readButtonsFollowThePort() {
  auto* read = page_->findChild<QPushButton*>("readData");
  auto* errors = page_->findChild<QPushButton*>("readErrorLog");
  auto* clear = page_->findChild<QPushButton*>("clearData");
  QCOMPARE(read->text(), QStringLiteral("データ読み込み"));
  QCOMPARE(errors->text(), QStringLiteral("エラーログ読込"));
  QCOMPARE(clear->text(), QStringLiteral("データのクリア"));
  QVERIFY(read->isEnabled() && errors->isEnabled() && clear->isEnabled());

  session().Close();
  page_->Refresh();
  QVERIFY(!read->isEnabled() && !errors->isEnabled());
  QVERIFY(clear->isEnabled());

  QCOMPARE(session().Open(logger_->PortPath()), 0);
  page_->Refresh();
  QVERIFY(read->isEnabled() && errors->isEnabled());
}

void DataPageTest::readoutOfChosenRange_data() {
  QTest::addColumn<int>("presetCount");
  QTest::addColumn<int>("presetFirst");
  QTest::addColumn<QString>("summary");
  QTest::addColumn<int>("lastId");
  QTest::addColumn<int>("count");
  QTest::addColumn<QString>("command");
  QTest::addColumn<int>("firstRecord");
  QTest::addColumn<int>("records");
  QTest::newRow("last 10") << 100 << 1 << "データ数: 100   (ID: 1 - ID: 100)" << 100 << 10 << "RD ALL 91 10" << 91
                           << 10;
  QTest::newRow("last ID cuts the count")
      << 100 << 1 << "データ数: 100   (ID: 1 - ID: 100)" << 50 << 100 << "RD ALL 1 50" << 1 << 50;
  QTest::newRow("wrapped memory") << 20 << 99990 << "データ数: 20   (ID: 99990 - ID: 9)" << 9 << 20 << "RD ALL 99990 20"
                                  << 99990 << 20;
  // A full memory ends one ID below its first: the readout still takes
  // exactly the records asked for, ending at the entered last ID.
  QTest::newRow("full memory, last ID below the first")
      << 100000 << 1 << "データ数: 100000   (ID: 1 - ID: 0)" << 0 << 5 << "RD ALL 99996 5" << 99996 << 5;
  QTest::newRow("full memory, a range inside it")
      << 100000 << 1 << "データ数: 100000   (ID: 1 - ID: 0)" << 50000 << 10 << "RD ALL 49991 10" << 49991 << 10;
}

void DataPageTest::readoutOfChosenRange() {
  QFETCH(int, presetCount);
  QFETCH(int, presetFirst);
  QFETCH(QString, summary);
  QFETCH(int, lastId);
  QFETCH(int, count);
  QFETCH(QString, command);
  QFETCH(int, firstRecord);
  QFETCH(int, records);

  // The page's quick refresh picks up the memory range that the logger now holds.
  logger_->PresetMemory(static_cast<size_t>(presetCount), presetFirst);
  MessageBoxSpy boxes;
  ModalDriver driver;
  QString shownSummary;
  ViewerSeen viewer;
  driver.On("CDlgInputRdALLID", RangeEntry(lastId, count, &shownSummary));
  driver.On("CDlgAqcuired", ViewerAction(&viewer, false));

  QTest::mouseClick(page_->findChild<QPushButton*>("readData"), Qt::LeftButton);

  QCOMPARE(driver.seen, (QStringList{"CDlgInputRdALLID", "CDlgAqcuired"}));
  QCOMPARE(shownSummary, summary);
  QCOMPARE(Received("RD "), (QStringList{"RD SYS", command}));
  QVERIFY2(boxes.requests.empty(), qPrintable(boxes.Texts().join('|')));

  QVERIFY(viewer.opened);
  QCOMPARE(viewer.title, Ui(strings::id::kViewerTitle));
  const QStringList lines = viewer.text.split('\n', Qt::SkipEmptyParts);
  QCOMPARE(lines.size(), records);
  QVERIFY2(lines.first().startsWith(QStringLiteral("%1,").arg(firstRecord, 5, 10, QLatin1Char('0'))),
           qPrintable(lines.first()));
  // The text is the record lines exactly, each with CR LF, without the end line.
  const std::string& text = page_->Text();
  QCOMPARE(QString::fromStdString(text), lines.join("\r\n") + "\r\n");
  QVERIFY(!page_->TextIncomplete());
}

void DataPageTest::savedRecordFileIsTheText() {
  QTemporaryDir dir;
  MessageBoxSpy boxes;
  FileDialogSpy files;
  files.path = dir.filePath("records.txt");
  ModalDriver driver;
  ViewerSeen viewer;
  driver.On("CDlgInputRdALLID", RangeEntry(100, 100));
  driver.On("CDlgAqcuired", ViewerAction(&viewer, true));

  QTest::mouseClick(page_->findChild<QPushButton*>("readData"), Qt::LeftButton);

  QVERIFY(viewer.opened);
  QCOMPARE(files.requests.size(), size_t(1));
  QVERIFY(QRegularExpression("^TXL_ALL_\\d{8}_\\d{6}\\.txt$").match(files.requests[0].proposedName).hasMatch());
  QFile saved(files.path);
  QVERIFY(saved.open(QIODevice::ReadOnly));
  const QByteArray bytes = saved.readAll();
  QCOMPARE(bytes, QByteArray::fromStdString(page_->Text()));
  QCOMPARE(bytes.count("\r\n"), 100);
  QCOMPARE(bytes.count('\n'), 100);
  QVERIFY(bytes.startsWith("00001,"));
  QVERIFY(bytes.endsWith("\r\n"));
  QVERIFY(!bytes.contains("END"));
  QVERIFY(boxes.requests.empty());
}

void DataPageTest::cancelledRangeDialogReadsNothing() {
  ModalDriver driver;
  driver.On("CDlgInputRdALLID", [](QWidget* w) { w->findChild<QPushButton*>("cancel")->click(); });
  QTest::mouseClick(page_->findChild<QPushButton*>("readData"), Qt::LeftButton);
  QCOMPARE(driver.seen, QStringList{"CDlgInputRdALLID"});
  QCOMPARE(Received(), QStringList{"RD SYS"});
  QCOMPARE(page_->FirstId(), -1);
  QCOMPARE(page_->Count(), -1);
}

void DataPageTest::abortKeepsRecordsAndShowsCounter() {
  logger_->PresetMemory(3000, 1);
  log_.Ring().TakePending();
  MessageBoxSpy boxes;
  ModalDriver driver;
  ViewerSeen viewer;
  QString counter;
  // The listing comes at the pace of the real line, about 25 records a second.
  driver.On("CDlgInputRdALLID", RangeEntry(3000, 3000, nullptr, [this] { logger_->SetPaced(true); }));
  driver.On("CDlgAqcuired", ViewerAction(&viewer, false));
  // Abort once the counter shows a few records.
  driver.OnTick([&] {
    CDlgWorking* progress = CVTCWorkingThread::CurrentProgressDialog();
    if (progress == nullptr || !progress->AbortVisible()) return;
    const QRegularExpressionMatch m =
        QRegularExpression("^通信中 \\( (\\d+) / 3000 \\)$").match(progress->CounterText());
    if (m.hasMatch() && m.captured(1).toInt() >= 5) {
      counter = progress->CounterText();
      progress->ClickAbort();
    }
  });

  QTest::mouseClick(page_->findChild<QPushButton*>("readData"), Qt::LeftButton);

  QVERIFY2(!counter.isEmpty(), qPrintable("the counter never showed records: " + boxes.Texts().join('|')));
  QVERIFY2(boxes.requests.empty(), qPrintable(boxes.Texts().join('|')));
  QVERIFY(logger_->ReceivedBytes().find('\x1b') != std::string::npos);
  // The ESC went through the traffic capture as sent.
  CTLogBuffer& ring = log_.Ring();
  ring.TakePending();
  QVERIFY(std::find(ring.Snapshot().begin(), ring.Snapshot().end(), uint16_t(0x011B)) != ring.Snapshot().end());

  // The logger ended the listing: the viewer shows the records received up to then.
  QVERIFY(viewer.opened);
  QCOMPARE(viewer.title, Ui(strings::id::kViewerTitle));
  const QStringList lines = viewer.text.split('\n', Qt::SkipEmptyParts);
  QVERIFY(lines.size() >= 5);
  QVERIFY2(lines.size() < 3000, "the abort did not cut the listing short");
  for (int i = 0; i < lines.size(); ++i)
    QVERIFY2(lines[i].startsWith(QStringLiteral("%1,").arg(i + 1, 5, 10, QLatin1Char('0'))), qPrintable(lines[i]));
  QVERIFY(!page_->TextIncomplete());
}

void DataPageTest::readoutThatBreaksOffKeepsWhatArrived() {
  logger_->PresetMemory(500, 1);
  MessageBoxSpy boxes;
  ModalDriver driver;
  ViewerSeen viewer;
  // The line goes dead in the middle of the listing (after "OK" and some records).
  driver.On("CDlgInputRdALLID", RangeEntry(500, 500, nullptr, [this] { logger_->DropAfterBytes(2000); }));
  driver.On("CDlgAqcuired", ViewerAction(&viewer, false));

  QTest::mouseClick(page_->findChild<QPushButton*>("readData"), Qt::LeftButton);

  // The failure is reported first, with how many records arrived, then the
  // viewer shows what arrived, marked.
  QCOMPARE(boxes.Texts().size(), 1);
  QVERIFY(boxes.Texts()[0].startsWith(Ui(strings::id::kFailed)));
  QCOMPARE(boxes.requests[0].icon, msgbox::Icon::kWarning);
  QCOMPARE(driver.seen, (QStringList{"CDlgInputRdALLID", "CDlgAqcuired"}));
  QVERIFY(viewer.opened);
  QVERIFY(viewer.title.startsWith(Ui(strings::id::kViewerTitle)));
  QVERIFY(viewer.title.contains(Ui(strings::id::kViewerIncomplete)));
  const QStringList lines = viewer.text.split('\n', Qt::SkipEmptyParts);
  QVERIFY(lines.size() > 10);
  QVERIFY(lines.size() < 500);
  QVERIFY(lines.first().startsWith("00001,"));
  QVERIFY(page_->TextIncomplete());
  QCOMPARE(QString::fromStdString(page_->Text()), lines.join("\r\n") + "\r\n");
}

void DataPageTest::refusedReadoutShowsFailure() {
  logger_->RefuseCommands("RD ALL", -1);
  MessageBoxSpy boxes;
  ModalDriver driver;
  driver.On("CDlgInputRdALLID", RangeEntry(100, 10));

  QTest::mouseClick(page_->findChild<QPushButton*>("readData"), Qt::LeftButton);

  QCOMPARE(Received("RD ALL"), QStringList(3, "RD ALL 91 10"));
  QCOMPARE(boxes.Texts(), QStringList{Ui(strings::id::kFailed)});
  QCOMPARE(driver.seen, QStringList{"CDlgInputRdALLID"});  // no viewer
  QVERIFY(page_->Text().empty());
}

void DataPageTest::errorLogIntoViewer() {
  logger_->SetErrorLog({"E001 24/01/31 10:00:00 BATTERY", "E002 24/01/31 11:00:00 MODULE"});
  QTemporaryDir dir;
  MessageBoxSpy boxes;
  FileDialogSpy files;
  files.path = dir.filePath("errors.txt");
  ModalDriver driver;
  ViewerSeen viewer;
  driver.On("CDlgAqcuired", ViewerAction(&viewer, true));

  QTest::mouseClick(page_->findChild<QPushButton*>("readErrorLog"), Qt::LeftButton);

  QCOMPARE(Received(), QStringList{"RD ERR"});
  QVERIFY(boxes.requests.empty());
  QVERIFY(viewer.opened);
  QCOMPARE(viewer.text, QStringLiteral("E001 24/01/31 10:00:00 BATTERY\nE002 24/01/31 11:00:00 MODULE\n"));
  QCOMPARE(files.requests.size(), size_t(1));
  QVERIFY(QRegularExpression("^TXL_ERR_\\d{8}_\\d{6}\\.txt$").match(files.requests[0].proposedName).hasMatch());
  QFile saved(files.path);
  QVERIFY(saved.open(QIODevice::ReadOnly));
  QCOMPARE(saved.readAll(), QByteArray("E001 24/01/31 10:00:00 BATTERY\r\nE002 24/01/31 11:00:00 MODULE\r\n"));

  // Three refusals: failure, no viewer.
  logger_->RefuseCommands("RD ERR", -1);
  logger_->ClearReceived();
  viewer = ViewerSeen{};
  QTest::mouseClick(page_->findChild<QPushButton*>("readErrorLog"), Qt::LeftButton);
  QCOMPARE(Received(), QStringList(3, "RD ERR"));
  QCOMPARE(boxes.Texts(), QStringList{Ui(strings::id::kFailed)});
  QVERIFY(!viewer.opened);
}

void DataPageTest::clearAsksAndCancelSendsNothing() {
  ArchiveAllHeld();
  MessageBoxSpy boxes;
  boxes.answer = QMessageBox::Cancel;
  QTest::mouseClick(page_->findChild<QPushButton*>("clearData"), Qt::LeftButton);

  QCOMPARE(boxes.requests.size(), size_t(1));
  const msgbox::Request& q = boxes.requests[0];
  QCOMPARE(q.text, Ui(strings::id::kConfirmClearData));
  QCOMPARE(q.caption, QStringLiteral("Clear"));
  QCOMPARE(q.icon, msgbox::Icon::kWarning);
  QVERIFY(q.okCancel);
  QVERIFY(Received("ST ").isEmpty());
  QCOMPARE(logger_->State().record_count, size_t(100));
}

void DataPageTest::clearSendsClearAndReportsSuccess() {
  ArchiveAllHeld();
  MessageBoxSpy boxes;
  QTest::mouseClick(page_->findChild<QPushButton*>("clearData"), Qt::LeftButton);

  QCOMPARE(Received("ST CLR"), QStringList{"ST CLR"});
  QCOMPARE(logger_->State().record_count, size_t(0));
  // The memory range was read again after the clear.
  QCOMPARE(Received().last(), QStringLiteral("RD SYS"));
  QCOMPARE(session().Current().sys.lastId, 0);
  QCOMPARE(boxes.Texts(), (QStringList{Ui(strings::id::kConfirmClearData), QStringLiteral("成功")}));
  QCOMPARE(boxes.requests[1].icon, msgbox::Icon::kNone);
}

void DataPageTest::failedClearReportsFailure() {
  ArchiveAllHeld();
  logger_->RefuseCommands("ST CLR", -1);
  MessageBoxSpy boxes;
  QTest::mouseClick(page_->findChild<QPushButton*>("clearData"), Qt::LeftButton);

  QCOMPARE(Received("ST CLR"), QStringList(3, "ST CLR"));
  QCOMPARE(boxes.Texts(), (QStringList{Ui(strings::id::kConfirmClearData), QStringLiteral("エラー！ 失敗しました")}));
  QCOMPARE(boxes.requests[1].icon, msgbox::Icon::kWarning);
  QCOMPARE(logger_->State().record_count, size_t(100));
}

// Records the archive lacks, or a check that could not be made, come before
// the usual question; Cancel stays the default and sends no clear.
void DataPageTest::clearWarnsOfRecordsNotArchived_data() {
  QTest::addColumn<int>("added");      // records taken after everything was archived
  QTest::addColumn<bool>("archived");  // with an archive at all
  QTest::addColumn<bool>("refuseReadout");
  QTest::addColumn<QString>("warning");
  QTest::addColumn<int>("answer");
  const QString checkFailed = Ui(strings::id::kUnreadCheckFailed) + "\r\n";
#ifdef QHX_HAVE_ARCHIVE
  const QString twoLost = QString::fromStdString(strings::Text(strings::id::kUnreadWillBeLost))
                              .replace("%ld", "2")
                              .replace("%s", "101-102");
  QTest::newRow("two unread, cancelled") << 2 << true << false << twoLost << int(QMessageBox::Cancel);
  QTest::newRow("two unread, cleared") << 2 << true << false << twoLost << int(QMessageBox::Ok);
  QTest::newRow("check refused") << 0 << true << true << checkFailed + Ui(strings::id::kFailed)
                                 << int(QMessageBox::Cancel);
#endif
  QTest::newRow("no archive") << 0 << false << false << checkFailed + Ui(strings::id::kNoArchiveInUse)
                              << int(QMessageBox::Cancel);
}

void DataPageTest::clearWarnsOfRecordsNotArchived() {
  QFETCH(int, added);
  QFETCH(bool, archived);
  QFETCH(bool, refuseReadout);
  QFETCH(QString, warning);
  QFETCH(int, answer);
  if (archived) ArchiveAllHeld();
  logger_->AddRecords(static_cast<size_t>(added));
  if (refuseReadout) logger_->RefuseCommands("RD ALL", -1);
  MessageBoxSpy boxes;
  boxes.answer = answer;

  QTest::mouseClick(page_->findChild<QPushButton*>("clearData"), Qt::LeftButton);

  QVERIFY(!boxes.requests.empty());
  const msgbox::Request& q = boxes.requests[0];
  QCOMPARE(q.text, warning + "\r\n" + Ui(strings::id::kConfirmClearData));
  QCOMPARE(q.caption, QStringLiteral("Clear"));
  QCOMPARE(q.icon, msgbox::Icon::kWarning);
  QVERIFY(q.okCancel);
  const bool cleared = answer == QMessageBox::Ok;
  QCOMPARE(Received("ST CLR").size(), cleared ? 1 : 0);
  QCOMPARE(logger_->State().record_count, cleared ? size_t(0) : size_t(100 + added));
}

#ifdef QHX_HAVE_ARCHIVE
void DataPageTest::readNewDataShowsOnlyTheNewRecords() {
  QTemporaryDir dir;
  host_.SetArchivePath(dir.filePath("archive.sqlite").toStdString());
  auto* readNew = page_->findChild<QPushButton*>("readNewData");
  QCOMPARE(readNew->text(), QStringLiteral("新しいデータ読み込み"));

  // The first readout (all 100 records) is archived as it arrives.
  {
    MessageBoxSpy boxes;
    ModalDriver driver;
    ViewerSeen viewer;
    driver.On("CDlgInputRdALLID", RangeEntry(100, 100));
    driver.On("CDlgAqcuired", ViewerAction(&viewer, false));
    QTest::mouseClick(page_->findChild<QPushButton*>("readData"), Qt::LeftButton);
    QCOMPARE(viewer.text.split('\n', Qt::SkipEmptyParts).size(), 100);
  }

  logger_->AddRecords(5);
  logger_->ClearReceived();
  {
    MessageBoxSpy boxes;
    ModalDriver driver;
    ViewerSeen viewer;
    driver.On("CDlgAqcuired", ViewerAction(&viewer, false));
    QTest::mouseClick(readNew, Qt::LeftButton);
    QCOMPARE(Received("RD "), (QStringList{"RD SYS", "RD ALL 100 6"}));
    const QStringList lines = viewer.text.split('\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 5);
    QVERIFY2(lines.first().startsWith("00101,"), qPrintable(lines.first()));
    QCOMPARE(boxes.Texts(), QStringList{QStringLiteral("新しいデータ 5 件")});
  }

  // Nothing new: said so, and no viewer.
  {
    MessageBoxSpy boxes;
    ModalDriver driver;
    QTest::mouseClick(readNew, Qt::LeftButton);
    QVERIFY(!driver.seen.contains("CDlgAqcuired"));
    QCOMPARE(boxes.Texts(), QStringList{Ui(strings::id::kNoNewRecords)});
  }
  host_.SetArchivePath(std::string());
}
#else
void DataPageTest::readNewDataShowsOnlyTheNewRecords() { QSKIP("built without the archive"); }
#endif

QTEST_MAIN(DataPageTest)
#include "data_page_e2e_test.moc"
