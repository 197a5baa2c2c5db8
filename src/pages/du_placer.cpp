#include "pages/du_placer.h"

#include "controls/dialog_units.h"

QRect CDuPlacer::ToPixels(const QRect& units) const {
  const QSize origin = DialogUnitsToPixels(page_->font(), units.x(), units.y());
  return QRect(QPoint(origin.width(), origin.height()),
               DialogUnitsToPixels(page_->font(), units.width(), units.height()));
}

void CDuPlacer::Relayout() {
  for (const Placed& p : placed_) p.widget->setGeometry(ToPixels(p.units));
}
