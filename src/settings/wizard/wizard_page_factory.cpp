#include "settings/wizard/wizard_page_factory.h"

#include "settings/pages/dlg_input_antena_test.h"
#include "settings/pages/dlg_input_bat_alart.h"
#include "settings/pages/dlg_input_init_reset.h"
#include "settings/pages/dlg_input_measure_setting.h"
#include "settings/pages/dlg_input_range1ch.h"
#include "settings/pages/dlg_input_sim_setting.h"
#include "settings/pages/dlg_input_test_mail.h"

CInputBaseDlg* CreateWizardPage(SettingPage kind, CDeviceHost& host) {
  switch (kind) {
    case SettingPage::kInitReset: return new CDlgInputInitReset(host);
    case SettingPage::kBatteryAlert: return new CDlgInputBatAlart(host);
    case SettingPage::kRange1ch: return new CDlgInputRange1ch(host);
    case SettingPage::kMeasureSetting: return new CDlgInputMeasureSetting(host);
    case SettingPage::kSimSetting: return new CDlgInputSimSetting(host);
    case SettingPage::kAntennaTest: return new CDlgInputAntenaTest(host);
    case SettingPage::kTestMail: return new CDlgInputTestMail(host);
    case SettingPage::kNone: break;
  }
  return nullptr;
}
