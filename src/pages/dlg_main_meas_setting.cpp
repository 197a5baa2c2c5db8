#include "pages/dlg_main_meas_setting.h"

CDlgMainMeasSetting::CDlgMainMeasSetting(QWidget* parent) : CDevicePage(parent) { setObjectName("CDlgMainMeasSetting"); }

void CDlgMainMeasSetting::Refresh() {}
