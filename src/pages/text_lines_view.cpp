#include "pages/text_lines_view.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QStringList>

#include <algorithm>

#include "pages/text_lines_model.h"

CTextLinesView::CTextLinesView(QWidget* parent) : QListView(parent) {
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setSelectionMode(QAbstractItemView::ExtendedSelection);
  setUniformItemSizes(true);
  setWordWrap(false);
  setTextElideMode(Qt::ElideNone);
  setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
}

void CTextLinesView::SetLines(CTextLinesModel* model) {
  lines_ = model;
  if (model != nullptr) {
    // Every row is as wide as the longest line, so the view scrolls
    // sideways to every line's end without measuring each line.
    const QFontMetrics metrics(font());
    const int width = metrics.horizontalAdvance(model->Line(model->LongestLine())) + 2 * metrics.averageCharWidth();
    model->SetRowSize(QSize(std::max(1, width), metrics.height()));
  }
  setModel(model);
}

QString CTextLinesView::SelectedText() const {
  if (lines_ == nullptr || selectionModel() == nullptr) return QString();
  QModelIndexList selected = selectionModel()->selectedIndexes();
  std::sort(selected.begin(), selected.end(),
            [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
  QStringList lines;
  lines.reserve(selected.size());
  for (const QModelIndex& index : selected) lines << lines_->Line(index.row());
  return lines.join(QLatin1Char('\n'));
}

void CTextLinesView::CopySelection() const {
  if (QClipboard* clipboard = QGuiApplication::clipboard()) clipboard->setText(SelectedText());
}

void CTextLinesView::keyPressEvent(QKeyEvent* event) {
  if (event == QKeySequence::Copy) {
    CopySelection();
    event->accept();
    return;
  }
  QListView::keyPressEvent(event);
}
