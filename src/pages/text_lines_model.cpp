#include "pages/text_lines_model.h"

#include <cstring>

#include "common/codepage.h"

CTextLinesModel::CTextLinesModel(const std::string& text, QObject* parent) : QAbstractListModel(parent), text_(text) {
  const char* const begin = text_.data();
  const char* const end = begin + text_.size();
  size_t longestBytes = 0;
  for (const char* p = begin; p < end;) {
    const char* lf = static_cast<const char*>(std::memchr(p, '\n', static_cast<size_t>(end - p)));
    const char* stop = lf != nullptr ? lf : end;
    if (static_cast<size_t>(stop - p) >= longestBytes) {
      longestBytes = static_cast<size_t>(stop - p);
      longest_ = static_cast<int>(starts_.size());
    }
    starts_.push_back(static_cast<uint32_t>(p - begin));
    p = lf != nullptr ? lf + 1 : end;
  }
  endsWithLineEnd_ = !text_.empty() && text_.back() == '\n';
}

int CTextLinesModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(starts_.size());
}

QString CTextLinesModel::Line(int row) const {
  if (row < 0 || row >= static_cast<int>(starts_.size())) return QString();
  const size_t start = starts_[static_cast<size_t>(row)];
  size_t stop = static_cast<size_t>(row) + 1 < starts_.size() ? starts_[static_cast<size_t>(row) + 1] : text_.size();
  if (stop > start && text_[stop - 1] == '\n') --stop;
  if (stop > start && text_[stop - 1] == '\r') --stop;
  return QString::fromStdString(codepage::AnsiToUtf8(text_.substr(start, stop - start)));
}

QVariant CTextLinesModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return QVariant();
  if (role == Qt::DisplayRole) return Line(index.row());
  if (role == Qt::SizeHintRole && rowSize_.isValid()) return rowSize_;
  return QVariant();
}
