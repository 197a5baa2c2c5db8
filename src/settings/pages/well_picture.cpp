#include "settings/pages/well_picture.h"

#include <QFont>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

#include "common/string_table.h"
#include "controls/ui_text.h"
#include "settings/wizard_strings.h"

namespace {

constexpr int kWidth = 270;
constexpr int kHeight = 330;

// Vertical positions of the scene.
constexpr int kGround = 44;    // ground level, top of the well
constexpr int kUpper = 108;    // upper limit
constexpr int kSurface = 158;  // water surface
constexpr int kLower = 226;    // lower limit
constexpr int kBottom = 318;   // bottom of the well
// The well shaft between its two walls.
constexpr int kShaftLeft = 108;
constexpr int kShaftRight = 170;
constexpr int kWall = 10;

using ui_text::Text;

void DrawArrowHead(QPainter& p, QPointF tip, qreal dx) {
  // A filled head pointing left (dx < 0) or right (dx > 0) at the tip.
  QPolygonF head;
  head << tip << QPointF(tip.x() - dx * 7, tip.y() - 4) << QPointF(tip.x() - dx * 7, tip.y() + 4);
  p.drawPolygon(head);
}

// A limit: a dashed line across the shaft, and an arrow from the label at
// the right pointing at it.
void DrawLimit(QPainter& p, int y, const QString& label, const QColor& colour, const QFont& font) {
  p.setPen(QPen(colour, 2, Qt::DashLine));
  p.drawLine(kShaftLeft, y, kShaftRight, y);
  // Carried faintly across the zone labels at the left.
  p.setPen(QPen(colour.lighter(150), 1, Qt::DashLine));
  p.drawLine(2, y, kShaftLeft - kWall - 6, y);
  p.setPen(QPen(colour, 1.5));
  p.drawLine(kShaftRight + 4, y, kShaftRight + 30, y);
  p.setBrush(colour);
  DrawArrowHead(p, QPointF(kShaftRight + 3, y), -1);
  p.setFont(font);
  p.setPen(colour);
  p.drawText(QRect(kShaftRight + kWall + 24, y - 15, kWidth - kShaftRight - kWall - 24, 30),
             Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWordWrap, label);
}

// A zone label at the left of the well, over a tinted band.
void DrawZone(QPainter& p, int top, int bottom, const QColor& tint, const QStringList& lines, const QFont& font) {
  const QRect band(4, top + 2, kShaftLeft - kWall - 10, bottom - top - 4);
  p.setPen(Qt::NoPen);
  p.setBrush(tint);
  p.drawRoundedRect(band, 4, 4);
  p.setPen(QColor(40, 40, 40));
  p.setFont(font);
  p.drawText(band, Qt::AlignCenter | Qt::TextWordWrap, lines.join(QLatin1Char('\n')));
}

}  // namespace

QImage DrawWellPicture(const QString& fontFamily) {
  QImage image(kWidth, kHeight, QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing, true);

  QFont font(fontFamily);
  font.setPixelSize(11);
  QFont bold = font;
  bold.setBold(true);

  // Ground with the well cut into it.
  const QColor soil(196, 170, 128);
  p.setPen(Qt::NoPen);
  p.setBrush(QBrush(soil, Qt::SolidPattern));
  p.drawRect(kShaftLeft - kWall - 6, kGround, kWall + 6, kBottom - kGround + 6);
  p.drawRect(kShaftRight, kGround, kWall + 6, kBottom - kGround + 6);
  p.drawRect(kShaftLeft - kWall - 6, kBottom, kShaftRight - kShaftLeft + 2 * (kWall + 6), 8);
  p.setBrush(QBrush(QColor(150, 122, 84), Qt::BDiagPattern));
  p.drawRect(kShaftLeft - kWall - 6, kGround, kWall + 6, kBottom - kGround + 6);
  p.drawRect(kShaftRight, kGround, kWall + 6, kBottom - kGround + 6);
  p.setPen(QPen(QColor(110, 90, 60), 2));
  p.drawLine(0, kGround, kShaftLeft - kWall - 6, kGround);
  p.drawLine(kShaftRight + kWall + 6, kGround, kWidth, kGround);

  // Water in the well, with a few ripples on its surface.
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(150, 200, 245));
  p.drawRect(kShaftLeft, kSurface, kShaftRight - kShaftLeft, kBottom - kSurface);
  p.setPen(QPen(QColor(40, 110, 200), 2));
  p.drawLine(kShaftLeft, kSurface, kShaftRight, kSurface);
  p.setPen(QPen(QColor(70, 140, 215), 1));
  for (int y = kSurface + 14; y < kBottom - 6; y += 22) {
    QPainterPath ripple;
    ripple.moveTo(kShaftLeft + 8, y);
    ripple.cubicTo(kShaftLeft + 16, y - 3, kShaftLeft + 22, y + 3, kShaftLeft + 30, y);
    p.drawPath(ripple);
  }

  // The logger on top of the well and the sensor hanging on its cable.
  const int centre = (kShaftLeft + kShaftRight) / 2;
  p.setPen(QPen(QColor(60, 60, 60), 1));
  p.setBrush(QColor(230, 230, 235));
  p.drawRoundedRect(QRect(centre - 26, kGround - 26, 52, 22), 3, 3);
  p.setBrush(QColor(120, 120, 130));
  p.drawRect(QRect(kShaftLeft - kWall - 6, kGround - 4, kShaftRight - kShaftLeft + 2 * (kWall + 6), 4));
  p.setPen(QPen(QColor(30, 30, 30), 1.5));
  const int sensorTop = kBottom - 42;
  p.drawLine(centre, kGround, centre, sensorTop);
  p.setPen(QPen(QColor(30, 30, 30), 1));
  p.setBrush(QColor(80, 80, 90));
  p.drawRoundedRect(QRect(centre - 6, sensorTop, 12, 26), 3, 3);
  // Its label outside the well, with a leader line.
  const int labelX = kShaftRight + kWall + 24;
  p.setPen(QPen(QColor(30, 30, 30), 1, Qt::DotLine));
  p.drawLine(centre + 7, sensorTop + 13, labelX - 4, sensorTop + 13);
  p.setFont(font);
  p.setPen(QColor(30, 30, 30));
  p.drawText(QRect(labelX, sensorTop - 2, kWidth - labelX, 30), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWordWrap,
             Text(strings::id::kPictureSensor));

  // The water surface mark.
  const QColor blue(30, 90, 190);
  p.setPen(QPen(blue, 1.5));
  p.setBrush(blue);
  QPolygonF mark;
  mark << QPointF(kShaftRight - 22, kSurface - 2) << QPointF(kShaftRight - 30, kSurface - 11)
       << QPointF(kShaftRight - 14, kSurface - 11);
  p.drawPolygon(mark);
  p.setFont(font);
  p.drawText(QRect(kShaftRight + kWall + 24, kSurface - 15, kWidth - kShaftRight - kWall - 24, 30),
             Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWordWrap, Text(strings::id::kPictureWaterSurface));
  p.setPen(QPen(blue, 1, Qt::DotLine));
  p.drawLine(kShaftRight + kWall + 6, kSurface, kShaftRight + kWall + 22, kSurface);

  // The limits and the zones they make.
  const QColor red(200, 30, 30);
  DrawLimit(p, kUpper, Text(strings::id::kPictureUpperLimit), red, bold);
  DrawLimit(p, kLower, Text(strings::id::kPictureLowerLimit), red, bold);
  const QColor eventTint(255, 214, 214);
  DrawZone(p, kGround, kUpper, eventTint,
           {Text(strings::id::kPictureAboveUpper), Text(strings::id::kPictureEventState)}, font);
  DrawZone(p, kUpper, kLower, QColor(214, 240, 214), {Text(strings::id::kPictureNormalState)}, font);
  DrawZone(p, kLower, kBottom, eventTint,
           {Text(strings::id::kPictureBelowLower), Text(strings::id::kPictureEventState)}, font);

  p.end();
  return image;
}

CWellPictureView::CWellPictureView(const QString& fontFamily, QWidget* parent)
    : QWidget(parent), picture_(DrawWellPicture(fontFamily)) {}

void CWellPictureView::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::SmoothPixmapTransform, true);
  p.drawImage(rect(), picture_);
}
