#include "settings/pages/dlg_input_bat_alart.h"

#include <optional>

#include "common/string_table.h"
#include "controls/st_num_edits.h"
#include "controls/ui_text.h"
#include "operations/settings_run.h"
#include "settings/pages/wizard_page_ids.h"
#include "settings/setting_item_list.h"
#include "settings/value_checks.h"
#include "settings/wizard_flags.h"
#include "settings/wizard_strings.h"
#include "settings/wizard_values.h"

namespace {
using ui_text::Text;
}  // namespace

CDlgInputBatAlart::CDlgInputBatAlart(CDeviceHost& host, QWidget* parent) : CInputBaseDlg(host, parent) {
  setWindowTitle(Text(strings::id::kBatteryCaption));
  SetHeaderText(Text(strings::id::kBatteryHeader));
  AddStatic(Text(strings::id::kBatteryExplanation), 24, 48, 340, 20);
  AddStatic(Text(strings::id::kBatteryCutoffLabel), 24, 96, 98, 10);
  voltage_ = Place(new CSTPositiveNumEdit(), 125, 94, 30, 12, kIdVoltage);
  voltage_->setAlignment(Qt::AlignRight);
  voltage_->SetDecimals(1);
  AddStatic(Text(strings::id::kVoltUnit), 158, 96, 14, 10);
  AddStatic(Text(strings::id::kBatteryRange), 178, 96, 80, 10);
  AddStatic(Text(strings::id::kBatteryWarning), 24, 130, 340, 40, kIdNote, true);
}

int CDlgInputBatAlart::RunPage(QWidget* owner, int flags) {
  DoModalPage(owner, flags, wizard_page::kBatteryAlertTemplate);
  return PageResult();
}

void CDlgInputBatAlart::InitPage() {
  CInputBaseDlg::InitPage();
  voltage_->setText(QString::fromStdString(VoltsFieldText(Host().Session().Working().sys.batteryAlert)));
}

void CDlgInputBatAlart::OnNext() {
  const std::optional<int32_t> millivolts = value_checks::BatteryFromVoltsText(voltage_->text().toStdString());
  if (!millivolts) return RefuseField(strings::id::kBatteryCutoffLabel);
  Host().Session().Working().sys.batteryAlert = *millivolts;
  if (RunWork() != 0) EndPage(wizard::kResultNext);
}

int CDlgInputBatAlart::DoWork() {
  CDeviceSession& session = Host().Session();
  const ops::Result r = ops::RunPageWork(session, kItemBatteryAlert, wizard::kNoWorkHooks);
  if (r.Succeeded()) return 1;
  session.SetErrorText(r.message);
  return 0;
}
