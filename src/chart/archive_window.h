#pragma once
// The loggers in the data archive (records, first and last record, last
// visit, clock drift); for the chosen one, a time range of all its readouts
// as the level chart and as a table, and export of that range as CSV or
// JSON Lines, written by the same exporter as the command line's. Needs no
// logger connected: the caller passes the open archive in.
#include <QDialog>

#include <optional>

#include "archive/archive.h"
#include "archive/export_format.h"
#include "chart/record_series.h"

class CLevelChartPanel;
class CRecordTableModel;
class QDateTimeEdit;
class QTableView;
class QTreeWidget;

class CArchiveWindow : public QDialog {
  Q_OBJECT
 public:
  CArchiveWindow(archive::Archive& archive, QWidget* parent = nullptr);

  // Lists the loggers anew; false (and a message) when the archive failed.
  bool Reload();
  // The chosen logger's serial number (empty: none).
  std::string Serial() const;
  void SelectLogger(int row);
  // The range in calendar seconds of the logger's clock.
  void SetRange(int64_t from, int64_t to);
  // Reads the range of the chosen logger into the chart and the table.
  bool Plot();
  // Writes the range in `format` to `path`; the number written, or nothing
  // (with the reason in *error when given).
  std::optional<int64_t> ExportTo(const QString& path, archive::ExportFormat format, std::string* error = nullptr);

  CLevelChartPanel* Chart() const { return chart_; }
  const chart::RecordSeries& Records() const;
  QTreeWidget* Loggers() const { return loggers_; }
  CRecordTableModel* Table() const { return table_; }

 private:
  void OnLoggerChosen();
  void OnExport(archive::ExportFormat format);
  int64_t From() const;
  int64_t To() const;

  archive::Archive& archive_;
  QTreeWidget* loggers_;
  QDateTimeEdit* from_;
  QDateTimeEdit* to_;
  CLevelChartPanel* chart_;
  CRecordTableModel* table_;
  QTableView* tableView_;
};

// Opens the archive at `path` on its own connection (a readout may be using
// the program's) and shows the window over `owner`; a message when the file
// cannot be opened.
void ShowArchiveWindow(const std::string& path, QWidget* owner);
