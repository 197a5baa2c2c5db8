#include "pages/du_placer.h"

#include <QEvent>

namespace {
// Room kept beyond the right-most and lowest control, in dialog units.
constexpr int kMarginUnits = 7;
}  // namespace

void CDuPlacer::Relayout() { page_->setMinimumSize(layout_.Apply(page_, reach_ + QSize(kMarginUnits, kMarginUnits))); }

CDuPlacer::CDuPlacer(QWidget* page) : page_(page) { page_->installEventFilter(&watcher_); }

bool CDuPlacer::Watcher::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::LayoutRequest || event->type() == QEvent::FontChange) placer_->Relayout();
  return QObject::eventFilter(watched, event);
}
