#pragma once
// The reduced line of one series, drawn straight into the chart's plot area:
// straight segments between the kept points, none across a gap. Qt Charts'
// own line series would join across gaps and keep a graphics item per point.
#include <QGraphicsItem>
#include <QPen>

#include <vector>

#include "chart/column_reduction.h"

class QAbstractSeries;
class QChart;

class CLevelChartPath : public QGraphicsItem {
 public:
  // `anchor` is an empty series on the axes this line is plotted against;
  // the chart maps values to positions through it.
  CLevelChartPath(QChart* chart, QAbstractSeries* anchor, const QPen& pen);

  void SetPoints(std::vector<chart::ReducedPoint> points);
  const std::vector<chart::ReducedPoint>& Points() const { return points_; }

  QRectF boundingRect() const override;
  void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget) override;

 private:
  QChart* chart_;
  QAbstractSeries* anchor_;
  QPen pen_;
  std::vector<chart::ReducedPoint> points_;
};
