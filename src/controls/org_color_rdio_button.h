#pragma once
// A radio button that, while enabled and selected, paints itself as a
// coloured block with its caption (yellow on blue, light blue while it has
// the focus); otherwise it looks like any radio button.
#include <QColor>
#include <QRadioButton>

class COrgColorRdioButton : public QRadioButton {
  Q_OBJECT

 public:
  explicit COrgColorRdioButton(QWidget* parent = nullptr);
  explicit COrgColorRdioButton(const QString& text, QWidget* parent = nullptr);

  QColor FillColor() const { return fillColor_; }
  QColor TextColor() const { return textColor_; }
  QColor FocusFillColor() const { return focusFillColor_; }

  // Horizontal placement of the caption in the block: Qt::AlignLeft,
  // Qt::AlignRight, anything else centres it (the default).
  void SetCaptionAlignment(Qt::Alignment alignment) { captionAlignment_ = alignment; }
  Qt::Alignment CaptionAlignment() const { return captionAlignment_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QColor fillColor_{80, 80, 240};
  QColor textColor_{255, 255, 0};
  QColor focusFillColor_{0, 175, 255};
  Qt::Alignment captionAlignment_ = Qt::AlignHCenter;
};
