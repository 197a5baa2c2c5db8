// The level chart on the offscreen platform: what it draws of a known
// series, where the limit lines sit, zoom and reset, saved pictures, and the
// data viewer's chart.
#include <QApplication>
#include <QDateTimeAxis>
#include <QFile>
#include <QImage>
#include <QLineSeries>
#include <QPushButton>
#include <QTemporaryDir>
#include <QValueAxis>
#include <QWheelEvent>
#include <QXmlStreamReader>
#include <QtTest>

#include "test_device_host.h"
#include "chart/level_chart_panel.h"
#include "chart/level_chart_view.h"
#include "pages/dlg_aqcuired.h"

namespace {

// Five records 600 s apart with ID 4 missing, then one 1800 s late.
chart::RecordSeries KnownSeries() {
  chart::RecordSeries s;
  const int64_t t0 = 1767398400;  // 2026-01-03 00:00:00
  s.Append(1, t0, 1.0, 3.6);
  s.Append(2, t0 + 600, 1.5, 3.6);
  s.Append(3, t0 + 1200, 0.5, 3.5);
  s.Append(5, t0 + 2400, 1.2, 3.5);
  s.Append(6, t0 + 4200, 1.1, 3.4);
  chart::MarkGaps(s, 100000, 600);
  return s;
}

double Ms(const QDateTime& t) { return static_cast<double>(t.toMSecsSinceEpoch()); }

}  // namespace

class LevelChartTest : public QObject {
  Q_OBJECT
 private slots:
  void knownSeriesIsDrawnWithGapsAsBreaks();
  void limitLinesSitAtTheLoggersValues();
  void zoomPanAndResetChangeTheRanges();
  void pointsFollowTheWidthNotTheRecordCount();
  void hoverNamesTheNearestRecord();
  void savesPngAndSvg();
  void viewerShowsTheChartBesideTheText();
};

void LevelChartTest::knownSeriesIsDrawnWithGapsAsBreaks() {
  CLevelChartView view;
  view.resize(800, 500);
  view.SetRecords(KnownSeries());
  view.show();
  QVERIFY(QTest::qWaitForWindowExposed(&view));
  const auto& points = view.LevelPoints();
  QCOMPARE(points.size(), size_t{5});
  const std::vector<double> levels = {1.0, 1.5, 0.5, 1.2, 1.1};
  const std::vector<bool> breaks = {false, false, false, true, true};
  for (size_t i = 0; i < points.size(); ++i) {
    QCOMPARE(points[i].y, levels[i]);
    QCOMPARE(points[i].breakBefore, breaks[i]);
    QCOMPARE(points[i].x, view.AxisTimeOf(view.Records().time[i]));
  }
  QCOMPARE(view.BatteryPoints().size(), size_t{5});
  QCOMPARE(view.BatteryPoints()[4].y, 3.4);
  // The whole series is in view.
  QCOMPARE(Ms(view.TimeAxis()->min()), points.front().x);
  QCOMPARE(Ms(view.TimeAxis()->max()), points.back().x);
  QVERIFY(view.LevelAxis()->min() < 0.5 && view.LevelAxis()->max() > 1.5);
}

void LevelChartTest::limitLinesSitAtTheLoggersValues() {
  struct Case {
    ChartLimits limits;
    Qt::PenStyle upperStyle, lowerStyle;
  };
  const std::vector<Case> cases = {
      {{2.5, -2.5, true, true}, Qt::DashLine, Qt::DashLine},
      {{1.75, 0.25, true, false}, Qt::DashLine, Qt::DotLine},
      {{3.0, -1.0, false, false}, Qt::DotLine, Qt::DotLine},
  };
  for (const auto& c : cases) {
    CLevelChartView view;
    view.resize(600, 400);
    view.SetLimits(c.limits);
    view.SetRecords(KnownSeries());
    for (auto [line, value, style] : {std::tuple{view.UpperLimitLine(), c.limits.upper, c.upperStyle},
                                      std::tuple{view.LowerLimitLine(), c.limits.lower, c.lowerStyle}}) {
      const QList<QPointF> pts = line->points();
      QCOMPARE(pts.size(), 2);
      QCOMPARE(pts[0].y(), value);
      QCOMPARE(pts[1].y(), value);
      QCOMPARE(pts[0].x(), Ms(view.TimeAxis()->min()));
      QCOMPARE(pts[1].x(), Ms(view.TimeAxis()->max()));
      QCOMPARE(line->pen().style(), style);
    }
    // Both limits are inside the level axis after a reset.
    QVERIFY(view.LevelAxis()->max() > c.limits.upper);
    QVERIFY(view.LevelAxis()->min() < c.limits.lower);
  }
}

void LevelChartTest::zoomPanAndResetChangeTheRanges() {
  CLevelChartPanel panel;
  CLevelChartView& view = *panel.View();
  panel.resize(900, 500);
  view.SetRecords(KnownSeries());
  panel.show();
  QVERIFY(QTest::qWaitForWindowExposed(&panel));
  const double from = Ms(view.TimeAxis()->min()), to = Ms(view.TimeAxis()->max());
  const double levelLow = view.LevelAxis()->min(), levelHigh = view.LevelAxis()->max();

  // Half the time around the middle; the level axis stays.
  const double middle = (from + to) / 2;
  view.ZoomTime(0.5, middle);
  QCOMPARE(Ms(view.TimeAxis()->min()), middle - (middle - from) / 2);
  QCOMPARE(Ms(view.TimeAxis()->max()), middle + (to - middle) / 2);
  QCOMPARE(view.LevelAxis()->min(), levelLow);
  // The limit lines follow the visible range.
  QCOMPARE(view.UpperLimitLine()->points()[0].x(), Ms(view.TimeAxis()->min()));

  // Home brings the whole series back.
  QTest::keyClick(&view, Qt::Key_Home);
  QCOMPARE(Ms(view.TimeAxis()->min()), from);
  QCOMPARE(Ms(view.TimeAxis()->max()), to);

  // A wheel step up narrows the time range, down widens it.
  const QPointF centre = view.viewport()->rect().center();
  const auto wheel = [&](int delta) {
    QWheelEvent event(centre, view.viewport()->mapToGlobal(centre), QPoint(), QPoint(0, delta), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(view.viewport(), &event);
  };
  wheel(120);
  const double narrowed = Ms(view.TimeAxis()->max()) - Ms(view.TimeAxis()->min());
  QVERIFY(narrowed < (to - from) * 0.85);
  wheel(-240);
  QVERIFY(Ms(view.TimeAxis()->max()) - Ms(view.TimeAxis()->min()) > narrowed);

  // Dragging to the right shows earlier times.
  const double before = Ms(view.TimeAxis()->min());
  QTest::mousePress(view.viewport(), Qt::LeftButton, Qt::NoModifier, centre.toPoint());
  QMouseEvent move(QEvent::MouseMove, centre + QPointF(100, 0), view.viewport()->mapToGlobal(centre + QPointF(100, 0)),
                   Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(view.viewport(), &move);
  QTest::mouseRelease(view.viewport(), Qt::LeftButton, Qt::NoModifier, (centre + QPointF(100, 0)).toPoint());
  QVERIFY(Ms(view.TimeAxis()->min()) < before);

  // The reset button too.
  QTest::mouseClick(panel.findChild<QPushButton*>("resetZoom"), Qt::LeftButton);
  QCOMPARE(Ms(view.TimeAxis()->min()), from);
  QCOMPARE(Ms(view.TimeAxis()->max()), to);
  QCOMPARE(view.LevelAxis()->max(), levelHigh);
}

void LevelChartTest::pointsFollowTheWidthNotTheRecordCount() {
  chart::RecordSeries s;
  for (int i = 0; i < 100000; ++i) s.Append(i, 1767398400 + int64_t{i} * 600, (i * 7919 % 1000) / 500.0, 3.6);
  CLevelChartView view;
  view.resize(700, 400);
  view.SetRecords(std::move(s));
  view.show();
  QVERIFY(QTest::qWaitForWindowExposed(&view));
  const size_t width = static_cast<size_t>(view.chart()->plotArea().width());
  QVERIFY(view.LevelPoints().size() <= width * 4 + 4);
  QVERIFY(view.LevelPoints().size() >= width);
  // Zoomed in, the visible records are drawn each.
  view.ZoomTime(0.0001, Ms(view.TimeAxis()->min()));
  QVERIFY(view.LevelPoints().size() < 40);
}

void LevelChartTest::hoverNamesTheNearestRecord() {
  CLevelChartView view;
  view.resize(800, 500);
  view.SetRecords(KnownSeries());
  view.show();
  QVERIFY(QTest::qWaitForWindowExposed(&view));
  const QPointF at = view.chart()->mapToPosition(QPointF(view.LevelPoints()[1].x, 1.5), view.chart()->series()[0]);
  const QPoint viewPos = view.mapFromScene(view.chart()->mapToScene(at));
  const QString text = view.RecordTextAt(viewPos);
  QVERIFY2(text.startsWith(QStringLiteral("ID 00002\n2026-01-03 00:10:00\n")), qPrintable(text));
  QVERIFY2(text.contains(QStringLiteral("1.5000 m")) && text.contains(QStringLiteral("3.600 V")), qPrintable(text));
  QVERIFY(view.RecordTextAt(QPoint(1, 1)).isEmpty());
}

void LevelChartTest::savesPngAndSvg() {
  QTemporaryDir dir;
  CLevelChartView view;
  view.resize(640, 400);
  view.SetLimits({1.4, 0.2, true, false});
  view.SetRecords(KnownSeries());
  view.show();
  QVERIFY(QTest::qWaitForWindowExposed(&view));

  const QString png = dir.filePath("chart.png");
  QVERIFY(view.SavePng(png));
  QImage image(png);
  QVERIFY(!image.isNull());
  QCOMPARE(image.size(), view.grab().size());

  const QString svg = dir.filePath("chart.svg");
  QVERIFY(view.SaveSvg(svg));
  QFile file(svg);
  QVERIFY(file.open(QIODevice::ReadOnly));
  QXmlStreamReader xml(&file);
  QString root;
  while (!xml.atEnd() && root.isEmpty())
    if (xml.readNext() == QXmlStreamReader::StartElement) root = xml.name().toString();
  QCOMPARE(root, QStringLiteral("svg"));
  while (!xml.atEnd()) xml.readNext();
  QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
}

void LevelChartTest::viewerShowsTheChartBesideTheText() {
  const std::string text =
      "00001,26/01/03 00:00:00,3.600,1.0000\r\n"
      "#>noise\r\n"
      "00002,26/01/03 00:10:00,3.600,1.5000\r\n"
      "00004,26/01/03 00:30:00,3.500,0.5000\r\n";
  CDlgAqcuired viewer(Host(), text, CDlgAqcuired::kRecords, nullptr);
  viewer.ShowChart({2.0, -1.0, true, true}, 600);
  viewer.show();
  QVERIFY(QTest::qWaitForWindowExposed(&viewer));
  QVERIFY(viewer.Chart() != nullptr);
  CLevelChartView* view = viewer.Chart()->View();
  QVERIFY(view->isVisible());
  QCOMPARE(view->Records().Size(), size_t{3});
  QCOMPARE(view->LevelPoints().size(), size_t{3});
  QVERIFY(view->LevelPoints()[2].breakBefore);
  QCOMPARE(view->UpperLimitLine()->points()[0].y(), 2.0);
  // The text is still shown as it was.
  QVERIFY(viewer.ShownText().startsWith(QStringLiteral("00001,26/01/03")));

  // An error log gets no chart.
  CDlgAqcuired log(Host(), text, CDlgAqcuired::kErrorLog, nullptr);
  log.ShowChart({2.0, -1.0, true, true}, 600);
  QVERIFY(log.Chart() == nullptr);
}

QTEST_MAIN(LevelChartTest)
#include "level_chart_test.moc"
