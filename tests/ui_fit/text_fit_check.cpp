#include "text_fit_check.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTabBar>
#include <QTextDocument>

namespace {

QString Describe(const QWidget* w, const QString& text, int need, int have) {
  return QStringLiteral("%1 %2 \"%3\" needs %4 px, has %5")
      .arg(QString::fromLatin1(w->metaObject()->className()), w->objectName(), text)
      .arg(need)
      .arg(have);
}

int PlainWidth(const QFontMetrics& fm, const QString& text) {
  int widest = 0;
  for (const QString& line : text.split(QLatin1Char('\n'))) widest = std::max(widest, fm.horizontalAdvance(line));
  return widest;
}

void CheckLabel(const QLabel* label, QStringList* cut) {
  if (label->text().isEmpty() || !label->pixmap().isNull()) return;
  const QFontMetrics fm(label->font());
  QRect room = label->contentsRect().adjusted(label->margin(), label->margin(), -label->margin(), -label->margin());
  const bool rich = label->textFormat() == Qt::RichText ||
                    (label->textFormat() == Qt::AutoText && Qt::mightBeRichText(label->text()));
  if (rich) {
    QTextDocument doc;
    doc.setDefaultFont(label->font());
    doc.setHtml(label->text());
    if (label->wordWrap()) doc.setTextWidth(room.width());
    const int needW = static_cast<int>(doc.idealWidth());
    const int needH = static_cast<int>(doc.size().height());
    if (needW > room.width())
      *cut << Describe(label, label->text(), needW, room.width());
    else if (label->wordWrap() && needH > room.height())
      *cut << Describe(label, label->text(), needH, room.height());
    return;
  }
  if (!label->wordWrap()) {
    const int need = PlainWidth(fm, label->text());
    if (need > room.width()) *cut << Describe(label, label->text(), need, room.width());
    return;
  }
  const QRect wrapped = fm.boundingRect(QRect(0, 0, room.width(), 100000), Qt::TextWordWrap, label->text());
  if (wrapped.width() > room.width())
    *cut << Describe(label, label->text(), wrapped.width(), room.width());
  else if (wrapped.height() > room.height())
    *cut << Describe(label, label->text() + QStringLiteral(" (height)"), wrapped.height(), room.height());
}

void CheckButton(const QAbstractButton* button, QStringList* cut) {
  if (button->text().isEmpty()) return;
  QStyleOptionButton option;
  option.initFrom(button);
  option.text = button->text();
  option.icon = button->icon();
  option.iconSize = button->iconSize();
  QStyle::SubElement element = QStyle::SE_PushButtonContents;
  if (qobject_cast<const QCheckBox*>(button) != nullptr) element = QStyle::SE_CheckBoxContents;
  if (qobject_cast<const QRadioButton*>(button) != nullptr) element = QStyle::SE_RadioButtonContents;
  const QRect room = button->style()->subElementRect(element, &option, button);
  int need = QFontMetrics(button->font()).size(Qt::TextShowMnemonic, button->text()).width();
  if (!button->icon().isNull()) need += button->iconSize().width();
  if (need > room.width()) *cut << Describe(button, button->text(), need, room.width());
}

void CheckGroupBox(const QGroupBox* box, QStringList* cut) {
  if (box->title().isEmpty()) return;
  const int need = QFontMetrics(box->font()).size(Qt::TextShowMnemonic, box->title()).width();
  if (need > box->width()) *cut << Describe(box, box->title(), need, box->width());
}

void CheckTabBar(const QTabBar* bar, QStringList* cut) {
  const QFontMetrics fm(bar->font());
  for (int i = 0; i < bar->count(); ++i) {
    const QRect tab = bar->tabRect(i);
    const int need = fm.size(Qt::TextShowMnemonic, bar->tabText(i)).width();
    if (need > tab.width()) *cut << Describe(bar, bar->tabText(i), need, tab.width());
    // A tab beyond the bar's end shows only behind scroll buttons.
    else if (tab.right() >= bar->width())
      *cut << Describe(bar, bar->tabText(i), tab.right() + 1, bar->width());
  }
}

void CheckHeader(const QHeaderView* header, QStringList* cut) {
  if (header->orientation() != Qt::Horizontal || header->model() == nullptr) return;
  const QFontMetrics fm(header->font());
  const int margin = header->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header);
  for (int i = 0; i < header->count(); ++i) {
    if (header->isSectionHidden(i)) continue;
    const QString text = header->model()->headerData(i, Qt::Horizontal).toString();
    if (text.isEmpty()) continue;
    const int need = fm.horizontalAdvance(text) + 2 * margin;
    if (need > header->sectionSize(i)) *cut << Describe(header, text, need, header->sectionSize(i));
  }
}

void Check(const QWidget* w, QStringList* cut) {
  if (auto* label = qobject_cast<const QLabel*>(w))
    CheckLabel(label, cut);
  else if (auto* button = qobject_cast<const QAbstractButton*>(w))
    CheckButton(button, cut);
  else if (auto* box = qobject_cast<const QGroupBox*>(w))
    CheckGroupBox(box, cut);
  else if (auto* bar = qobject_cast<const QTabBar*>(w))
    CheckTabBar(bar, cut);
  else if (auto* header = qobject_cast<const QHeaderView*>(w))
    CheckHeader(header, cut);
}

}  // namespace

QStringList CutTexts(const QWidget* window) {
  QStringList cut;
  if (window == nullptr) return cut;
  Check(window, &cut);
  for (const QWidget* w : window->findChildren<QWidget*>())
    if (w->window() == window && w->isVisible()) Check(w, &cut);
  return cut;
}
