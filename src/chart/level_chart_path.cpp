#include "chart/level_chart_path.h"

#include <QChart>
#include <QPainter>
#include <QPainterPath>

CLevelChartPath::CLevelChartPath(QChart* chart, QAbstractSeries* anchor, const QPen& pen)
    : QGraphicsItem(chart), chart_(chart), anchor_(anchor), pen_(pen) {
  // Above the grid and the limit lines' area, below the legend.
  setZValue(5);
}

void CLevelChartPath::SetPoints(std::vector<chart::ReducedPoint> points) {
  prepareGeometryChange();
  points_ = std::move(points);
  update();
}

QRectF CLevelChartPath::boundingRect() const { return chart_->plotArea(); }

void CLevelChartPath::paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*) {
  if (points_.empty()) return;
  QPainterPath path;
  bool first = true;
  for (const auto& p : points_) {
    const QPointF at = chart_->mapToPosition(QPointF(p.x, p.y), anchor_);
    if (first || p.breakBefore)
      path.moveTo(at);
    else
      path.lineTo(at);
    first = false;
  }
  painter->save();
  painter->setClipRect(chart_->plotArea());
  painter->setRenderHint(QPainter::Antialiasing, true);
  painter->setPen(pen_);
  painter->setBrush(Qt::NoBrush);
  painter->drawPath(path);
  // A stretch of one record would be invisible as a path: a dot marks it.
  painter->setBrush(pen_.color());
  for (size_t i = 0; i < points_.size(); ++i) {
    const bool alone = (i == 0 || points_[i].breakBefore) && (i + 1 == points_.size() || points_[i + 1].breakBefore);
    if (alone) painter->drawEllipse(chart_->mapToPosition(QPointF(points_[i].x, points_[i].y), anchor_), 1.5, 1.5);
  }
  painter->restore();
}
