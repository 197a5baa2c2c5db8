#pragma once
// The level chart with its buttons: back to the whole series, and saving the
// chart as a PNG or SVG picture (the chosen name's suffix decides).
#include <QWidget>

class CLevelChartView;
class QPushButton;

class CLevelChartPanel : public QWidget {
  Q_OBJECT
 public:
  explicit CLevelChartPanel(QWidget* parent = nullptr);
  CLevelChartView* View() const { return view_; }

 public slots:
  // Asks for a path and writes the chart there; false when cancelled or failed.
  bool OnSave();

 private:
  CLevelChartView* view_;
  QPushButton* reset_;
  QPushButton* save_;
};
