#pragma once
// Controls placed in dialog units of their parent's font. The units give the
// arrangement (order, alignment, grouping); a control whose text needs more
// room than its units give it grows, and everything that lies to its right
// (or below it) moves along by the same amount. Columns stay aligned, nothing
// overlaps, a box that holds controls grows around them, and the parent's
// template size grows with them. Where every text fits, the result is exactly
// the dialog-unit layout.
#include <QPointer>
#include <QRect>
#include <QSize>
#include <QString>
#include <QWidget>

#include <memory>
#include <vector>

class CDuLayout {
 public:
  CDuLayout();
  // Attached to a page: Place() makes each control a child of the page, and
  // the page's controls are placed again when its font changes (the page host
  // gives each page its font after creating it) or a text changes; the page's
  // minimum size follows.
  explicit CDuLayout(QWidget* page);
  ~CDuLayout();
  CDuLayout(const CDuLayout&) = delete;
  CDuLayout& operator=(const CDuLayout&) = delete;

  void Add(QWidget* widget, const QRect& units);
  // Places every control for the parent's current font; returns the size of
  // the template (`templateUnits`, in dialog units) after the growth.
  QSize Apply(const QWidget* parent, const QSize& templateUnits);

  // Attached layouts: makes the widget a child of the page at (x, y) with the
  // size, in dialog units, and names it "ctl<id>" when the id is not 0.
  template <class W>
  W* Place(W* widget, int x, int y, int width, int height, int id = 0) {
    widget->setParent(page_);
    if (id != 0) widget->setObjectName(QStringLiteral("ctl%1").arg(id));
    Add(widget, QRect(x, y, width, height));
    reach_ = reach_.expandedTo(QSize(x + width, y + height));
    Relayout();
    return widget;
  }
  // Attached layouts: places every control again for the page's current font
  // and texts.
  void Relayout();

 private:
  struct Placed {
    QPointer<QWidget> widget;
    QRect units;
  };
  class Watcher;

  std::vector<Placed> placed_;
  QWidget* page_ = nullptr;
  std::unique_ptr<Watcher> watcher_;
  QSize reach_;
};

// The room a control's text needs at `size`: the width and height it must at
// least have so that its whole text shows. A control without a text of its
// own (edits, lists, pictures) needs no more than it has.
QSize TextRoomNeeded(const QWidget* widget, const QSize& size);
