#include "settings/pages/dlg_input_init_reset.h"

#include <QPushButton>

#include "common/string_table.h"
#include "controls/ui_text.h"
#include "operations/settings_run.h"
#include "settings/pages/wizard_page_ids.h"
#include "settings/setting_item_list.h"
#include "settings/wizard_flags.h"
#include "settings/wizard_strings.h"

namespace {
using ui_text::Text;
}  // namespace

CDlgInputInitReset::CDlgInputInitReset(CDeviceHost& host, QWidget* parent) : CInputBaseDlg(host, parent) {
  setWindowTitle(Text(strings::id::kInitCaption));
  SetHeaderText(Text(strings::id::kInitHeader));
  AddStatic(Text(strings::id::kInitExplanation), 24, 48, 340, 24);
  AddStatic(Text(strings::id::kInitNote), 24, 82, 340, 12, kIdNote, true);
  reset_ = Place(new QPushButton(Text(strings::id::kInitResetButton)), 299, 111, 50, 14, kIdResetButton);
  reset_->setAutoDefault(false);
  connect(reset_, &QPushButton::clicked, this, &CDlgInputInitReset::OnReset);
}

int CDlgInputInitReset::RunPage(QWidget* owner, int flags) {
  DoModalPage(owner, flags, wizard_page::kInitResetTemplate);
  return PageResult();
}

// No question is asked before the reset; the page stays open afterwards.
void CDlgInputInitReset::OnReset() { RunWork(); }

int CDlgInputInitReset::DoWork() {
  CDeviceSession& session = Host().Session();
  // The page's own hooks run around this work.
  const ops::Result r = ops::RunPageWork(session, kItemInitReset, wizard::kNoWorkHooks);
  if (r.Succeeded())
    session.SetResultMessage(r.message);
  else
    session.SetErrorText(r.message);
  return 1;
}
