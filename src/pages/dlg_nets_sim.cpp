#include "pages/dlg_nets_sim.h"

CDlgNetsSim::CDlgNetsSim(QWidget* parent) : CDevicePage(parent) { setObjectName("CDlgNetsSim"); }

void CDlgNetsSim::Refresh() {}
