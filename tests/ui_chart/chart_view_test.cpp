// The level chart: what it draws of a known series, the limit lines, zoom and
// reset, hovering, and saving as PNG and SVG; the data viewer's chart.
#include <QDateTimeAxis>
#include <QFile>
#include <QImage>
#include <QLineSeries>
#include <QSplitter>
#include <QTemporaryDir>
#include <QValueAxis>
#include <QXmlStreamReader>
#include <QtTest>

#include <algorithm>

#include "archive/record_line.h"
#include "test_device_host.h"
#include "chart/level_chart_panel.h"
#include "chart/level_chart_view.h"
#include "chart/text_records.h"
#include "pages/dlg_aqcuired.h"

namespace {

const int64_t kStart = archive::CalendarSeconds(2026, 1, 3, 0, 0, 0);

// `count` records 600 s apart from ID 1; `skipId` is left out (a gap).
chart::RecordSeries KnownSeries(int count, int skipId = -1) {
  chart::RecordSeries s;
  for (int i = 0; i < count; ++i) {
    const int id = i + 1;
    if (id == skipId) continue;
    s.Append(id, kStart + i * 600, 1.0 + 0.01 * (i % 50), 3.6 - 0.0001 * i);
  }
  chart::MarkGaps(s, archive::kRecordIdModulus, 600);
  return s;
}

double AxisMin(QDateTimeAxis* a) { return static_cast<double>(a->min().toMSecsSinceEpoch()); }
double AxisMax(QDateTimeAxis* a) { return static_cast<double>(a->max().toMSecsSinceEpoch()); }

}  // namespace

class ChartViewTest : public QObject {
  Q_OBJECT
 private slots:
  void smallSeriesIsDrawnWhole();
  void gapBreaksTheLine_data();
  void gapBreaksTheLine();
  void largeSeriesFollowsTheWidth();
  void limitLinesSitAtTheLoggersValues_data();
  void limitLinesSitAtTheLoggersValues();
  void zoomNarrowsAndResetRestores();
  void wheelZoomsAndHomeResets();
  void hoverNamesTheNearestRecord();
  void savesPngAndSvg();
  void viewerShowsChartOfItsRecords();
};

void ChartViewTest::smallSeriesIsDrawnWhole() {
  CLevelChartView view;
  view.resize(800, 400);
  view.SetRecords(KnownSeries(20));
  const auto& points = view.LevelPoints();
  QCOMPARE(points.size(), size_t{20});
  for (size_t i = 0; i < points.size(); ++i) {
    QCOMPARE(points[i].source, i);
    QCOMPARE(points[i].y, view.Records().levelM[i]);
    QCOMPARE(points[i].x, view.AxisTimeOf(kStart + static_cast<int64_t>(i) * 600));
    QVERIFY(!points[i].breakBefore || i == 0);
  }
  QCOMPARE(view.BatteryPoints().size(), size_t{20});
  QCOMPARE(AxisMin(view.TimeAxis()), view.AxisTimeOf(kStart));
  QCOMPARE(AxisMax(view.TimeAxis()), view.AxisTimeOf(kStart + 19 * 600));
}

void ChartViewTest::gapBreaksTheLine_data() {
  QTest::addColumn<QByteArray>("text");
  QTest::addColumn<int>("breakAt");  // index of the record after the gap
  QTest::newRow("missing ID") << QByteArray(
                                     "00001,26/01/03 00:00:00,3600,1.0000\r\n"
                                     "00002,26/01/03 00:10:00,3600,1.1000\r\n"
                                     "00004,26/01/03 00:30:00,3600,1.2000\r\n"
                                     "00005,26/01/03 00:40:00,3600,1.3000\r\n")
                              << 2;
  QTest::newRow("time step beyond sampling") << QByteArray(
                                                    "00001,26/01/03 00:00:00,3600,1.0000\r\n"
                                                    "00002,26/01/03 00:10:00,3600,1.1000\r\n"
                                                    "00003,26/01/03 00:20:00,3600,1.2000\r\n"
                                                    "00004,26/01/03 05:00:00,3600,1.3000\r\n")
                                             << 3;
}

void ChartViewTest::gapBreaksTheLine() {
  QFETCH(QByteArray, text);
  QFETCH(int, breakAt);
  CLevelChartView view;
  view.resize(800, 400);
  view.SetRecords(chart::RecordsOfText(text.toStdString(), 600));
  const auto& points = view.LevelPoints();
  QCOMPARE(points.size(), size_t{4});
  for (int i = 1; i < 4; ++i) QCOMPARE(points[i].breakBefore, i == breakAt);
}

void ChartViewTest::largeSeriesFollowsTheWidth() {
  CLevelChartView view;
  view.resize(600, 300);
  view.SetRecords(KnownSeries(100000));
  const auto& points = view.LevelPoints();
  const int columns = static_cast<int>(view.chart()->plotArea().width());
  QVERIFY(columns > 100);
  QVERIFY2(points.size() <= size_t(columns + 2) * 4, qPrintable(QString::number(points.size())));
  // The extremes of the whole series are kept.
  const auto [low, high] =
      std::minmax_element(points.begin(), points.end(), [](const auto& a, const auto& b) { return a.y < b.y; });
  QCOMPARE(low->y, 1.0);
  QCOMPARE(high->y, 1.0 + 0.01 * 49);
}

void ChartViewTest::limitLinesSitAtTheLoggersValues_data() {
  QTest::addColumn<double>("upper");
  QTest::addColumn<double>("lower");
  QTest::addColumn<bool>("upperOn");
  QTest::addColumn<bool>("lowerOn");
  QTest::newRow("both on") << 1.8 << 0.4 << true << true;
  QTest::newRow("upper off") << 2.5 << -0.2 << false << true;
  QTest::newRow("both off") << 1.2 << 1.1 << false << false;
}

void ChartViewTest::limitLinesSitAtTheLoggersValues() {
  QFETCH(double, upper);
  QFETCH(double, lower);
  QFETCH(bool, upperOn);
  QFETCH(bool, lowerOn);
  CLevelChartView view;
  view.resize(800, 400);
  view.SetLimits(ChartLimits{upper, lower, upperOn, lowerOn});
  view.SetRecords(KnownSeries(50));
  const auto check = [&](QLineSeries* line, double value, bool on) {
    QCOMPARE(line->count(), 2);
    QCOMPARE(line->at(0).y(), value);
    QCOMPARE(line->at(1).y(), value);
    QCOMPARE(line->at(0).x(), AxisMin(view.TimeAxis()));
    QCOMPARE(line->at(1).x(), AxisMax(view.TimeAxis()));
    QVERIFY(line->pen().style() != Qt::SolidLine);
    QCOMPARE(line->name().endsWith(on ? QStringLiteral("(有効)") : QStringLiteral("(無効)")), true);
    // Both limits are in sight after a reset.
    QVERIFY(view.LevelAxis()->min() < value && value < view.LevelAxis()->max());
  };
  check(view.UpperLimitLine(), upper, upperOn);
  check(view.LowerLimitLine(), lower, lowerOn);
}

void ChartViewTest::zoomNarrowsAndResetRestores() {
  CLevelChartView view;
  view.resize(800, 400);
  view.SetRecords(KnownSeries(1000));
  const double from = AxisMin(view.TimeAxis()), to = AxisMax(view.TimeAxis());
  const double centre = (from + to) / 2;
  view.ZoomTime(0.5, centre);
  QCOMPARE(AxisMin(view.TimeAxis()), std::floor(centre - (centre - from) * 0.5));
  QCOMPARE(AxisMax(view.TimeAxis()), std::floor(centre + (to - centre) * 0.5));
  // Only the visible records (and one on each side) are reduced.
  for (const auto& p : view.LevelPoints()) QVERIFY(p.source >= 249 && p.source <= 751);
  view.ResetZoom();
  QCOMPARE(AxisMin(view.TimeAxis()), from);
  QCOMPARE(AxisMax(view.TimeAxis()), to);
  QCOMPARE(view.LevelPoints().front().source, size_t{0});
  QCOMPARE(view.LevelPoints().back().source, size_t{999});
}

void ChartViewTest::wheelZoomsAndHomeResets() {
  CLevelChartView view;
  view.resize(800, 400);
  view.show();
  QVERIFY(QTest::qWaitForWindowExposed(&view));
  view.SetRecords(KnownSeries(1000));
  const double span = AxisMax(view.TimeAxis()) - AxisMin(view.TimeAxis());
  const QPointF centre = view.mapFromScene(view.chart()->mapToScene(view.chart()->plotArea().center()));
  QWheelEvent wheel(centre, view.mapToGlobal(centre), QPoint(), QPoint(0, 120), Qt::NoButton, Qt::NoModifier,
                    Qt::NoScrollPhase, false);
  QApplication::sendEvent(view.viewport(), &wheel);
  const double zoomed = AxisMax(view.TimeAxis()) - AxisMin(view.TimeAxis());
  QVERIFY2(zoomed < span * 0.85 && zoomed > span * 0.75, qPrintable(QString::number(zoomed / span)));
  // Dragging pans: the span stays, the range moves.
  const double before = AxisMin(view.TimeAxis());
  QTest::mousePress(view.viewport(), Qt::LeftButton, Qt::NoModifier, centre.toPoint());
  QTest::mouseMove(view.viewport(), centre.toPoint() + QPoint(-100, 0));
  QTest::mouseRelease(view.viewport(), Qt::LeftButton, Qt::NoModifier, centre.toPoint() + QPoint(-100, 0));
  QVERIFY(AxisMin(view.TimeAxis()) > before);
  QTest::keyClick(&view, Qt::Key_Home);
  QCOMPARE(AxisMax(view.TimeAxis()) - AxisMin(view.TimeAxis()), span);
}

void ChartViewTest::hoverNamesTheNearestRecord() {
  CLevelChartView view;
  view.resize(800, 400);
  view.SetRecords(KnownSeries(3));
  const QPointF at =
      view.chart()->mapToPosition(QPointF(view.AxisTimeOf(kStart + 600), 1.01), view.chart()->series().at(0));
  const QString text = view.RecordTextAt(view.mapFromScene(view.chart()->mapToScene(at)));
  QVERIFY2(text.startsWith(QStringLiteral("ID 00002\n2026-01-03 00:10:00\n")), qPrintable(text));
  QVERIFY2(text.contains(QStringLiteral("1.0100 m")), qPrintable(text));
  QVERIFY2(text.contains(QStringLiteral("3.600 V")), qPrintable(text));
  QVERIFY(view.RecordTextAt(QPoint(1, 1)).isEmpty());
}

void ChartViewTest::savesPngAndSvg() {
  QTemporaryDir dir;
  CLevelChartView view;
  view.resize(640, 360);
  view.SetRecords(KnownSeries(500, 200));
  const QString png = dir.filePath("level.png"), svg = dir.filePath("level.svg");
  QVERIFY(view.SavePng(png));
  QImage image(png);
  QVERIFY(!image.isNull());
  QCOMPARE(image.size(), QSize(640, 360));
  QVERIFY(view.SaveSvg(svg));
  QFile file(svg);
  QVERIFY(file.open(QIODevice::ReadOnly));
  QXmlStreamReader xml(&file);
  QVERIFY(xml.readNextStartElement());
  QCOMPARE(xml.name().toString(), QStringLiteral("svg"));
  while (!xml.atEnd()) xml.readNext();
  QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
  QVERIFY(!view.SavePng(dir.filePath("missing/level.png")));
}

void ChartViewTest::viewerShowsChartOfItsRecords() {
  const std::string text =
      "00001,26/01/03 00:00:00,3600,1.0000\r\n"
      "00002,26/01/03 00:10:00,3590,1.5000\r\n"
      "00003,26/01/03 00:20:00,3580,0.5000\r\n";
  CDlgAqcuired viewer(Host(), text, CDlgAqcuired::kRecords, nullptr);
  viewer.ShowChart(ChartLimits{1.4, 0.6, true, false}, 600);
  QVERIFY(viewer.Chart() != nullptr);
  QVERIFY(viewer.findChild<QSplitter*>("textAndChart") != nullptr);
  const CLevelChartView* view = viewer.Chart()->View();
  QCOMPARE(view->Records().Size(), size_t{3});
  QCOMPARE(view->UpperLimitLine()->at(0).y(), 1.4);
  QCOMPARE(view->LowerLimitLine()->at(0).y(), 0.6);
  // Other readouts have no chart.
  CDlgAqcuired events(Host(), "00001,26/01/03 00:00:00,E1\r\n", CDlgAqcuired::kRecords + 1, nullptr);
  events.ShowChart(ChartLimits{}, 600);
  QVERIFY(events.Chart() == nullptr);
}

QTEST_MAIN(ChartViewTest)
#include "chart_view_test.moc"
