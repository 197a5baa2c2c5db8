#pragma once
// Dialog layouts are given in dialog units, which scale with the dialog's
// font: a horizontal unit is a quarter of the font's average character
// width, a vertical unit an eighth of its height.
#include <QFont>
#include <QSize>

QSize DialogUnitsToPixels(const QFont& font, int widthUnits, int heightUnits);
