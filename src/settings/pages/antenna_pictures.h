#pragma once
// The five pictures of the antenna check page, by picture id (381 for level 0
// to 385 for level 4, see AntennaPictureId). Each is 48 x 48 pixels and is
// shown enlarged to 96 x 96.
#include <QPixmap>

constexpr int kAntennaPictureSize = 48;
constexpr int kAntennaPictureShownSize = 96;

// The picture, or a null pixmap for an id that is not one of the five.
QPixmap AntennaPicture(int pictureId);
