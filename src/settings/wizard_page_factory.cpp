#include "settings/wizard_page_factory.h"

#include "settings/pages/dlg_input_antena_test.h"
#include "settings/pages/dlg_input_bat_alart.h"
#include "settings/pages/dlg_input_init_reset.h"
#include "settings/pages/dlg_input_measure_setting.h"
#include "settings/pages/dlg_input_range1ch.h"
#include "settings/pages/dlg_input_sim_setting.h"
#include "settings/pages/dlg_input_test_mail.h"

CInputBaseDlg* CreateWizardPage(SettingPage kind) {
  switch (kind) {
    case SettingPage::kInitReset:
      return new CDlgInputInitReset();
    case SettingPage::kBatteryAlert:
      return new CDlgInputBatAlart();
    case SettingPage::kRange1ch:
      return new CDlgInputRange1ch();
    case SettingPage::kMeasureSetting:
      return new CDlgInputMeasureSetting();
    case SettingPage::kSimSetting:
      return new CDlgInputSimSetting();
    case SettingPage::kAntennaTest:
      return new CDlgInputAntenaTest();
    case SettingPage::kTestMail:
      return new CDlgInputTestMail();
    case SettingPage::kNone:
      break;
  }
  return nullptr;
}
