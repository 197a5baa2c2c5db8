#pragma once
// Creates the wizard page that serves a setting item (the page kind of the
// setting item table). Pages are created for one wizard run and freed with
// CInputBaseDlg::Delete().
#include "settings/setting_item_list.h"

class CInputBaseDlg;

// A new page of that kind, or nullptr for a kind without a page.
class CDeviceHost;

CInputBaseDlg* CreateWizardPage(SettingPage kind, CDeviceHost& host);
