// Draws the pictures of the main view and the program icon, in Japanese and
// English, into PNG files. Run once after a change of the design and commit
// the files it writes:
//
//   ninja -C <build> quorvane-make-pictures
//   QT_QPA_PLATFORM=offscreen <build>/bin/quorvane-make-pictures src/app/pictures
//
// Pictures: banner_<lang>.png (480 x 112, the title banner), logo_<lang>.png
// (142 x 65), icon.png (64 x 64); banner and logo on black.
#include <QDir>
#include <QFont>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QTextStream>

#include <cmath>
#include <cstdio>

namespace {

const QColor kDeepBlue(10, 40, 90);
const QColor kWaterBlue(40, 140, 220);
const QColor kLightCyan(120, 220, 255);
const QColor kFreshGreen(130, 230, 160);

struct Texts {
  QString language;
  QString bannerSubtitle;
  QString logoCaption;
};

QString LatinFamily() {
  return QFontDatabase::families().contains(QStringLiteral("DejaVu Sans"))
             ? QStringLiteral("DejaVu Sans")
             : QFontDatabase::systemFont(QFontDatabase::GeneralFont).family();
}

QString JapaneseFamily() {
  for (const QString& family :
       {QStringLiteral("IPAGothic"), QStringLiteral("IPAPGothic"), QStringLiteral("Noto Sans CJK JP")})
    if (QFontDatabase::families().contains(family)) return family;
  return LatinFamily();
}

QFont FontOf(const QString& family, int pixelSize, int weight = QFont::Normal) {
  QFont font(family);
  font.setPixelSize(pixelSize);
  font.setWeight(static_cast<QFont::Weight>(weight));
  font.setHintingPreference(QFont::PreferNoHinting);
  return font;
}

// A horizontal wave through the rectangle's width at height y.
QPainterPath Wave(qreal left, qreal right, qreal y, qreal amplitude, qreal length, qreal phase) {
  QPainterPath path;
  for (qreal x = left; x <= right + 0.5; x += 1.0) {
    const qreal wy = y + amplitude * std::sin((x / length) * 2.0 * M_PI + phase);
    if (x == left)
      path.moveTo(x, wy);
    else
      path.lineTo(x, wy);
  }
  return path;
}

// The emblem: a ring around water with a level gauge.
void DrawEmblem(QPainter& p, const QRectF& box) {
  p.save();
  p.setRenderHint(QPainter::Antialiasing);
  const QPointF centre = box.center();
  const qreal radius = std::min(box.width(), box.height()) / 2.0 - 1.5;

  QPainterPath circle;
  circle.addEllipse(centre, radius, radius);

  // Water filling the lower part of the ring.
  p.setClipPath(circle);
  QPainterPath water = Wave(box.left(), box.right(), centre.y() + radius * 0.05, radius * 0.12, radius * 1.1, 0.3);
  water.lineTo(box.right(), box.bottom());
  water.lineTo(box.left(), box.bottom());
  water.closeSubpath();
  QLinearGradient waterFill(0, centre.y() - radius * 0.1, 0, centre.y() + radius);
  waterFill.setColorAt(0, kWaterBlue);
  waterFill.setColorAt(1, kDeepBlue);
  p.fillPath(water, waterFill);
  p.setPen(QPen(kLightCyan, std::max<qreal>(1.0, radius * 0.06)));
  p.drawPath(Wave(box.left(), box.right(), centre.y() + radius * 0.42, radius * 0.08, radius * 0.9, 1.7));
  p.setClipping(false);

  // Level gauge: a vertical scale with ticks on the left half.
  const qreal gx = centre.x() - radius * 0.35;
  p.setPen(QPen(Qt::white, std::max<qreal>(1.0, radius * 0.07), Qt::SolidLine, Qt::RoundCap));
  p.drawLine(QPointF(gx, centre.y() - radius * 0.62), QPointF(gx, centre.y() + radius * 0.62));
  for (int i = -2; i <= 2; ++i) {
    const qreal ty = centre.y() + i * radius * 0.28;
    p.drawLine(QPointF(gx, ty), QPointF(gx + radius * (i == 0 ? 0.32 : 0.18), ty));
  }
  // Marker at the water line.
  QPainterPath marker;
  const qreal my = centre.y() + radius * 0.05;
  marker.moveTo(gx + radius * 0.45, my);
  marker.lineTo(gx + radius * 0.72, my - radius * 0.16);
  marker.lineTo(gx + radius * 0.72, my + radius * 0.16);
  marker.closeSubpath();
  p.fillPath(marker, kFreshGreen);

  // The ring.
  QLinearGradient ring(box.topLeft(), box.bottomRight());
  ring.setColorAt(0, kLightCyan);
  ring.setColorAt(1, kWaterBlue);
  p.setPen(QPen(QBrush(ring), std::max<qreal>(1.5, radius * 0.1)));
  p.setBrush(Qt::NoBrush);
  p.drawEllipse(centre, radius, radius);
  p.restore();
}

QImage DrawBanner(const Texts& texts) {
  QImage image(480, 112, QImage::Format_RGB32);
  image.fill(Qt::black);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  p.setRenderHint(QPainter::TextAntialiasing);

  // Waves along the bottom edge.
  QPainterPath sea = Wave(0, 480, 92, 4, 120, 0);
  sea.lineTo(480, 112);
  sea.lineTo(0, 112);
  sea.closeSubpath();
  QLinearGradient seaFill(0, 86, 0, 112);
  seaFill.setColorAt(0, QColor(20, 80, 150));
  seaFill.setColorAt(1, QColor(0, 10, 30));
  p.fillPath(sea, seaFill);
  p.setPen(QPen(QColor(90, 190, 255, 200), 1.6));
  p.drawPath(Wave(0, 480, 92, 4, 120, 0));
  p.setPen(QPen(QColor(90, 190, 255, 110), 1.2));
  p.drawPath(Wave(0, 480, 100, 3, 90, 1.4));
  p.setPen(QPen(QColor(90, 190, 255, 60), 1.0));
  p.drawPath(Wave(0, 480, 106, 2, 70, 2.6));

  // Title: "Quorvane-HX" with "Lite" after it, right-aligned.
  const QFont titleFont = FontOf(LatinFamily(), 36, QFont::Bold);
  const QFont liteFont = FontOf(LatinFamily(), 22, QFont::Normal);
  const QString title = QStringLiteral("Quorvane-HX");
  const QString lite = QStringLiteral("Lite");
  const QFontMetricsF titleMetrics(titleFont);
  const QFontMetricsF liteMetrics(liteFont);
  const qreal right = 468;
  const qreal liteWidth = liteMetrics.horizontalAdvance(lite);
  const qreal titleWidth = titleMetrics.horizontalAdvance(title);
  const qreal baseline = 46;
  const qreal titleLeft = right - liteWidth - 8 - titleWidth;

  QPainterPath titlePath;
  titlePath.addText(QPointF(titleLeft, baseline), titleFont, title);
  QLinearGradient titleFill(0, baseline - 30, 0, baseline);
  titleFill.setColorAt(0, Qt::white);
  titleFill.setColorAt(1, kLightCyan);
  p.fillPath(titlePath, titleFill);
  p.setFont(liteFont);
  p.setPen(kFreshGreen);
  p.drawText(QPointF(right - liteWidth, baseline), lite);

  // Thin rule under the title.
  QLinearGradient rule(titleLeft, 0, right, 0);
  rule.setColorAt(0, QColor(0, 0, 0, 0));
  rule.setColorAt(0.3, kWaterBlue);
  rule.setColorAt(1, kLightCyan);
  p.fillRect(QRectF(titleLeft, baseline + 7, right - titleLeft, 1.5), rule);

  // Subtitle in the picture's language.
  const QFont subtitleFont = FontOf(texts.language == QLatin1String("ja") ? JapaneseFamily() : LatinFamily(), 15);
  p.setFont(subtitleFont);
  p.setPen(QColor(220, 230, 240));
  const qreal subtitleWidth = QFontMetricsF(subtitleFont).horizontalAdvance(texts.bannerSubtitle);
  p.drawText(QPointF(right - subtitleWidth, baseline + 27), texts.bannerSubtitle);
  p.end();
  return image;
}

QImage DrawLogo(const Texts& texts) {
  QImage image(142, 65, QImage::Format_RGB32);
  image.fill(Qt::black);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  p.setRenderHint(QPainter::TextAntialiasing);
  DrawEmblem(p, QRectF(4, 6, 53, 53));

  const QFont nameFont = FontOf(LatinFamily(), 25, QFont::Bold);
  QPainterPath name;
  name.addText(QPointF(64, 35), nameFont, QStringLiteral("QHX"));
  QLinearGradient nameFill(0, 14, 0, 35);
  nameFill.setColorAt(0, Qt::white);
  nameFill.setColorAt(1, kLightCyan);
  p.fillPath(name, nameFill);

  const QFont captionFont = FontOf(texts.language == QLatin1String("ja") ? JapaneseFamily() : LatinFamily(),
                                   texts.language == QLatin1String("ja") ? 13 : 11);
  p.setFont(captionFont);
  p.setPen(kFreshGreen);
  p.drawText(QPointF(65, 53), texts.logoCaption);
  p.end();
  return image;
}

QImage DrawIcon() {
  QImage image(64, 64, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  QRadialGradient back(QPointF(32, 32), 31);
  back.setColorAt(0, QColor(20, 30, 50));
  back.setColorAt(1, QColor(0, 0, 0));
  p.setBrush(back);
  p.setPen(Qt::NoPen);
  p.drawEllipse(QPointF(32, 32), 31, 31);
  DrawEmblem(p, QRectF(3, 3, 58, 58));
  p.end();
  return image;
}

bool Save(const QImage& image, const QDir& dir, const QString& name) {
  const QString path = dir.filePath(name);
  if (image.save(path, "PNG")) {
    QTextStream(stdout) << "wrote " << path << '\n';
    return true;
  }
  QTextStream(stderr) << "cannot write " << path << '\n';
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  QGuiApplication app(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <output folder>\n", argv[0]);
    return 2;
  }
  const QDir dir(QString::fromLocal8Bit(argv[1]));
  const Texts japanese{QStringLiteral("ja"), QStringLiteral("水位ロガー コントロールソフトウェア"),
                       QStringLiteral("水位計測")};
  const Texts english{QStringLiteral("en"), QStringLiteral("Water-Level Logger Control Software"),
                      QStringLiteral("Water Level")};
  bool ok = true;
  for (const Texts& texts : {japanese, english}) {
    ok = Save(DrawBanner(texts), dir, QStringLiteral("banner_%1.png").arg(texts.language)) && ok;
    ok = Save(DrawLogo(texts), dir, QStringLiteral("logo_%1.png").arg(texts.language)) && ok;
  }
  ok = Save(DrawIcon(), dir, QStringLiteral("icon.png")) && ok;
  return ok ? 0 : 1;
}
