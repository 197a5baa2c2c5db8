#include "pages/dlg_main_system.h"

CDlgMainSystem::CDlgMainSystem(QWidget* parent) : CDevicePage(parent) { setObjectName("CDlgMainSystem"); }

void CDlgMainSystem::Refresh() {}
