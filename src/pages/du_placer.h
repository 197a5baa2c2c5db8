#pragma once
// Places the controls of a device page in dialog units of the page's font,
// and places them again when the font changes (the page host gives each page
// its font after creating it) or a text changes. A text that needs more room
// than its units give it widens its control and moves the controls beyond it
// (CDuLayout); the page's minimum size follows.
#include <QObject>
#include <QRect>
#include <QString>
#include <QWidget>

#include "controls/du_layout.h"

class CDuPlacer {
 public:
  explicit CDuPlacer(QWidget* page);

  // Makes the widget a child of the page at (x, y) with the size, in dialog
  // units, and names it "ctl<id>" when the id is not 0.
  template <class W>
  W* Place(W* widget, int x, int y, int width, int height, int id = 0) {
    widget->setParent(page_);
    if (id != 0) widget->setObjectName(QStringLiteral("ctl%1").arg(id));
    layout_.Add(widget, QRect(x, y, width, height));
    reach_ = reach_.expandedTo(QSize(x + width, y + height));
    Relayout();
    return widget;
  }
  // Places every control again for the page's current font and texts.
  void Relayout();

 private:
  // Places the controls again when the page's font or a control's text changes.
  class Watcher : public QObject {
   public:
    explicit Watcher(CDuPlacer* placer) : placer_(placer) {}
    bool eventFilter(QObject* watched, QEvent* event) override;

   private:
    CDuPlacer* placer_;
  };
  QWidget* page_;
  Watcher watcher_{this};
  CDuLayout layout_;
  QSize reach_;
};
