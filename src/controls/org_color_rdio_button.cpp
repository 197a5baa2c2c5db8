#include "controls/org_color_rdio_button.h"

#include <QPainter>

COrgColorRdioButton::COrgColorRdioButton(QWidget* parent) : QRadioButton(parent) {}

COrgColorRdioButton::COrgColorRdioButton(const QString& text, QWidget* parent) : QRadioButton(text, parent) {}

void COrgColorRdioButton::paintEvent(QPaintEvent* event) {
  if (!isEnabled() || !isChecked()) {
    QRadioButton::paintEvent(event);
    return;
  }
  QPainter painter(this);
  const QRect block = rect().adjusted(2, 2, -2, -2);
  painter.fillRect(block, hasFocus() ? focusFillColor_ : fillColor_);

  int horizontal = Qt::AlignHCenter;
  if (captionAlignment_ & Qt::AlignLeft)
    horizontal = Qt::AlignLeft;
  else if (captionAlignment_ & Qt::AlignRight)
    horizontal = Qt::AlignRight;
  painter.setPen(textColor_);
  painter.setFont(font());
  const int flags = horizontal | Qt::AlignVCenter | Qt::TextSingleLine | Qt::TextShowMnemonic;
  painter.drawText(block.adjusted(2, 2, -2, -2), flags, text());
}
