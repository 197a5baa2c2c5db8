// The archive window on an archive this test fills: the loggers it lists, a
// range plotted and shown as a table, and its CSV equal to the command line's.
#include <QFile>
#include <QLineSeries>
#include <QProcess>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QValueAxis>
#include <QtTest>

#include <string>
#include <vector>

#include "archive/archive.h"
#include "archive/export_format.h"
#include "archive/readout_writer.h"
#include "archive/record_line.h"
#include "chart/archive_window.h"
#include "chart/level_chart_panel.h"
#include "chart/level_chart_view.h"
#include "chart/record_table_model.h"

namespace {

const int64_t kStart = archive::CalendarSeconds(2026, 1, 3, 0, 0, 0);

// Record lines 10 minutes apart from `firstId`, starting `firstMinute` after kStart.
std::vector<std::string> Lines(int firstId, int count, int firstMinute) {
  std::vector<std::string> out;
  for (int i = 0; i < count; ++i) {
    const std::string iso = archive::IsoTime(kStart + int64_t{firstMinute + i * 10} * 60);
    char text[64];
    std::snprintf(text, sizeof text, "%05d,%s/%s/%s %s,3.%03d,%d.%04d", firstId + i, iso.substr(2, 2).c_str(),
                  iso.substr(5, 2).c_str(), iso.substr(8, 2).c_str(), iso.substr(11).c_str(), 600 - i % 100, 1 + i % 3,
                  i % 10000);
    out.push_back(text);
  }
  return out;
}

bool Readout(archive::Archive& a, const std::string& serial, const std::vector<std::string>& lines, int64_t pcTime) {
  archive::ReadoutWriter w(a);
  return w.BeginReadout({serial, "HX7", "1.07", ""}, {0, 0}, pcTime).ok() && w.AddRecordLines(lines).ok() &&
         w.EndReadout(static_cast<int64_t>(lines.size()), true, pcTime + 1).ok();
}

QByteArray ReadBytes(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

}  // namespace

class ArchiveWindowTest : public QObject {
  Q_OBJECT
 private slots:
  void initTestCase();
  void listsLoggers();
  void plotsRangeAcrossReadouts_data();
  void plotsRangeAcrossReadouts();
  void limitsOfTheLatestConnect();
  void csvAndJsonlEqualTheCommandLines_data();
  void csvAndJsonlEqualTheCommandLines();

 private:
  QTemporaryDir dir_;
  QString path_;
  archive::Archive archive_;
};

void ArchiveWindowTest::initTestCase() {
  path_ = dir_.filePath("archive.sqlite");
  QVERIFY(archive_.Open(path_.toStdString()).ok());
  // S100: two readouts with a gap of IDs between them; S200: one short one.
  QVERIFY(Readout(archive_, "S100", Lines(1, 300, 0), 1767398400));
  QVERIFY(Readout(archive_, "S100", Lines(401, 200, 4000), 1767484800));
  QVERIFY(Readout(archive_, "S200", Lines(1, 5, 0), 1767398400));
  // S200 reported its judgement limits at two connects; S100 at none.
  archive::ConnectInfo c;
  c.logger = {"S200", "HX7", "1.07", ""};
  c.pcTime = 1767398400;
  c.upperThreshold = 9.0;
  c.lowerThreshold = -9.0;
  QVERIFY(archive_.AddConnect(c).ok());
  c.pcTime += 86400;
  c.upperThreshold = 2.5;
  c.lowerThreshold = 0.75;
  c.upperEnabled = true;
  QVERIFY(archive_.AddConnect(c).ok());
}

void ArchiveWindowTest::listsLoggers() {
  CArchiveWindow window(archive_);
  QTreeWidget* loggers = window.Loggers();
  QCOMPARE(loggers->topLevelItemCount(), 2);
  QCOMPARE(loggers->topLevelItem(0)->text(0), QStringLiteral("S100"));
  QCOMPARE(loggers->topLevelItem(0)->text(2), QStringLiteral("500"));
  QCOMPARE(loggers->topLevelItem(0)->text(3), QStringLiteral("2026-01-03 00:00:00"));
  QCOMPARE(loggers->topLevelItem(0)->text(4),
           QString::fromStdString(archive::IsoTime(kStart + (4000 + 199 * 10) * 60)).replace('T', ' '));
  QVERIFY(!loggers->topLevelItem(0)->text(5).isEmpty());
  QCOMPARE(loggers->topLevelItem(1)->text(0), QStringLiteral("S200"));
  QCOMPARE(loggers->topLevelItem(1)->text(2), QStringLiteral("5"));
}

void ArchiveWindowTest::plotsRangeAcrossReadouts_data() {
  QTest::addColumn<int>("fromMinute");
  QTest::addColumn<int>("toMinute");
  QTest::addColumn<int>("records");
  QTest::addColumn<int>("breaks");  // gaps inside the range
  QTest::newRow("whole") << 0 << 10000 << 500 << 1;
  QTest::newRow("first readout") << 0 << 2990 << 300 << 0;
  QTest::newRow("across the gap") << 2900 << 4090 << 20 << 1;
  QTest::newRow("empty") << 3500 << 3600 << 0 << 0;
}

void ArchiveWindowTest::plotsRangeAcrossReadouts() {
  QFETCH(int, fromMinute);
  QFETCH(int, toMinute);
  QFETCH(int, records);
  QFETCH(int, breaks);
  CArchiveWindow window(archive_);
  window.SelectLogger(0);
  window.SetRange(kStart + int64_t{fromMinute} * 60, kStart + int64_t{toMinute} * 60);
  QVERIFY(window.Plot());
  QCOMPARE(window.Records().Size(), size_t(records));
  int found = 0;
  for (size_t i = 1; i < window.Records().Size(); ++i) found += window.Records().breakBefore[i];
  QCOMPARE(found, breaks);
  QCOMPARE(window.Table()->rowCount(), records);
  if (records > 0) {
    QCOMPARE(window.Table()->data(window.Table()->index(0, 1)).toString(),
             QString::fromStdString(archive::IsoTime(kStart + int64_t{fromMinute} * 60)));
    QVERIFY(!window.Chart()->View()->LevelPoints().empty());
  }
}

void ArchiveWindowTest::limitsOfTheLatestConnect() {
  CArchiveWindow window(archive_);
  CLevelChartView* view = window.Chart()->View();
  window.SelectLogger(1);
  QVERIFY(window.Plot());
  QVERIFY(view->UpperLimitLine()->isVisible());
  QCOMPARE(view->UpperLimitLine()->at(0).y(), 2.5);
  QCOMPARE(view->LowerLimitLine()->at(0).y(), 0.75);
  QCOMPARE(view->UpperLimitLine()->pen().style(), Qt::DashLine);
  QCOMPARE(view->LowerLimitLine()->pen().style(), Qt::DotLine);
  QVERIFY(view->LevelAxis()->max() > 2.5);
  // Without limits archived no line is drawn, and the level axis fits the
  // records alone (levels from 1.0 to about 3.03) instead of reaching down to 0.
  window.SelectLogger(0);
  QVERIFY(window.Plot());
  QVERIFY(!view->UpperLimitLine()->isVisible());
  QVERIFY(!view->LowerLimitLine()->isVisible());
  QVERIFY(view->LevelAxis()->min() > 0.8);
}

void ArchiveWindowTest::csvAndJsonlEqualTheCommandLines_data() {
  QTest::addColumn<int>("format");
  QTest::addColumn<QString>("name");
  QTest::newRow("csv") << int(archive::ExportFormat::kCsv) << "csv";
  QTest::newRow("jsonl") << int(archive::ExportFormat::kJsonl) << "jsonl";
}

void ArchiveWindowTest::csvAndJsonlEqualTheCommandLines() {
  QFETCH(int, format);
  QFETCH(QString, name);
  CArchiveWindow window(archive_);
  window.SelectLogger(0);
  window.SetRange(kStart + 1000 * 60, kStart + 4500 * 60);
  const QString mine = dir_.filePath("window." + name), theirs = dir_.filePath("ctl." + name);
  const auto written = window.ExportTo(mine, static_cast<archive::ExportFormat>(format));
  QVERIFY(written.has_value());
  QCOMPARE(*written, int64_t{200 + 51});
  QProcess ctl;
  ctl.start(QStringLiteral(QHX_CTL_PATH),
            {"--lang", "en", "--archive", path_, "archive", "export", "--serial", "S100", "--format", name, "--from",
             "2026-01-03T16:40:00", "--to", "2026-01-06T03:00:00", "-o", theirs});
  QVERIFY(ctl.waitForFinished(60000));
  QCOMPARE(ctl.exitCode(), 0);
  const QByteArray expected = ReadBytes(theirs);
  QVERIFY(expected.count('\n') > 200);
  QCOMPARE(ReadBytes(mine), expected);
}

QTEST_MAIN(ArchiveWindowTest)
#include "archive_window_test.moc"
