// The level chart on the offscreen platform: what it draws of a known series,
// gaps as breaks, the limit lines, the axis labels, zoom, pan and reset,
// hovering, saving as PNG and SVG, and the data viewer's chart.
#include <QDateTimeAxis>
#include <QFile>
#include <QImage>
#include <QLineSeries>
#include <QPushButton>
#include <QScreen>
#include <QSet>
#include <QSplitter>
#include <QTemporaryDir>
#include <QValueAxis>
#include <QXmlStreamReader>
#include <QtTest>

#include <algorithm>
#include <cmath>

#include "../support/fake_device_host.h"
#include "archive/record_line.h"
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

// Five records 600 s apart with ID 4 missing, then one 1800 s late.
chart::RecordSeries SeriesWithGaps() {
  chart::RecordSeries s;
  s.Append(1, kStart, 1.0, 3.6);
  s.Append(2, kStart + 600, 1.5, 3.6);
  s.Append(3, kStart + 1200, 0.5, 3.5);
  s.Append(5, kStart + 2400, 1.2, 3.5);
  s.Append(6, kStart + 4200, 1.1, 3.4);
  chart::MarkGaps(s, archive::kRecordIdModulus, 600);
  return s;
}

double AxisMin(QDateTimeAxis* a) { return static_cast<double>(a->min().toMSecsSinceEpoch()); }
double AxisMax(QDateTimeAxis* a) { return static_cast<double>(a->max().toMSecsSinceEpoch()); }

// The labels a value axis shows: fixed ticks spread evenly over the range,
// dynamic ones from the anchor at the interval; each written with the axis's
// label format.
QStringList Labels(QValueAxis* axis) {
  std::vector<double> ticks;
  if (axis->tickType() == QValueAxis::TicksFixed) {
    for (int i = 0; i < axis->tickCount(); ++i)
      ticks.push_back(axis->min() + (axis->max() - axis->min()) * i / (axis->tickCount() - 1));
  } else if (axis->tickInterval() > 0) {
    const double step = axis->tickInterval();
    const double first = axis->tickAnchor() + std::ceil((axis->min() - axis->tickAnchor()) / step - 1e-9) * step;
    for (double v = first; v <= axis->max() + step * 1e-9; v += step) ticks.push_back(v);
  }
  QStringList out;
  const QByteArray format = axis->labelFormat().toLatin1();
  for (double v : ticks) out << QString::asprintf(format.constData(), v);
  return out;
}

void SendWheel(CLevelChartView& view, QPointF at, int delta) {
  QWheelEvent wheel(at, view.viewport()->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                    Qt::NoScrollPhase, false);
  QApplication::sendEvent(view.viewport(), &wheel);
}

void Drag(CLevelChartView& view, QPoint from, int dx) {
  QTest::mousePress(view.viewport(), Qt::LeftButton, Qt::NoModifier, from);
  QTest::mouseMove(view.viewport(), from + QPoint(dx, 0));
  QTest::mouseRelease(view.viewport(), Qt::LeftButton, Qt::NoModifier, from + QPoint(dx, 0));
}

}  // namespace

class ChartViewTest : public QObject {
  Q_OBJECT
 private slots:
  void smallSeriesIsDrawnWhole();
  void gapsBreakTheLine();
  void gapFromTextBreaksTheLine_data();
  void gapFromTextBreaksTheLine();
  void largeSeriesFollowsTheWidth();
  void limitLinesSitAtTheLoggersValues_data();
  void limitLinesSitAtTheLoggersValues();
  void axisLabelsNeverRepeat_data();
  void axisLabelsNeverRepeat();
  void zoomNarrowsAndResetRestores();
  void wheelDragHomeAndResetButton();
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
  QCOMPARE(view.BatteryPoints()[19].y, 3.6 - 0.0001 * 19);
  // The whole series is in view, both value axes fitted to it.
  QCOMPARE(AxisMin(view.TimeAxis()), view.AxisTimeOf(kStart));
  QCOMPARE(AxisMax(view.TimeAxis()), view.AxisTimeOf(kStart + 19 * 600));
  QVERIFY(view.LevelAxis()->min() < 1.0 && view.LevelAxis()->max() > 1.19);
  QVERIFY(view.BatteryAxis()->min() < 3.6 - 0.0019 && view.BatteryAxis()->max() > 3.6);
}

void ChartViewTest::gapsBreakTheLine() {
  CLevelChartView view;
  view.resize(800, 500);
  view.SetRecords(SeriesWithGaps());
  view.show();
  QVERIFY(QTest::qWaitForWindowExposed(&view));
  const auto& points = view.LevelPoints();
  QCOMPARE(points.size(), size_t{5});
  const std::vector<double> levels = {1.0, 1.5, 0.5, 1.2, 1.1};
  // ID 4 missing, then a step of 1800 s.
  const std::vector<bool> breaks = {false, false, false, true, true};
  for (size_t i = 0; i < points.size(); ++i) {
    QCOMPARE(points[i].y, levels[i]);
    QCOMPARE(points[i].breakBefore, breaks[i]);
  }
  QCOMPARE(view.BatteryPoints().size(), size_t{5});
  QCOMPARE(view.BatteryPoints()[4].y, 3.4);
  QCOMPARE(view.BatteryPoints()[4].breakBefore, true);
}

void ChartViewTest::gapFromTextBreaksTheLine_data() {
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

void ChartViewTest::gapFromTextBreaksTheLine() {
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
  view.show();
  QVERIFY(QTest::qWaitForWindowExposed(&view));
  const auto& points = view.LevelPoints();
  const int columns = static_cast<int>(view.chart()->plotArea().width());
  QVERIFY(columns > 100);
  QVERIFY2(points.size() <= size_t(columns + 2) * 4, qPrintable(QString::number(points.size())));
  QVERIFY(points.size() >= size_t(columns));
  // The extremes of the whole series are kept.
  const auto [low, high] =
      std::minmax_element(points.begin(), points.end(), [](const auto& a, const auto& b) { return a.y < b.y; });
  QCOMPARE(low->y, 1.0);
  QCOMPARE(high->y, 1.0 + 0.01 * 49);
  // Zoomed in, the visible records are drawn each.
  view.ZoomTime(0.0001, AxisMin(view.TimeAxis()));
  QVERIFY(view.LevelPoints().size() < 40);
}

void ChartViewTest::limitLinesSitAtTheLoggersValues_data() {
  QTest::addColumn<double>("upper");
  QTest::addColumn<double>("lower");
  QTest::addColumn<bool>("upperOn");
  QTest::addColumn<bool>("lowerOn");
  QTest::newRow("both on") << 1.8 << 0.4 << true << true;
  QTest::newRow("upper off") << 2.5 << -0.2 << false << true;
  QTest::newRow("lower off") << 1.75 << 0.25 << true << false;
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
    // Dashed when the judgement is on, dotted when off.
    QCOMPARE(line->pen().style(), on ? Qt::DashLine : Qt::DotLine);
    QCOMPARE(line->name().endsWith(on ? QStringLiteral("(有効)") : QStringLiteral("(無効)")), true);
    // Both limits are in sight after a reset.
    QVERIFY(view.LevelAxis()->min() < value && value < view.LevelAxis()->max());
  };
  check(view.UpperLimitLine(), upper, upperOn);
  check(view.LowerLimitLine(), lower, lowerOn);
}

void ChartViewTest::axisLabelsNeverRepeat_data() {
  QTest::addColumn<double>("levelFrom");
  QTest::addColumn<double>("levelTo");
  QTest::addColumn<double>("batteryFrom");
  QTest::addColumn<double>("batteryTo");
  // A battery that hardly moves wrote "3.16" on several ticks.
  QTest::newRow("battery within 0.01 V") << 0.0 << 2.0 << 3.158 << 3.164;
  QTest::newRow("battery within 1 mV") << 1.0 << 1.001 << 3.6 << 3.601;
  QTest::newRow("wide ranges") << -120.0 << 480.0 << 2.4 << 3.6;
  QTest::newRow("level within 0.1 mm") << 1.23451 << 1.23459 << 3.0 << 3.5;
}

void ChartViewTest::axisLabelsNeverRepeat() {
  QFETCH(double, levelFrom);
  QFETCH(double, levelTo);
  QFETCH(double, batteryFrom);
  QFETCH(double, batteryTo);
  chart::RecordSeries s;
  for (int i = 0; i <= 100; ++i)
    s.Append(i + 1, kStart + i * 600, levelFrom + (levelTo - levelFrom) * i / 100,
             batteryFrom + (batteryTo - batteryFrom) * i / 100);
  CLevelChartView view;
  view.resize(800, 400);
  view.SetLimits({levelTo, levelFrom, false, false});
  view.SetRecords(std::move(s));
  for (QValueAxis* axis : {view.LevelAxis(), view.BatteryAxis()}) {
    const QStringList labels = Labels(axis);
    QVERIFY2(labels.size() >= 3 && labels.size() <= 12, qPrintable(labels.join(QLatin1Char(' '))));
    QVERIFY2(QSet<QString>(labels.begin(), labels.end()).size() == labels.size(),
             qPrintable(labels.join(QLatin1Char(' '))));
  }
}

void ChartViewTest::zoomNarrowsAndResetRestores() {
  CLevelChartView view;
  view.resize(800, 400);
  view.SetLimits({1.4, 0.2, true, false});
  view.SetRecords(KnownSeries(1000));
  const double from = AxisMin(view.TimeAxis()), to = AxisMax(view.TimeAxis());
  const double levelLow = view.LevelAxis()->min(), levelHigh = view.LevelAxis()->max();
  const double centre = (from + to) / 2;
  view.ZoomTime(0.5, centre);
  QCOMPARE(AxisMin(view.TimeAxis()), std::floor(centre - (centre - from) * 0.5));
  QCOMPARE(AxisMax(view.TimeAxis()), std::floor(centre + (to - centre) * 0.5));
  // The level axis stays; the limit lines follow the visible range.
  QCOMPARE(view.LevelAxis()->min(), levelLow);
  QCOMPARE(view.UpperLimitLine()->at(0).x(), AxisMin(view.TimeAxis()));
  QCOMPARE(view.LowerLimitLine()->at(1).x(), AxisMax(view.TimeAxis()));
  // Only the visible records (and one on each side) are reduced.
  for (const auto& p : view.LevelPoints()) QVERIFY(p.source >= 249 && p.source <= 751);
  view.ResetZoom();
  QCOMPARE(AxisMin(view.TimeAxis()), from);
  QCOMPARE(AxisMax(view.TimeAxis()), to);
  QCOMPARE(view.LevelAxis()->max(), levelHigh);
  QCOMPARE(view.LevelPoints().front().source, size_t{0});
  QCOMPARE(view.LevelPoints().back().source, size_t{999});
}

void ChartViewTest::wheelDragHomeAndResetButton() {
  CLevelChartPanel panel;
  CLevelChartView& view = *panel.View();
  panel.resize(900, 500);
  view.SetRecords(KnownSeries(1000));
  panel.show();
  QVERIFY(QTest::qWaitForWindowExposed(&panel));
  const double from = AxisMin(view.TimeAxis()), to = AxisMax(view.TimeAxis());
  const double span = to - from;
  const QPointF centre = view.mapFromScene(view.chart()->mapToScene(view.chart()->plotArea().center()));

  // A wheel step up narrows the time range by a fifth, down widens it.
  SendWheel(view, centre, 120);
  const double zoomed = AxisMax(view.TimeAxis()) - AxisMin(view.TimeAxis());
  QVERIFY2(zoomed < span * 0.85 && zoomed > span * 0.75, qPrintable(QString::number(zoomed / span)));
  SendWheel(view, centre, -240);
  QVERIFY(AxisMax(view.TimeAxis()) - AxisMin(view.TimeAxis()) > zoomed);
  SendWheel(view, centre, 240);

  // Dragging pans: to the left shows later times, to the right earlier ones.
  double before = AxisMin(view.TimeAxis());
  Drag(view, centre.toPoint(), -100);
  QVERIFY(AxisMin(view.TimeAxis()) > before);
  before = AxisMin(view.TimeAxis());
  Drag(view, centre.toPoint(), 100);
  QVERIFY(AxisMin(view.TimeAxis()) < before);

  // Home brings the whole series back, and so does the reset button.
  QTest::keyClick(&view, Qt::Key_Home);
  QCOMPARE(AxisMin(view.TimeAxis()), from);
  QCOMPARE(AxisMax(view.TimeAxis()), to);
  view.ZoomTime(0.5, (from + to) / 2);
  QTest::mouseClick(panel.findChild<QPushButton*>("resetZoom"), Qt::LeftButton);
  QCOMPARE(AxisMin(view.TimeAxis()), from);
  QCOMPARE(AxisMax(view.TimeAxis()), to);
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
  view.SetLimits({1.4, 0.2, true, false});
  view.SetRecords(KnownSeries(500, 200));
  const QString png = dir.filePath("level.png"), svg = dir.filePath("level.svg");
  QVERIFY(view.SavePng(png));
  QImage image(png);
  QVERIFY(!image.isNull());
  QCOMPARE(image.size(), QSize(640, 360));
  // The level line is in the picture: some pixels carry its blue.
  bool blue = false;
  for (int y = 0; y < image.height() && !blue; ++y)
    for (int x = 0; x < image.width() && !blue; ++x) {
      const QColor c = image.pixelColor(x, y);
      blue = c.blue() > 150 && c.red() < 80 && c.green() < 130;
    }
  QVERIFY(blue);
  // Shown on screen, the picture is what the window grabs.
  view.show();
  QVERIFY(QTest::qWaitForWindowExposed(&view));
  QVERIFY(view.SavePng(png));
  QCOMPARE(QImage(png).size(), view.grab().size());

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
      "00001,26/01/03 00:00:00,3.600,1.0000\r\n"
      "#>noise\r\n"
      "00002,26/01/03 00:10:00,3.590,1.5000\r\n"
      "00004,26/01/03 00:30:00,3.580,0.5000\r\n";
  FakeDeviceHost host;
  CDlgAqcuired viewer(host, text, CDlgAqcuired::kRecords, nullptr);
  viewer.ShowChart(ChartLimits{1.4, 0.6, true, false}, 600);
  viewer.show();
  QVERIFY(QTest::qWaitForWindowExposed(&viewer));
  QVERIFY(viewer.Chart() != nullptr);
  QVERIFY(viewer.findChild<QSplitter*>("textAndChart") != nullptr);
  // The window grew for the chart, but stays on the screen.
  QVERIFY(viewer.width() > viewer.minimumWidth());
  const QSize available = viewer.screen()->availableGeometry().size();
  QVERIFY(viewer.width() <= std::max(available.width(), viewer.minimumWidth()));
  QVERIFY(viewer.height() <= std::max(available.height(), viewer.minimumHeight()));
  CLevelChartView* view = viewer.Chart()->View();
  QVERIFY(view->isVisible());
  // The line that is no record is left out; ID 3 missing breaks the line.
  QCOMPARE(view->Records().Size(), size_t{3});
  QCOMPARE(view->LevelPoints().size(), size_t{3});
  QVERIFY(view->LevelPoints()[2].breakBefore);
  QCOMPARE(view->UpperLimitLine()->at(0).y(), 1.4);
  QCOMPARE(view->LowerLimitLine()->at(0).y(), 0.6);
  // The text is still shown as it was.
  QVERIFY(viewer.ShownText().startsWith(QStringLiteral("00001,26/01/03")));

  // Error logs and other readouts have no chart.
  for (int kind : {CDlgAqcuired::kErrorLog, CDlgAqcuired::kRecords + 2}) {
    CDlgAqcuired other(host, "00001,26/01/03 00:00:00,E1\r\n", kind, nullptr);
    other.ShowChart(ChartLimits{}, 600);
    QVERIFY(other.Chart() == nullptr);
  }
}

QTEST_MAIN(ChartViewTest)
#include "chart_view_test.moc"
