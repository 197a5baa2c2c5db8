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
#include <QWidget>

#include <vector>

class CDuLayout {
 public:
  void Add(QWidget* widget, const QRect& units);
  // Places every control for the parent's current font; returns the size of
  // the template (`templateUnits`, in dialog units) after the growth.
  QSize Apply(const QWidget* parent, const QSize& templateUnits);

 private:
  struct Placed {
    QPointer<QWidget> widget;
    QRect units;
  };
  std::vector<Placed> placed_;
};

// The room a control's text needs at `size`: the width and height it must at
// least have so that its whole text shows. A control without a text of its
// own (edits, lists, pictures) needs no more than it has.
QSize TextRoomNeeded(const QWidget* widget, const QSize& size);
