#include "pages/dlg_main_test.h"

CDlgMainTest::CDlgMainTest(QWidget* parent) : CDevicePage(parent) { setObjectName("CDlgMainTest"); }

void CDlgMainTest::Refresh() {}
