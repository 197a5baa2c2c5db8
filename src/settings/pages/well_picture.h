#pragma once
// The explanatory picture of the judgement criteria page: a well with a
// sensor hanging in the water, the water surface, the upper and lower limits
// and the three zones they make (event state above the upper limit, normal
// state between the limits, event state below the lower limit). Drawn at run
// time so that its labels follow the language of the string table.
#include <QImage>
#include <QWidget>

// The picture, 270 x 330 pixels.
QImage DrawWellPicture(const QString& fontFamily);

// Shows the picture stretched over the whole widget.
class CWellPictureView : public QWidget {
  Q_OBJECT

 public:
  explicit CWellPictureView(const QString& fontFamily, QWidget* parent = nullptr);
  const QImage& Picture() const { return picture_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QImage picture_;
};
