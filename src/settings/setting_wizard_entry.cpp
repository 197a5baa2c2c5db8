// Placeholder entry points of the setting wizard and the settings file
// dialogs, until the wizard and the file dialogs are built. They show nothing
// and report "cancelled".
#include "settings/setting_work.h"

int CVTCSettingWork::RunWizard(QWidget*, const CSettingItemList&, int) { return -1; }
int CVTCSettingWork::ChooseItemsAndRunWizard(QWidget*, const CSettingItemList&) { return -1; }
int CVTCSettingWork::RunExportCommand(QWidget*) { return -1; }
int CVTCSettingWork::RunImportCommand(QWidget*) { return -1; }
