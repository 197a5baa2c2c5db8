#include "app/vtrelix7_comm_view.h"

#include <QPainter>

#include <algorithm>

#include "common/string_table.h"

CVTrelix7CommView::CVTrelix7CommView(CVTrelix7CommDoc* document, QWidget* parent)
    : QWidget(parent), document_(document) {
  setObjectName(QStringLiteral("CVTrelix7CommView"));
  setAttribute(Qt::WA_OpaquePaintEvent);
  LoadPictures();
}

void CVTrelix7CommView::LoadPictures() {
  const QString language = strings::CatalogueLoaded() ? QStringLiteral("en") : QStringLiteral("ja");
  banner_ = QImage(QStringLiteral(":/pictures/banner_%1.png").arg(language));
  logo_ = QImage(QStringLiteral(":/pictures/logo_%1.png").arg(language));
  update();
}

QPoint CVTrelix7CommView::BannerPosition(const QSize& client, const QSize& picture) {
  return {std::max(0, client.width() - picture.width()), client.height() - picture.height()};
}

QPoint CVTrelix7CommView::LogoPosition(const QSize& client, const QSize& picture) {
  return {std::max(0, client.width() - picture.width()), 0};
}

void CVTrelix7CommView::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), Qt::black);
  if (!banner_.isNull()) painter.drawImage(BannerPosition(size(), banner_.size()), banner_);
  if (!logo_.isNull()) painter.drawImage(LogoPosition(size(), logo_.size()), logo_);
}
