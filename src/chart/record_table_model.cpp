#include "chart/record_table_model.h"

#include "archive/record_line.h"
#include "chart/chart_strings.h"
#include "common/string_table.h"

CRecordTableModel::CRecordTableModel(QObject* parent) : QAbstractTableModel(parent) {}

void CRecordTableModel::SetSeries(const chart::RecordSeries* series) {
  beginResetModel();
  series_ = series;
  endResetModel();
}

int CRecordTableModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() || series_ == nullptr ? 0 : static_cast<int>(series_->Size());
}

int CRecordTableModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : 4; }

QVariant CRecordTableModel::data(const QModelIndex& index, int role) const {
  if (role == Qt::TextAlignmentRole && index.isValid())
    return index.column() == 1 ? QVariant() : QVariant(Qt::AlignRight | Qt::AlignVCenter);
  if (role != Qt::DisplayRole || series_ == nullptr || !index.isValid()) return {};
  const auto row = static_cast<size_t>(index.row());
  switch (index.column()) {
    case 0: return series_->id[row];
    case 1: return QString::fromStdString(archive::IsoTime(series_->time[row]));
    case 2: return QString::number(series_->levelM[row], 'f', 4);
    default: return QString::number(series_->batteryV[row], 'f', 3);
  }
}

QVariant CRecordTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role != Qt::DisplayRole || orientation != Qt::Horizontal)
    return QAbstractTableModel::headerData(section, orientation, role);
  static const uint32_t kIds[] = {strings::id::kArchiveIdColumn, strings::id::kArchiveTimeColumn,
                                  strings::id::kChartLevelSeries, strings::id::kChartBatterySeries};
  return section >= 0 && section < 4 ? QString::fromStdString(strings::Text(kIds[section])) : QVariant();
}
