#include "controls/dialog_units.h"

#include <QFontMetrics>

QSize DialogUnitsToPixels(const QFont& font, int widthUnits, int heightUnits) {
  const QFontMetrics metrics(font);
  // Average width of the 52 Latin letters, rounded.
  const int letters = metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
  const int baseX = (letters / 26 + 1) / 2;
  const int baseY = metrics.height();
  return QSize(widthUnits * baseX / 4, heightUnits * baseY / 8);
}
