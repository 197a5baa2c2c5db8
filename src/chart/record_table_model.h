#pragma once
// The records of a chart series as table rows (ID, logger time, level,
// battery), drawn from the series itself: no copy, no widget per cell.
#include <QAbstractTableModel>

#include "chart/record_series.h"

class CRecordTableModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  explicit CRecordTableModel(QObject* parent = nullptr);

  // `series` must outlive the model or be replaced by the next call.
  void SetSeries(const chart::RecordSeries* series);

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

 private:
  const chart::RecordSeries* series_ = nullptr;
};
