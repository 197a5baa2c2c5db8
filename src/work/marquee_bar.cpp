#include "work/marquee_bar.h"

#include <QFontMetrics>
#include <QPaintEvent>
#include <QPainter>
#include <QTimerEvent>

#include <algorithm>

CMarqueeBar::CMarqueeBar(QWidget* parent) : QWidget(parent) {
  setObjectName("marquee");
  // Every pixel is painted by paintEvent; nothing is erased beforehand.
  setAttribute(Qt::WA_OpaquePaintEvent);
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

QSize CMarqueeBar::sizeHint() const { return QSize(160, fontMetrics().height() + 4); }
QSize CMarqueeBar::minimumSizeHint() const { return QSize(40, fontMetrics().height() + 4); }

QRect CMarqueeBar::Inner() const { return rect().adjusted(1, 1, -1, -1); }

int CMarqueeBar::BlockWidth() const { return std::max(8, Inner().width() / 5); }

// The block at `left`; it enters from the left edge and leaves at the right.
QRect CMarqueeBar::BlockRect(int left) const {
  const QRect inner = Inner();
  return QRect(inner.left() + left - BlockWidth(), inner.top(), BlockWidth(), inner.height()).intersected(inner);
}

void CMarqueeBar::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  clock_.start();
  timer_.start(kFrameMs, this);
}

void CMarqueeBar::hideEvent(QHideEvent* event) {
  timer_.stop();
  QWidget::hideEvent(event);
}

void CMarqueeBar::timerEvent(QTimerEvent* event) {
  if (event->timerId() != timer_.timerId()) {
    QWidget::timerEvent(event);
    return;
  }
  // The position follows the clock, so a late frame does not slow the block.
  const int span = Inner().width() + BlockWidth();
  if (span <= 0) return;
  const int left = static_cast<int>(clock_.elapsed() * kPixelsPerSecond / 1000 % span);
  if (left == blockLeft_) return;
  const QRect before = BlockRect(blockLeft_);
  blockLeft_ = left;
  const QRect after = BlockRect(blockLeft_);
  // The strips that change colour; the whole of both blocks after a wrap.
  if (!before.intersects(after)) {
    update(before);
    update(after);
  } else {
    update(QRect(QPoint(std::min(before.left(), after.left()), after.top()),
                 QPoint(std::max(before.left(), after.left()) - 1, after.bottom())));
    update(QRect(QPoint(std::min(before.right(), after.right()) + 1, after.top()),
                 QPoint(std::max(before.right(), after.right()), after.bottom())));
  }
}

void CMarqueeBar::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  const QRect area = event->rect();
  const QRect inner = Inner();
  if (!inner.contains(area)) {
    painter.setPen(palette().color(QPalette::Mid));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
  }
  painter.fillRect(area.intersected(inner), palette().color(QPalette::Base));
  painter.fillRect(area.intersected(BlockRect(blockLeft_)), palette().color(QPalette::Highlight));
}
