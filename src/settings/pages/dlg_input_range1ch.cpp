#include "settings/pages/dlg_input_range1ch.h"

#include <QButtonGroup>

#include <string>

#include "common/string_table.h"
#include "controls/org_color_rdio_button.h"
#include "controls/st_num_edits.h"
#include "controls/ui_text.h"
#include "operations/settings_run.h"
#include "settings/pages/well_picture.h"
#include "settings/pages/wizard_page_ids.h"
#include "settings/setting_item_list.h"
#include "settings/value_checks.h"
#include "settings/wizard_flags.h"
#include "settings/wizard_strings.h"
#include "settings/wizard_values.h"

namespace {

using ui_text::Text;

}  // namespace

CDlgInputRange1ch::CDlgInputRange1ch(CDeviceHost& host, QWidget* parent) : CInputBaseDlg(host, parent, 384, 277) {
  setWindowTitle(Text(strings::id::kJudgementCaption));
  SetHeaderText(Text(strings::id::kJudgementHeader));
  AddStatic(Text(strings::id::kJudgementExplanation), 12, 30, 200, 16);

  // One row per limit: label, field, unit, ON/OFF, range text below.
  struct Row {
    int y;
    uint32_t label;
    uint32_t unit;
    int fieldId;
    int onId;
    int offId;
  };
  const Row rows[2] = {
      {66, strings::id::kUpperLimit, strings::id::kAboveUnit, kIdUpper, kIdUpperOn, kIdUpperOff},
      {107, strings::id::kLowerLimit, strings::id::kBelowUnit, kIdLower, kIdLowerOn, kIdLowerOff},
  };
  CSTRealNumEdit* fields[2];
  COrgColorRdioButton* buttons[2][2];
  for (int r = 0; r < 2; ++r) {
    const Row& row = rows[r];
    AddStatic(Text(row.label), 33, row.y - 11, 60, 10);
    fields[r] = Place(new CSTRealNumEdit(), 33, row.y, 40, 12, row.fieldId);
    fields[r]->setAlignment(Qt::AlignRight);
    AddStatic(Text(row.unit), 76, row.y + 2, 62, 10);
    AddStatic(Text(strings::id::kLimitRange), 33, row.y + 15, 90, 10);
    buttons[r][0] = Place(new COrgColorRdioButton(Text(strings::id::kOn)), 140, row.y - 1, 32, 14, row.onId);
    buttons[r][1] = Place(new COrgColorRdioButton(Text(strings::id::kOff)), 174, row.y - 1, 32, 14, row.offId);
    auto* group = new QButtonGroup(this);
    group->addButton(buttons[r][0]);
    group->addButton(buttons[r][1]);
  }
  upper_ = fields[0];
  lower_ = fields[1];
  upper_on_ = buttons[0][0];
  upper_off_ = buttons[0][1];
  lower_on_ = buttons[1][0];
  lower_off_ = buttons[1][1];

  picture_ = Place(new CWellPictureView(host.DialogFont().family()), 218, 43, 152, 180, kIdPicture);
}

int CDlgInputRange1ch::RunPage(QWidget* owner, int flags) {
  DoModalPage(owner, flags, wizard_page::kRange1chTemplate);
  return PageResult();
}

void CDlgInputRange1ch::InitPage() {
  CInputBaseDlg::InitPage();
  for (CSTRealNumEdit* field : {upper_, lower_}) {
    field->SetDecimals(kLimitDecimals);
    field->SetRange(-kLimitMax, kLimitMax);
  }
  const CVT7SysInfo& work = Host().Session().Working().sys;
  upper_->setText(QString::fromStdString(LimitFieldText(work.upperThreshold)));
  lower_->setText(QString::fromStdString(LimitFieldText(work.lowerThreshold)));
  (work.upperEnabled == 1 ? upper_on_ : upper_off_)->setChecked(true);
  (work.lowerEnabled == 1 ? lower_on_ : lower_off_)->setChecked(true);
}

void CDlgInputRange1ch::OnNext() {
  // Both limits are sent, whether switched on or off.
  const std::string upper = upper_->text().toStdString();
  const std::string lower = lower_->text().toStdString();
  if (!value_checks::LimitFromText(upper)) return RefuseField(strings::id::kUpperLimit);
  if (!value_checks::LimitFromText(lower)) return RefuseField(strings::id::kLowerLimit);
  CVT7SysInfo& work = Host().Session().Working().sys;
  work.upperEnabled = upper_on_->isChecked() ? 1 : 0;
  work.lowerEnabled = lower_on_->isChecked() ? 1 : 0;
  work.upperThreshold = LimitFromFieldText(upper);
  work.lowerThreshold = LimitFromFieldText(lower);
  if (RunWork() != 0) EndPage(wizard::kResultNext);
}

int CDlgInputRange1ch::DoWork() {
  CDeviceSession& session = Host().Session();
  const ops::Result r = ops::RunPageWork(session, kItemJudgement, wizard::kNoWorkHooks);
  if (r.Succeeded()) return 1;
  session.SetErrorText(r.message);
  return 0;
}
