#pragma once
// The readout range dialog ("回収データ指定"): shows how many records the
// memory holds and asks for the last ID and the number of records to read.
// The caller sets the last ID and count, runs it modally and, on OK, reads
// the entered values back.
#include <QDialog>

class QLabel;
class QLineEdit;

class CDeviceHost;

class CDlgInputRdALLID : public QDialog {
  Q_OBJECT
 public:
  explicit CDlgInputRdALLID(CDeviceHost& host, QWidget* owner = nullptr);

  // The proposed range; fills the summary line and both edits.
  void SetRange(int lastId, int count);
  int LastId() const { return lastId_; }
  int Count() const { return count_; }

  // The summary line for a last ID and count, as the dialog shows it.
  static QString SummaryText(int lastId, int count);
  // An edit's text as a decimal number: its leading digits, 0 when there are
  // none, capped at the largest int.
  static int LeadingNumber(const QString& text);

 public slots:
  // Takes the entries and closes only when the count is above 0.
  void OnOk();

 private:
  int lastId_ = 0;
  int count_ = 0;
  QLabel* summary_;
  QLineEdit* lastIdEdit_;
  QLineEdit* countEdit_;
};
