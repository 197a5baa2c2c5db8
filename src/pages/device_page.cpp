#include "pages/device_page.h"

#include <QKeyEvent>

void CDevicePage::keyPressEvent(QKeyEvent* e) {
  if (e->key() == Qt::Key_Escape) return;
  QWidget::keyPressEvent(e);
}
