#include "pages/dlg_main_recode_data.h"

CDlgMainRecodeData::CDlgMainRecodeData(QWidget* parent) : CDevicePage(parent) { setObjectName("CDlgMainRecodeData"); }

void CDlgMainRecodeData::Refresh() {}
