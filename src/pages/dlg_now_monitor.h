#pragma once
// The current-value monitor of the test page: "取得" reads the logger's
// current values ("RD REL") and lists the first four fields of the reply (id,
// date, battery, water level). A failed read shows the last reply received
// in this monitor again, without a message.
#include <QDialog>

#include <string>

#include "work/working_thread.h"

class QPushButton;
class QTableWidget;

class CDlgNowMonitor : public QDialog, public CVTCWorkingThread {
  Q_OBJECT
 public:
  static constexpr int kIdList = 1039;
  static constexpr int kIdRead = 1264;
  static constexpr int kIdNote = 1363;

  explicit CDlgNowMonitor(QWidget* parent = nullptr);

  // Worker thread: reads the current values into the reply.
  int DoWork() override;

  const std::string& Reply() const { return reply_; }
  QTableWidget* List() const { return list_; }

 public slots:
  // "取得".
  void Read();

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void Rebuild();
  void SizeColumns();

  std::string reply_;
  QTableWidget* list_;
  QPushButton* read_;
};
