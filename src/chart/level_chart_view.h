#pragma once
// Water level over the logger's time, battery voltage on a second axis and
// the judgement limits as dashed lines. The records are reduced to the
// chart's width for the visible time range on every zoom, pan and resize.
// Wheel: zoom the time around the cursor; drag: pan; Shift+drag: zoom into
// the rectangle; Home: back to the whole series. Hovering shows the record
// nearest the cursor.
#include <QChartView>

#include <vector>

#include "chart/column_reduction.h"
#include "chart/record_series.h"

class CLevelChartPath;
class QDateTimeAxis;
class QLineSeries;
class QValueAxis;

// The judgement limits as the logger reported them; not drawn (nor kept in
// sight by the level axis) when they are not known.
struct ChartLimits {
  double upper = 0;
  double lower = 0;
  bool upperOn = false;
  bool lowerOn = false;
  bool known = true;
};

class CLevelChartView : public QChartView {
  Q_OBJECT
 public:
  explicit CLevelChartView(QWidget* parent = nullptr);

  // Takes the records over and shows all of them.
  void SetRecords(chart::RecordSeries records);
  void SetLimits(const ChartLimits& limits);
  const chart::RecordSeries& Records() const { return records_; }

  // The whole series, both value axes fitted to it and the limits.
  void ResetZoom();
  // Zooms the time axis by `factor` (< 1 narrows) around the axis value `centreMs`.
  void ZoomTime(double factor, double centreMs);

  bool SavePng(const QString& path);
  bool SaveSvg(const QString& path);

  // What is drawn, in axis values (time axis: milliseconds of QDateTimeAxis);
  // reduced for the visible range first when that changed since.
  const std::vector<chart::ReducedPoint>& LevelPoints();
  const std::vector<chart::ReducedPoint>& BatteryPoints();
  QDateTimeAxis* TimeAxis() const { return timeAxis_; }
  QValueAxis* LevelAxis() const { return levelAxis_; }
  QValueAxis* BatteryAxis() const { return batteryAxis_; }
  QLineSeries* UpperLimitLine() const { return upperLine_; }
  QLineSeries* LowerLimitLine() const { return lowerLine_; }
  // The time axis value of a record's logger time.
  double AxisTimeOf(int64_t calendarSeconds) const;

  // The text shown when hovering at `viewPos`: the nearest record's ID, time,
  // level and battery; empty outside the plot area or without records.
  QString RecordTextAt(const QPoint& viewPos) const;

 signals:
  // The visible range was reduced anew (before it is painted).
  void Redrawn();

 protected:
  void wheelEvent(QWheelEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  // Marks the reduction out of date and schedules a repaint.
  void Rebuild();
  // Reduces the records to the plot area's columns for the visible range,
  // once per change.
  void Reduce();
  void UpdateLimitLines();

  chart::RecordSeries records_;
  std::vector<double> axisTime_;  // per record, in time axis values
  ChartLimits limits_;
  QDateTimeAxis* timeAxis_;
  QValueAxis* levelAxis_;
  QValueAxis* batteryAxis_;
  QLineSeries* levelAnchor_;
  QLineSeries* batteryAnchor_;
  QLineSeries* upperLine_;
  QLineSeries* lowerLine_;
  CLevelChartPath* levelPath_;
  CLevelChartPath* batteryPath_;
  bool panning_ = false;
  QPoint lastPan_;
  bool rebuilding_ = false;
  bool reduced_ = false;
};
