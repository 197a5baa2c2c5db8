#include "firmware/dlg_firm.h"

CDlgFirm::CDlgFirm(QWidget* parent) : QDialog(parent) { setObjectName("CDlgFirm"); }
