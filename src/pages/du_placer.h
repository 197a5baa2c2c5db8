#pragma once
// Places the controls of a device page in dialog units of the page's font,
// and places them again when the font changes (the page host gives each page
// its font after creating it).
#include <QRect>
#include <QString>
#include <QWidget>

#include <vector>

class CDuPlacer {
 public:
  explicit CDuPlacer(QWidget* page) : page_(page) {}

  // Makes the widget a child of the page at (x, y) with the size, in dialog
  // units, and names it "ctl<id>" when the id is not 0.
  template <class W>
  W* Place(W* widget, int x, int y, int width, int height, int id = 0) {
    widget->setParent(page_);
    if (id != 0) widget->setObjectName(QStringLiteral("ctl%1").arg(id));
    placed_.push_back({widget, QRect(x, y, width, height)});
    widget->setGeometry(ToPixels(placed_.back().units));
    return widget;
  }
  // Places every control again for the page's current font.
  void Relayout();
  QRect ToPixels(const QRect& units) const;

 private:
  struct Placed {
    QWidget* widget;
    QRect units;
  };
  QWidget* page_;
  std::vector<Placed> placed_;
};
