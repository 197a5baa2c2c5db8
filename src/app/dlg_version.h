#pragma once
// The version box ("バージョン情報"): the program icon, the product title, the
// version text and an OK button.
#include <QDialog>

class QLabel;

class CDlgVersion : public QDialog {
  Q_OBJECT
 public:
  static constexpr int kIdVersion = 1332;

  explicit CDlgVersion(QWidget* parent = nullptr);

  QLabel* VersionLabel() const { return version_; }

 private:
  QLabel* version_;
};
