#include "log/dlg_terminal.h"

CDlgTerminal::CDlgTerminal(QWidget* parent) : QDialog(parent) { setObjectName("CDlgTerminal"); }
