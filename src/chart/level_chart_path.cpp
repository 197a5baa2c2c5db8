#include "chart/level_chart_path.h"

#include <QChart>
#include <QLineF>
#include <QPainter>

CLevelChartPath::CLevelChartPath(QChart* chart, QAbstractSeries* anchor, const QPen& pen)
    : QGraphicsItem(chart), chart_(chart), anchor_(anchor), pen_(pen) {
  // Above the grid and the limit lines' area, below the legend.
  setZValue(5);
}

void CLevelChartPath::SetPoints(std::vector<chart::ReducedPoint> points) {
  points_ = std::move(points);
  // The item always covers the plot area: only its content changes.
  update();
}

QRectF CLevelChartPath::boundingRect() const { return chart_->plotArea(); }

void CLevelChartPath::paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*) {
  if (points_.empty()) return;
  // Both axes are linear: two mapped values give the whole mapping, so the
  // chart's per-point mapping runs twice per paint instead of per point.
  const chart::ReducedPoint& a = points_.front();
  const chart::ReducedPoint& b = points_.back();
  const double x1 = b.x != a.x ? b.x : a.x + 1;
  const double y1 = a.y + 1;
  const QPointF origin = chart_->mapToPosition(QPointF(a.x, a.y), anchor_);
  const QPointF farX = chart_->mapToPosition(QPointF(x1, a.y), anchor_);
  const QPointF farY = chart_->mapToPosition(QPointF(a.x, y1), anchor_);
  const double sx = (farX.x() - origin.x()) / (x1 - a.x);
  const double sy = farY.y() - origin.y();
  const auto at = [&](const chart::ReducedPoint& p) {
    return QPointF(origin.x() + (p.x - a.x) * sx, origin.y() + (p.y - a.y) * sy);
  };

  // Separate segments: a wide pen strokes a long path with its joins at a
  // cost that grows with the overlaps of a dense line, separate lines do not.
  std::vector<QLineF> segments;
  segments.reserve(points_.size());
  std::vector<QPointF> alone;
  QPointF previous = at(points_.front());
  for (size_t i = 0; i < points_.size(); ++i) {
    const QPointF here = i == 0 ? previous : at(points_[i]);
    const bool starts = i == 0 || points_[i].breakBefore;
    if (!starts) segments.emplace_back(previous, here);
    // A stretch of one record would be invisible as a line: a dot marks it.
    if (starts && (i + 1 == points_.size() || points_[i + 1].breakBefore)) alone.push_back(here);
    previous = here;
  }
  painter->save();
  painter->setClipRect(chart_->plotArea());
  painter->setRenderHint(QPainter::Antialiasing, true);
  painter->setPen(pen_);
  painter->setBrush(Qt::NoBrush);
  painter->drawLines(segments.data(), static_cast<int>(segments.size()));
  painter->setBrush(pen_.color());
  for (const QPointF& p : alone) painter->drawEllipse(p, 1.5, 1.5);
  painter->restore();
}
