#include "controls/du_layout.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QEvent>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTextDocument>

#include <algorithm>

#include "controls/dialog_units.h"

namespace {

// Controls whose rectangles overlap by up to this many pixels still count as
// lying one after the other.
constexpr int kOverlapTolerance = 4;

QRect ToPixels(const QFont& font, const QRect& units) {
  const QSize origin = DialogUnitsToPixels(font, units.x(), units.y());
  return QRect(QPoint(origin.width(), origin.height()), DialogUnitsToPixels(font, units.width(), units.height()));
}

// Where the controls of one axis move: a control that needs `over` more
// pixels pushes everything that starts at or after its end by that much plus
// what pushed the control itself.
class AxisWarp {
 public:
  struct Span {
    int start;
    int end;
    int over;
  };
  explicit AxisWarp(std::vector<Span> spans) {
    std::sort(spans.begin(), spans.end(), [](const Span& a, const Span& b) { return a.end < b.end; });
    for (const Span& s : spans)
      if (s.over > 0) marks_.push_back({s.end, ShiftAt(s.start) + s.over});
  }
  int ShiftAt(int position) const {
    int shift = 0;
    for (const Mark& m : marks_)
      if (m.end - kOverlapTolerance <= position) shift = std::max(shift, m.shift);
    return shift;
  }

 private:
  struct Mark {
    int end;
    int shift;
  };
  std::vector<Mark> marks_;
};

QSize TextSize(const QFont& font, const QString& text, bool rich) {
  if (rich) {
    QTextDocument doc;
    doc.setDefaultFont(font);
    doc.setDocumentMargin(0);
    doc.setHtml(text);
    return QSize(static_cast<int>(doc.idealWidth() + 0.999), static_cast<int>(doc.size().height() + 0.999));
  }
  return QFontMetrics(font).size(Qt::TextShowMnemonic, text);
}

QSize LabelRoom(const QLabel* label, const QSize& size) {
  if (label->text().isEmpty()) return size;
  const QFontMetrics fm(label->font());
  const bool rich = label->textFormat() == Qt::RichText ||
                    (label->textFormat() == Qt::AutoText && Qt::mightBeRichText(label->text()));
  const QSize text = TextSize(label->font(), label->text(), rich);
  // What the frame, the margins and the indent take.
  int indent = label->indent();
  if (indent < 0) indent = label->frameWidth() > 0 ? fm.horizontalAdvance(QLatin1Char('x')) / 2 : 0;
  const int frameW = label->width() - label->contentsRect().width() + 2 * label->margin() + indent;
  const int frameH = label->height() - label->contentsRect().height() + 2 * label->margin();
  // A wrapping label as tall as two lines or more is meant to wrap: it keeps
  // its width and needs the height of its wrapped text.
  if (label->wordWrap() && size.height() - frameH >= 2 * fm.lineSpacing())
    return QSize(size.width(), label->heightForWidth(size.width()));
  return QSize(text.width() + frameW, text.height() + frameH);
}

QSize ButtonRoom(const QAbstractButton* button, const QSize& size) {
  if (button->text().isEmpty()) return size;
  QStyleOptionButton option;
  option.initFrom(button);
  option.rect = QRect(QPoint(), size);
  option.text = button->text();
  option.icon = button->icon();
  option.iconSize = button->iconSize();
  QStyle::SubElement contents = QStyle::SE_PushButtonContents;
  int breathing = QFontMetrics(button->font()).averageCharWidth();
  if (qobject_cast<const QCheckBox*>(button) != nullptr) {
    contents = QStyle::SE_CheckBoxContents;
    breathing = 2;
  } else if (qobject_cast<const QRadioButton*>(button) != nullptr) {
    contents = QStyle::SE_RadioButtonContents;
    breathing = 2;
  }
  const QRect room = button->style()->subElementRect(contents, &option, button);
  QSize text = TextSize(button->font(), button->text(), false);
  if (!button->icon().isNull()) text.rwidth() += button->iconSize().width() + 4;
  return QSize(text.width() + breathing + size.width() - room.width(), text.height() + size.height() - room.height());
}

QSize GroupBoxRoom(const QGroupBox* box, const QSize& size) {
  if (box->title().isEmpty()) return size;
  const QFontMetrics fm(box->font());
  return QSize(fm.size(Qt::TextShowMnemonic, box->title()).width() + 2 * fm.averageCharWidth() + 16, size.height());
}

}  // namespace

QSize TextRoomNeeded(const QWidget* widget, const QSize& size) {
  if (auto* label = qobject_cast<const QLabel*>(widget)) return LabelRoom(label, size);
  if (auto* button = qobject_cast<const QAbstractButton*>(widget)) return ButtonRoom(button, size);
  if (auto* box = qobject_cast<const QGroupBox*>(widget)) return GroupBoxRoom(box, size);
  return size;
}

// Places an attached page's controls again when its font or a control's text
// changes.
class CDuLayout::Watcher : public QObject {
 public:
  explicit Watcher(CDuLayout* layout) : layout_(layout) {}
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::LayoutRequest || event->type() == QEvent::FontChange) layout_->Relayout();
    return QObject::eventFilter(watched, event);
  }

 private:
  CDuLayout* layout_;
};

namespace {
// Room kept beyond the right-most and lowest control of an attached page, in
// dialog units.
constexpr int kPageMarginUnits = 7;
}  // namespace

CDuLayout::CDuLayout() = default;

CDuLayout::CDuLayout(QWidget* page) : page_(page), watcher_(std::make_unique<Watcher>(this)) {
  page_->installEventFilter(watcher_.get());
}

CDuLayout::~CDuLayout() = default;

void CDuLayout::Relayout() {
  if (page_ != nullptr) page_->setMinimumSize(Apply(page_, reach_ + QSize(kPageMarginUnits, kPageMarginUnits)));
}

void CDuLayout::Add(QWidget* widget, const QRect& units) { placed_.push_back({widget, units}); }

QSize CDuLayout::Apply(const QWidget* parent, const QSize& templateUnits) {
  const QFont& font = parent->font();
  std::vector<QRect> rects;
  rects.reserve(placed_.size());
  for (const Placed& p : placed_) rects.push_back(ToPixels(font, p.units));

  auto overOf = [](int need, int have) { return std::max(0, need - have); };
  std::vector<AxisWarp::Span> xs;
  for (size_t i = 0; i < placed_.size(); ++i) {
    QWidget* w = placed_[i].widget;
    const QRect& r = rects[i];
    const int over = w != nullptr && !w->isHidden() ? overOf(TextRoomNeeded(w, r.size()).width(), r.width()) : 0;
    xs.push_back({r.left(), r.left() + r.width(), over});
  }
  const AxisWarp warpX(xs);
  for (QRect& r : rects) {
    const int left = r.left() + warpX.ShiftAt(r.left());
    const int right = r.left() + r.width() + warpX.ShiftAt(r.left() + r.width());
    r.setLeft(left);
    r.setWidth(right - left);
  }

  std::vector<AxisWarp::Span> ys;
  for (size_t i = 0; i < placed_.size(); ++i) {
    QWidget* w = placed_[i].widget;
    const QRect& r = rects[i];
    const int over = w != nullptr && !w->isHidden() ? overOf(TextRoomNeeded(w, r.size()).height(), r.height()) : 0;
    ys.push_back({r.top(), r.top() + r.height(), over});
  }
  const AxisWarp warpY(ys);
  QSize reach(0, 0);
  for (size_t i = 0; i < placed_.size(); ++i) {
    QRect& r = rects[i];
    const int top = r.top() + warpY.ShiftAt(r.top());
    const int bottom = r.top() + r.height() + warpY.ShiftAt(r.top() + r.height());
    r.setTop(top);
    r.setHeight(bottom - top);
    if (QWidget* w = placed_[i].widget) {
      w->setGeometry(r);
      reach = reach.expandedTo(QSize(r.left() + r.width(), r.top() + r.height()));
    }
  }

  const QSize base = DialogUnitsToPixels(font, templateUnits.width(), templateUnits.height());
  const QSize grown(base.width() + warpX.ShiftAt(base.width()), base.height() + warpY.ShiftAt(base.height()));
  return grown.expandedTo(reach);
}
