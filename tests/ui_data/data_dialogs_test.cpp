// The readout range dialog and the data viewer on their own.
#include <QAbstractItemView>
#include <QClipboard>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <cstdio>

#include "../support/fake_device_host.h"
#include "common/string_table.h"
#include "pages/data_strings.h"
#include "pages/dlg_aqcuired.h"
#include "pages/dlg_input_rd_all_id.h"
#include "ui_seams.h"

namespace {

QString ReadAll(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return QStringLiteral("<unreadable>");
  return QString::fromLatin1(f.readAll());
}

QByteArray ReadBytes(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

}  // namespace

class DataDialogsTest : public QObject {
  Q_OBJECT
 private slots:
  void rangeSummaryLine_data();
  void rangeSummaryLine();
  void rangeOkNeedsPositiveCount();
  void leadingNumber_data();
  void leadingNumber();
  void viewerShowsTextAndKeepsMinimumSize();
  void viewerSelectsAndCopiesLines_data();
  void viewerSelectsAndCopiesLines();
  void viewerSavesBytesUnchanged_data();
  void viewerSavesBytesUnchanged();
  void viewerSaveCancelledOrFailedStaysOpen();
  void viewerSavesRecordsAsCsv_data();
  void viewerSavesRecordsAsCsv();

 private:
  FakeDeviceHost host_;
};

void DataDialogsTest::rangeSummaryLine_data() {
  QTest::addColumn<int>("lastId");
  QTest::addColumn<int>("count");
  QTest::addColumn<QString>("summary");
  QTest::newRow("range 1-100") << 100 << 100 << "データ数: 100   (ID: 1 - ID: 100)";
  QTest::newRow("wrapped range") << 9 << 20 << "データ数: 20   (ID: 99990 - ID: 9)";
  QTest::newRow("single record") << 5 << 1 << "データ数: 1   (ID: 5 - ID: 5)";
  QTest::newRow("empty memory") << 0 << 0 << "データ数: 0   (ID: 0 - ID: 0)";
  QTest::newRow("count 0 hides the last ID") << 77 << 0 << "データ数: 0   (ID: 0 - ID: 0)";
}

void DataDialogsTest::rangeSummaryLine() {
  QFETCH(int, lastId);
  QFETCH(int, count);
  QFETCH(QString, summary);
  CDlgInputRdALLID dialog(host_);
  dialog.SetRange(lastId, count);
  QCOMPARE(dialog.findChild<QLabel*>("summary")->text(), summary);
  QCOMPARE(dialog.findChild<QLineEdit*>("lastId")->text(), QString::number(lastId));
  QCOMPARE(dialog.findChild<QLineEdit*>("count")->text(), QString::number(count));
  QCOMPARE(dialog.windowTitle(), QStringLiteral("回収データ指定"));
}

void DataDialogsTest::rangeOkNeedsPositiveCount() {
  CDlgInputRdALLID dialog(host_);
  dialog.SetRange(0, 0);
  dialog.show();
  auto* lastId = dialog.findChild<QLineEdit*>("lastId");
  auto* count = dialog.findChild<QLineEdit*>("count");
  auto* ok = dialog.findChild<QPushButton*>("ok");

  // Count 0 and an empty count: OK does nothing.
  QTest::mouseClick(ok, Qt::LeftButton);
  QVERIFY(dialog.isVisible());
  count->clear();
  QTest::mouseClick(ok, Qt::LeftButton);
  QVERIFY(dialog.isVisible());

  // The edits take digits only.
  lastId->clear();
  QTest::keyClicks(lastId, "4a-2");
  QCOMPARE(lastId->text(), QStringLiteral("42"));

  // A positive count closes with OK; the last ID is not checked against the range.
  lastId->setText(QStringLiteral("123456"));
  QTest::keyClicks(count, "15");
  QTest::keyClick(count, Qt::Key_Return);
  QVERIFY(!dialog.isVisible());
  QCOMPARE(dialog.result(), int(QDialog::Accepted));
  QCOMPARE(dialog.LastId(), 123456);
  QCOMPARE(dialog.Count(), 15);
}

void DataDialogsTest::leadingNumber_data() {
  QTest::addColumn<QString>("text");
  QTest::addColumn<int>("value");
  QTest::newRow("empty") << "" << 0;
  QTest::newRow("zero") << "0" << 0;
  QTest::newRow("leading zeros") << "0099" << 99;
  QTest::newRow("digits then other") << "12x3" << 12;
  QTest::newRow("no leading digit") << "x12" << 0;
  QTest::newRow("too large") << "99999999999999" << INT_MAX;
}

void DataDialogsTest::leadingNumber() {
  QFETCH(QString, text);
  QFETCH(int, value);
  QCOMPARE(CDlgInputRdALLID::LeadingNumber(text), value);
}

void DataDialogsTest::viewerShowsTextAndKeepsMinimumSize() {
  const std::string text = "00001,a\r\n00002,b\r\n";
  CDlgAqcuired viewer(host_, text, CDlgAqcuired::kRecords, nullptr);
  viewer.show();
  QVERIFY(QTest::qWaitForWindowExposed(&viewer));
  QCOMPARE(viewer.windowTitle(), QStringLiteral("取得データ"));
  auto* edit = viewer.findChild<QAbstractItemView*>("text");
  QCOMPARE(edit->editTriggers(), QAbstractItemView::NoEditTriggers);
  QCOMPARE(viewer.ShownText(), QStringLiteral("00001,a\n00002,b\n"));

  const QSize initial = viewer.size();
  viewer.resize(initial / 2);
  QTRY_VERIFY(viewer.width() >= initial.width() && viewer.height() >= initial.height());

  // Growing: the buttons keep their distance from the right edge, the edit grows.
  auto* save = viewer.findChild<QPushButton*>("save");
  auto* close = viewer.findChild<QPushButton*>("close");
  QTRY_VERIFY(save->geometry().right() < close->geometry().left());
  const int closeMargin = viewer.width() - close->geometry().right();
  const int saveMargin = viewer.width() - save->geometry().right();
  const QSize editSize = edit->size();
  viewer.resize(initial + QSize(120, 80));
  QTRY_COMPARE(viewer.width() - close->geometry().right(), closeMargin);
  QCOMPARE(viewer.width() - save->geometry().right(), saveMargin);
  QCOMPARE(edit->size(), editSize + QSize(120, 80));
  QVERIFY(save->geometry().top() < edit->geometry().top());

  viewer.MarkIncomplete();
  QVERIFY(viewer.windowTitle().startsWith(QStringLiteral("取得データ")));
  QVERIFY(viewer.windowTitle().contains(QString::fromStdString(strings::Text(strings::id::kViewerIncomplete))));
}

void DataDialogsTest::viewerSelectsAndCopiesLines_data() {
  QTest::addColumn<QByteArray>("text");
  QTest::addColumn<QString>("how");  // "all", "mouse" (first to last row) or rows like "0,2"
  QTest::addColumn<QString>("copied");
  QTest::newRow("rows apart, in order") << QByteArray("a\r\nb\r\nc\r\n") << "2,0"
                                        << "a\nc";
  QTest::newRow("select all") << QByteArray("a\r\n\r\nb\r\n") << "all"
                              << "a\n\nb";
  QTest::newRow("mouse, last line without line end") << QByteArray("00001,x\r\n00002,y\r\nEND") << "mouse"
                                                     << "00001,x\n00002,y\nEND";
  QTest::newRow("code page converted") << QByteArray("E01 \x83\x65\x83\x58\x83\x67\r\n") << "all"
                                       << QStringLiteral("E01 テスト");
  QTest::newRow("CR inside a line stays") << QByteArray("a\rb\r\n") << "0"
                                          << "a\rb";
}

void DataDialogsTest::viewerSelectsAndCopiesLines() {
  QFETCH(QByteArray, text);
  QFETCH(QString, how);
  QFETCH(QString, copied);
  const std::string bytes = text.toStdString();
  CDlgAqcuired viewer(host_, bytes, CDlgAqcuired::kRecords, nullptr);
  viewer.show();
  QVERIFY(QTest::qWaitForWindowExposed(&viewer));
  auto* view = viewer.findChild<QAbstractItemView*>("text");
  QVERIFY(view != nullptr);
  QGuiApplication::clipboard()->clear();
  if (how == QLatin1String("all")) {
    view->setFocus();
    QTest::keySequence(view, QKeySequence::SelectAll);
  } else if (how == QLatin1String("mouse")) {
    const int last = view->model()->rowCount() - 1;
    QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::NoModifier,
                      view->visualRect(view->model()->index(0, 0)).center());
    QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::ShiftModifier,
                      view->visualRect(view->model()->index(last, 0)).center());
  } else {
    for (const QString& row : how.split(QLatin1Char(',')))
      view->selectionModel()->select(view->model()->index(row.toInt(), 0), QItemSelectionModel::Select);
  }
  QTest::keySequence(view, QKeySequence::Copy);
  QCOMPARE(QGuiApplication::clipboard()->text(), copied);
}

void DataDialogsTest::viewerSavesBytesUnchanged_data() {
  QTest::addColumn<int>("kind");
  QTest::addColumn<QByteArray>("text");
  QTest::addColumn<QString>("prefix");
  QTest::addColumn<QString>("filter");
  const QString records = QStringLiteral("Text(*.txt);;CSV(*.csv)");
  QTest::newRow("records") << int(CDlgAqcuired::kRecords)
                           << QByteArray("00091,24/01/31 23:50:00,3600,1.2345\r\n00092,x\r\n") << "TXL_ALL_" << records;
  // Bytes of the logger's code page are saved as received, not converted.
  QTest::newRow("error log") << int(CDlgAqcuired::kErrorLog) << QByteArray("E01 \x83\x65\x83\x58\x83\x67\r\n")
                             << "TXL_ERR_" << QStringLiteral("Text(*.txt)");
  QTest::newRow("empty") << int(CDlgAqcuired::kRecords) << QByteArray() << "TXL_ALL_" << records;
}

void DataDialogsTest::viewerSavesBytesUnchanged() {
  QFETCH(int, kind);
  QFETCH(QByteArray, text);
  QFETCH(QString, prefix);
  QFETCH(QString, filter);
  QTemporaryDir dir;
  const QString path = dir.filePath("saved.txt");
  // An existing file is replaced as a whole.
  {
    QFile old(path);
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write(QByteArray(4096, 'z'));
  }
  MessageBoxSpy boxes;
  FileDialogSpy files;
  files.path = path;

  const std::string bytes(text.constData(), static_cast<size_t>(text.size()));
  CDlgAqcuired viewer(host_, bytes, kind, nullptr);
  viewer.show();
  const QDateTime before = QDateTime::currentDateTime();
  QTest::mouseClick(viewer.findChild<QPushButton*>("save"), Qt::LeftButton);
  const QDateTime after = QDateTime::currentDateTime();

  QCOMPARE(files.requests.size(), size_t(1));
  const filedlg::Request& r = files.requests[0];
  QVERIFY(r.save);
  QCOMPARE(r.defaultSuffix, QStringLiteral("txt"));
  QCOMPARE(r.filter, filter);
  QVERIFY2(QRegularExpression("^" + prefix + "\\d{8}_\\d{6}\\.txt$").match(r.proposedName).hasMatch(),
           qPrintable(r.proposedName));
  // The time in the name is the time of the click.
  const QStringList allowed = {CDlgAqcuired::ProposedFileName(kind, before),
                               CDlgAqcuired::ProposedFileName(kind, after)};
  QVERIFY2(allowed.contains(r.proposedName), qPrintable(r.proposedName));

  QCOMPARE(ReadBytes(path), text);
  QVERIFY(boxes.requests.empty());
  QVERIFY(!viewer.isVisible());
  QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"saved.txt"});
}

void DataDialogsTest::viewerSaveCancelledOrFailedStaysOpen() {
  QCOMPARE(CDlgAqcuired::ProposedFileName(CDlgAqcuired::kRecords, QDateTime(QDate(2024, 1, 31), QTime(23, 59, 59))),
           QStringLiteral("TXL_ALL_20240131_235959.txt"));
  QCOMPARE(CDlgAqcuired::ProposedFileName(CDlgAqcuired::kErrorLog, QDateTime(QDate(2024, 1, 31), QTime(23, 59, 59))),
           QStringLiteral("TXL_ERR_20240131_235959.txt"));

  const std::string text = "line\r\n";
  MessageBoxSpy boxes;
  FileDialogSpy files;
  CDlgAqcuired viewer(host_, text, CDlgAqcuired::kRecords, nullptr);
  viewer.show();

  files.path.clear();  // cancelled
  QTest::mouseClick(viewer.findChild<QPushButton*>("save"), Qt::LeftButton);
  QVERIFY(viewer.isVisible());
  QVERIFY(boxes.requests.empty());

  QTemporaryDir dir;
  files.path = dir.filePath("no/such/folder/out.txt");
  QTest::mouseClick(viewer.findChild<QPushButton*>("save"), Qt::LeftButton);
  QVERIFY(viewer.isVisible());
  QCOMPARE(boxes.requests.size(), size_t(1));
  QCOMPARE(boxes.requests[0].text, QStringLiteral("エラー！ ファイル作成に失敗しました\r\n(%1)").arg(files.path));
  QCOMPARE(boxes.requests[0].icon, msgbox::Icon::kWarning);
  QVERIFY(boxes.requests[0].caption.isEmpty());

  QTest::mouseClick(viewer.findChild<QPushButton*>("close"), Qt::LeftButton);
  QVERIFY(!viewer.isVisible());
  QCOMPARE(ReadAll(files.path), QStringLiteral("<unreadable>"));
}

void DataDialogsTest::viewerSavesRecordsAsCsv_data() {
  QTest::addColumn<int>("kind");
  QTest::addColumn<QString>("name");
  QTest::addColumn<QByteArray>("expected");
  const QByteArray text("00091,24/01/31 23:50:00,3.600,1.2345\r\n#>noise\r\n00092,24/01/31 23:59:59,3.412,-0.0100\r\n");
  QTest::newRow("csv") << int(CDlgAqcuired::kRecords) << "out.csv"
                       << QByteArray(
                              "serial,id,time,battery_v,level_m,parsed,raw\r\n"
                              "HX7-0042,91,2024-01-31T23:50:00,3.6,1.2345,1,\r\n"
                              "HX7-0042,,,,,0,#>noise\r\n"
                              "HX7-0042,92,2024-01-31T23:59:59,3.412,-0.01,1,\r\n");
  QTest::newRow("CSV suffix in capitals") << int(CDlgAqcuired::kRecords) << "OUT.CSV"
                                          << QByteArray(
                                                 "serial,id,time,battery_v,level_m,parsed,raw\r\n"
                                                 "HX7-0042,91,2024-01-31T23:50:00,3.6,1.2345,1,\r\n"
                                                 "HX7-0042,,,,,0,#>noise\r\n"
                                                 "HX7-0042,92,2024-01-31T23:59:59,3.412,-0.01,1,\r\n");
  // Text keeps every line as it came; an error log never becomes CSV.
  QTest::newRow("txt") << int(CDlgAqcuired::kRecords) << "out.txt" << text;
  QTest::newRow("error log named .csv") << int(CDlgAqcuired::kErrorLog) << "log.csv" << text;
}

void DataDialogsTest::viewerSavesRecordsAsCsv() {
  QFETCH(int, kind);
  QFETCH(QString, name);
  QFETCH(QByteArray, expected);
  const std::string text =
      "00091,24/01/31 23:50:00,3.600,1.2345\r\n#>noise\r\n00092,24/01/31 23:59:59,3.412,-0.0100\r\n";
  std::snprintf(host_.Session().Current().sys.serialNumber, sizeof host_.Session().Current().sys.serialNumber, "%s",
                "HX7-0042");
  QTemporaryDir dir;
  MessageBoxSpy boxes;
  FileDialogSpy files;
  files.path = dir.filePath(name);
  CDlgAqcuired viewer(host_, text, kind, nullptr);
  viewer.show();
  QTest::mouseClick(viewer.findChild<QPushButton*>("save"), Qt::LeftButton);
  QVERIFY(boxes.requests.empty());
  QCOMPARE(ReadBytes(files.path), expected);
}

QTEST_MAIN(DataDialogsTest)
#include "data_dialogs_test.moc"
