#pragma once
// The data viewer ("取得データ"): shows the text of a record or error-log
// readout line by line (selectable, Ctrl+C copies the selected lines) and
// saves it unchanged as a text file (record readouts also as CSV). Resizable,
// never smaller than it opened.
// It holds no copy of the text: its rows are drawn from the caller's bytes.
#include <QDialog>

#include <cstdint>
#include <string>

struct ChartLimits;
class CLevelChartPanel;
class CTextLinesModel;
class CTextLinesView;
class QDateTime;
class QPushButton;

class CDeviceHost;

class CDlgAqcuired : public QDialog {
  Q_OBJECT
 public:
  // What the text holds; selects the proposed file name.
  static constexpr int kRecords = 0;
  static constexpr int kErrorLog = 1;

  // The text stays owned by the caller and must outlive the viewer.
  CDlgAqcuired(CDeviceHost& host, const std::string& text, int kind, QWidget* owner);

  // The text as the viewer shows it: the lines converted from the logger's
  // code page, one line break after each line that has one.
  QString ShownText() const;

  // Record readouts: shows the level chart beside the text, with the
  // judgement limits the logger reported; a time step longer than
  // `samplingSeconds` breaks the line (0: the most common step).
  void ShowChart(const ChartLimits& limits, int64_t samplingSeconds);
  CLevelChartPanel* Chart() const { return chart_; }

  // Marks the text as the part of a readout that broke off (in the title).
  void MarkIncomplete();

  // The file name "TXL_ALL_" / "TXL_ERR_" + local time + ".txt" for the
  // given moment.
  static QString ProposedFileName(int kind, const QDateTime& localTime);

 public slots:
  // Asks for a path and writes the text's bytes there; closes once saved.
  void OnSave();

 private:
  // The records as CSV (header serial,id,time,battery_v,level_m).
  std::string CsvText() const;
  CDeviceHost& host_;
  const std::string& text_;
  int kind_;
  QPushButton* save_;
  QPushButton* close_;
  CTextLinesModel* lines_;
  CTextLinesView* edit_;
  CLevelChartPanel* chart_ = nullptr;
};
