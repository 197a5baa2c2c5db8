#include "chart/level_chart_view.h"

#include <QChart>
#include <QDateTime>
#include <QDateTimeAxis>
#include <QLegend>
#include <QLegendMarker>
#include <QLineSeries>
#include <QMouseEvent>
#include <QPainter>
#include <QSvgGenerator>
#include <QTimeZone>
#include <QToolTip>
#include <QValueAxis>
#include <QWheelEvent>

#include <algorithm>
#include <climits>
#include <cmath>
#include <unordered_map>

#include "chart/chart_strings.h"
#include "chart/level_chart_path.h"
#include "common/string_table.h"

namespace {

QString Text(uint32_t id) { return QString::fromStdString(strings::Text(id)); }

const QColor kLevelColour(0x1f, 0x5f, 0xbf);
const QColor kBatteryColour(0xd0, 0x70, 0x10);
const QColor kLimitOnColour(0xc0, 0x20, 0x20);
const QColor kLimitOffColour(0x99, 0x99, 0x99);

// The date-time axis writes its labels in local time, while logger times are
// the clock's fields read as UTC: a record is placed where local time shows
// its fields. The local offset is looked up once per calendar day; records
// come in time order, so the day before is kept at hand.
class LocalPlacement {
 public:
  double operator()(int64_t calendarSeconds) {
    const int64_t day = calendarSeconds >= 0 ? calendarSeconds / 86400 : (calendarSeconds - 86399) / 86400;
    if (day != lastDay_) {
      auto it = offsets_.find(day);
      if (it == offsets_.end()) {
        const QDateTime fields = QDateTime::fromSecsSinceEpoch(day * 86400 + 43200, QTimeZone::utc());
        const QDateTime local(fields.date(), fields.time(), Qt::LocalTime);
        it = offsets_.emplace(day, local.toSecsSinceEpoch() - fields.toSecsSinceEpoch()).first;
      }
      lastDay_ = day;
      lastOffset_ = it->second;
    }
    return static_cast<double>(calendarSeconds + lastOffset_) * 1000.0;
  }

 private:
  std::unordered_map<int64_t, int64_t> offsets_;
  int64_t lastDay_ = INT64_MIN;
  int64_t lastOffset_ = 0;
};

// Label decimals and tick interval of a value axis: round ticks (1, 2 or 5
// times a power of ten), three to eight of them over the range, with as many
// decimals as the interval needs, so that neighbouring ticks never read the
// same.
void FitTicks(QValueAxis* axis) {
  const double span = axis->max() - axis->min();
  if (!(span > 0) || !std::isfinite(span)) return;
  const double rough = span / 7;
  const double power = std::pow(10.0, std::floor(std::log10(rough)));
  double interval = 10 * power;
  for (double m : {1.0, 2.0, 5.0}) {
    if (m * power >= rough * 0.999) {
      interval = m * power;
      break;
    }
  }
  const int decimals = std::clamp(static_cast<int>(-std::floor(std::log10(interval) + 1e-9)), 0, 9);
  axis->setTickType(QValueAxis::TicksDynamic);
  axis->setTickAnchor(0);
  axis->setTickInterval(interval);
  axis->setLabelFormat(QStringLiteral("%.%1f").arg(decimals));
}

QString LimitName(uint32_t caption, double value, bool on) {
  return QStringLiteral("%1 %2 m (%3)")
      .arg(Text(caption))
      .arg(value, 0, 'f', 3)
      .arg(Text(on ? strings::id::kChartLimitOn : strings::id::kChartLimitOff));
}

}  // namespace

CLevelChartView::CLevelChartView(QWidget* parent) : QChartView(parent) {
  setObjectName("levelChart");
  auto* chart = new QChart;
  chart->setAnimationOptions(QChart::NoAnimation);
  chart->legend()->setAlignment(Qt::AlignBottom);
  chart->setMargins(QMargins(4, 4, 4, 4));
  setChart(chart);
  setRenderHint(QPainter::Antialiasing, true);
  setMouseTracking(true);
  setFocusPolicy(Qt::StrongFocus);

  timeAxis_ = new QDateTimeAxis(chart);
  timeAxis_->setFormat(QStringLiteral("yy/MM/dd HH:mm"));
  timeAxis_->setTitleText(Text(strings::id::kChartTimeAxis));
  timeAxis_->setTickCount(5);
  levelAxis_ = new QValueAxis(chart);
  levelAxis_->setTitleText(Text(strings::id::kChartLevelSeries));
  batteryAxis_ = new QValueAxis(chart);
  batteryAxis_->setTitleText(Text(strings::id::kChartBatterySeries));
  batteryAxis_->setGridLineVisible(false);
  chart->addAxis(timeAxis_, Qt::AlignBottom);
  chart->addAxis(levelAxis_, Qt::AlignLeft);
  chart->addAxis(batteryAxis_, Qt::AlignRight);

  const auto addSeries = [&](const QString& name, const QPen& pen, QValueAxis* valueAxis) {
    auto* series = new QLineSeries(chart);
    series->setName(name);
    series->setPen(pen);
    chart->addSeries(series);
    series->attachAxis(timeAxis_);
    series->attachAxis(valueAxis);
    return series;
  };
  // The two data series stay empty: they carry the legend entries and the
  // axes their reduced lines are mapped through.
  QPen levelPen(kLevelColour, 1.5);
  QPen batteryPen(kBatteryColour, 1.0);
  levelAnchor_ = addSeries(Text(strings::id::kChartLevelSeries), levelPen, levelAxis_);
  batteryAnchor_ = addSeries(Text(strings::id::kChartBatterySeries), batteryPen, batteryAxis_);
  QPen limitPen(kLimitOffColour, 1.2, Qt::DashLine);
  upperLine_ = addSeries(QString(), limitPen, levelAxis_);
  lowerLine_ = addSeries(QString(), limitPen, levelAxis_);
  levelPath_ = new CLevelChartPath(chart, levelAnchor_, levelPen);
  batteryPath_ = new CLevelChartPath(chart, batteryAnchor_, batteryPen);
  SetLimits(limits_);

  connect(timeAxis_, &QDateTimeAxis::rangeChanged, this, [this] { Rebuild(); });
  connect(levelAxis_, &QValueAxis::rangeChanged, this, [this] {
    FitTicks(levelAxis_);
    Rebuild();
  });
  connect(batteryAxis_, &QValueAxis::rangeChanged, this, [this] {
    FitTicks(batteryAxis_);
    Rebuild();
  });
  connect(chart, &QChart::plotAreaChanged, this, [this] { Rebuild(); });
  ResetZoom();
}

void CLevelChartView::SetRecords(chart::RecordSeries records) {
  records_ = std::move(records);
  axisTime_.resize(records_.Size());
  LocalPlacement place;
  for (size_t i = 0; i < records_.Size(); ++i) axisTime_[i] = place(records_.time[i]);
  ResetZoom();
}

void CLevelChartView::SetLimits(const ChartLimits& limits) {
  limits_ = limits;
  const auto style = [](QLineSeries* line, bool on) {
    QPen pen = line->pen();
    pen.setColor(on ? kLimitOnColour : kLimitOffColour);
    pen.setStyle(on ? Qt::DashLine : Qt::DotLine);
    line->setPen(pen);
  };
  style(upperLine_, limits.upperOn);
  style(lowerLine_, limits.lowerOn);
  upperLine_->setName(LimitName(strings::id::kChartUpperLimit, limits.upper, limits.upperOn));
  lowerLine_->setName(LimitName(strings::id::kChartLowerLimit, limits.lower, limits.lowerOn));
  for (QLineSeries* line : {upperLine_, lowerLine_}) {
    line->setVisible(limits.known);
    for (QLegendMarker* marker : chart()->legend()->markers(line)) marker->setVisible(limits.known);
  }
  UpdateLimitLines();
}

double CLevelChartView::AxisTimeOf(int64_t calendarSeconds) const {
  LocalPlacement place;
  return place(calendarSeconds);
}

void CLevelChartView::ResetZoom() {
  // Each range is set once: the ranges' signals redraw.
  rebuilding_ = true;
  double from = 0, to = 86400000.0;
  double levelLow = 0, levelHigh = 1;
  if (limits_.known) {
    levelLow = std::min(limits_.lower, limits_.upper);
    levelHigh = std::max(limits_.lower, limits_.upper);
  }
  double batteryLow = 0, batteryHigh = 4;
  if (!axisTime_.empty()) {
    from = axisTime_.front();
    to = axisTime_.back();
    if (to <= from) to = from + 60000.0;
    const auto [levelMin, levelMax] = std::minmax_element(records_.levelM.begin(), records_.levelM.end());
    levelLow = limits_.known ? std::min(levelLow, *levelMin) : *levelMin;
    levelHigh = limits_.known ? std::max(levelHigh, *levelMax) : *levelMax;
    const auto [batteryMin, batteryMax] = std::minmax_element(records_.batteryV.begin(), records_.batteryV.end());
    batteryLow = *batteryMin;
    batteryHigh = *batteryMax;
  }
  const auto widen = [](double& low, double& high) {
    const double margin = high > low ? (high - low) * 0.05 : 0.5;
    low -= margin;
    high += margin;
  };
  widen(levelLow, levelHigh);
  widen(batteryLow, batteryHigh);
  timeAxis_->setRange(QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(from)),
                      QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(std::ceil(to))));
  levelAxis_->setRange(levelLow, levelHigh);
  batteryAxis_->setRange(batteryLow, batteryHigh);
  rebuilding_ = false;
  Rebuild();
}

void CLevelChartView::ZoomTime(double factor, double centreMs) {
  const double from = static_cast<double>(timeAxis_->min().toMSecsSinceEpoch());
  const double to = static_cast<double>(timeAxis_->max().toMSecsSinceEpoch());
  // Never narrower than a second: the axis counts milliseconds.
  const double newFrom = centreMs - (centreMs - from) * factor;
  const double newTo = std::max(centreMs + (to - centreMs) * factor, newFrom + 1000.0);
  timeAxis_->setRange(QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(newFrom)),
                      QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(newTo)));
}

void CLevelChartView::Rebuild() {
  if (rebuilding_) return;
  // The reduction waits for the next paint (or the next look at the points):
  // the several range and layout changes of one step reduce only once.
  reduced_ = false;
  levelPath_->update();
  batteryPath_->update();
  UpdateLimitLines();
}

void CLevelChartView::Reduce() {
  if (reduced_) return;
  reduced_ = true;
  const double from = static_cast<double>(timeAxis_->min().toMSecsSinceEpoch());
  const double to = static_cast<double>(timeAxis_->max().toMSecsSinceEpoch());
  const int columns = std::max(1, static_cast<int>(chart()->plotArea().width()));
  const size_t n = records_.Size();
  levelPath_->SetPoints(chart::ReduceToColumns(axisTime_.data(), records_.levelM.data(), records_.breakBefore.data(), n,
                                               from, to, columns));
  batteryPath_->SetPoints(chart::ReduceToColumns(axisTime_.data(), records_.batteryV.data(),
                                                 records_.breakBefore.data(), n, from, to, columns));
  emit Redrawn();
}

void CLevelChartView::paintEvent(QPaintEvent* event) {
  Reduce();
  QChartView::paintEvent(event);
}

void CLevelChartView::UpdateLimitLines() {
  // The limit lines span the visible time range, whatever it is.
  const double from = static_cast<double>(timeAxis_->min().toMSecsSinceEpoch());
  const double to = static_cast<double>(timeAxis_->max().toMSecsSinceEpoch());
  const bool was = rebuilding_;
  rebuilding_ = true;
  upperLine_->replace(QList<QPointF>{{from, limits_.upper}, {to, limits_.upper}});
  lowerLine_->replace(QList<QPointF>{{from, limits_.lower}, {to, limits_.lower}});
  rebuilding_ = was;
}

const std::vector<chart::ReducedPoint>& CLevelChartView::LevelPoints() {
  Reduce();
  return levelPath_->Points();
}

const std::vector<chart::ReducedPoint>& CLevelChartView::BatteryPoints() {
  Reduce();
  return batteryPath_->Points();
}

bool CLevelChartView::SavePng(const QString& path) { return grab().save(path, "PNG"); }

bool CLevelChartView::SaveSvg(const QString& path) {
  QSvgGenerator generator;
  generator.setFileName(path);
  generator.setSize(size());
  generator.setViewBox(rect());
  generator.setTitle(Text(strings::id::kChartLevelSeries));
  QPainter painter;
  if (!painter.begin(&generator)) return false;
  render(&painter);
  return painter.end();
}

QString CLevelChartView::RecordTextAt(const QPoint& viewPos) const {
  if (axisTime_.empty()) return QString();
  const QPointF inChart = chart()->mapFromScene(mapToScene(viewPos));
  if (!chart()->plotArea().contains(inChart)) return QString();
  const double x = chart()->mapToValue(inChart, levelAnchor_).x();
  auto it = std::lower_bound(axisTime_.begin(), axisTime_.end(), x);
  if (it == axisTime_.end() || (it != axisTime_.begin() && x - *(it - 1) < *it - x)) --it;
  const size_t i = static_cast<size_t>(it - axisTime_.begin());
  const QString time =
      QDateTime::fromSecsSinceEpoch(records_.time[i], QTimeZone::utc()).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
  return QStringLiteral("ID %1\n%2\n%3: %4 m\n%5: %6 V")
      .arg(records_.id[i], 5, 10, QLatin1Char('0'))
      .arg(time, Text(strings::id::kChartLevelCaption))
      .arg(records_.levelM[i], 0, 'f', 4)
      .arg(Text(strings::id::kChartBatteryCaption))
      .arg(records_.batteryV[i], 0, 'f', 3);
}

void CLevelChartView::wheelEvent(QWheelEvent* event) {
  const QPointF inChart = chart()->mapFromScene(mapToScene(event->position().toPoint()));
  const double centre = chart()->mapToValue(inChart, levelAnchor_).x();
  const int steps = event->angleDelta().y() / 120;
  if (steps == 0) return;
  ZoomTime(std::pow(0.8, steps), centre);
  event->accept();
}

void CLevelChartView::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton && !(event->modifiers() & Qt::ShiftModifier)) {
    panning_ = true;
    lastPan_ = event->position().toPoint();
    setCursor(Qt::ClosedHandCursor);
    event->accept();
    return;
  }
  setRubberBand(event->button() == Qt::LeftButton ? QChartView::RectangleRubberBand : QChartView::NoRubberBand);
  QChartView::mousePressEvent(event);
}

void CLevelChartView::mouseMoveEvent(QMouseEvent* event) {
  const QPoint at = event->position().toPoint();
  if (panning_) {
    const QPoint delta = at - lastPan_;
    lastPan_ = at;
    chart()->scroll(-delta.x(), delta.y());
    event->accept();
    return;
  }
  if (event->buttons() == Qt::NoButton) {
    const QString text = RecordTextAt(at);
    if (text.isEmpty())
      QToolTip::hideText();
    else
      QToolTip::showText(event->globalPosition().toPoint(), text, this);
  }
  QChartView::mouseMoveEvent(event);
}

void CLevelChartView::mouseReleaseEvent(QMouseEvent* event) {
  if (panning_ && event->button() == Qt::LeftButton) {
    panning_ = false;
    unsetCursor();
    event->accept();
    return;
  }
  // The right button would zoom out one step in Qt Charts; Home resets instead.
  if (event->button() == Qt::RightButton) {
    event->accept();
    return;
  }
  QChartView::mouseReleaseEvent(event);
  setRubberBand(QChartView::NoRubberBand);
}

void CLevelChartView::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Home) {
    ResetZoom();
    event->accept();
    return;
  }
  QChartView::keyPressEvent(event);
}
