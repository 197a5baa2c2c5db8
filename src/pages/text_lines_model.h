#pragma once
// The lines of a readout text as a list model, for the data viewer. The model
// keeps only where each line starts; a line is converted from the logger's
// code page when the view asks for it, which it does for the rows it shows.
// A line ends at its LF; a CR just before the LF is not shown.
#include <QAbstractListModel>
#include <QSize>

#include <cstdint>
#include <string>
#include <vector>

class CTextLinesModel : public QAbstractListModel {
  Q_OBJECT
 public:
  // The text stays owned by the caller and must outlive the model.
  explicit CTextLinesModel(const std::string& text, QObject* parent = nullptr);

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

  // The line as shown (UTF-8 converted, without its line end).
  QString Line(int row) const;
  // The index of the line with the most bytes (-1 without lines).
  int LongestLine() const { return longest_; }
  // The size every row reports, so that the view lays out rows without
  // measuring each.
  void SetRowSize(const QSize& size) { rowSize_ = size; }
  // True when the text ends with a line end.
  bool EndsWithLineEnd() const { return endsWithLineEnd_; }

 private:
  const std::string& text_;
  std::vector<uint32_t> starts_;  // where each line begins
  int longest_ = -1;
  bool endsWithLineEnd_ = false;
  QSize rowSize_;
};
