#pragma once
// The current-value monitor of the test page: "取得" reads the logger's
// current values ("RD REL") and lists the first four fields of the reply (id,
// date, battery, water level). A failed read says why and shows the last
// values read in this monitor again; a reply without them says that no value
// was read and shows none.
#include <QDialog>

#include <string>
#include <vector>

#include "work/device_host.h"
#include "work/working_thread.h"

class QPushButton;
class QTableWidget;

class CDlgNowMonitor : public QDialog {
  Q_OBJECT
 public:
  static constexpr int kIdList = 1039;
  static constexpr int kIdRead = 1264;
  static constexpr int kIdNote = 1363;

  explicit CDlgNowMonitor(CDeviceHost& host, QWidget* parent = nullptr);
  // Joins a running worker before the members its work uses are destroyed.
  ~CDlgNowMonitor() override;

  // Worker thread: reads the current values.
  int DoWork();

  // The fields shown: id, date, battery, level (the logger's code page).
  const std::vector<std::string>& Fields() const { return fields_; }
  QTableWidget* List() const { return list_; }

 public slots:
  // "取得".
  void Read();

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void Rebuild();
  void SizeColumns();

  CDeviceHost& host_;
  std::vector<std::string> fields_;
  std::string message_;
  QTableWidget* list_;
  QPushButton* read_;
  // Last: its worker is joined before the members above go.
  CVTCWorkingThread runner_{[this] { return DoWork(); }};
};
