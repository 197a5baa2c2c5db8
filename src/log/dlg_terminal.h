#pragma once
// The terminal window (placeholder until it is built).
#include <QDialog>

class CDlgTerminal : public QDialog {
  Q_OBJECT
 public:
  explicit CDlgTerminal(QWidget* parent = nullptr);
};
