#include "settings/pages/dlg_input_check_imei.h"

#include "controls/comm_strings.h"
#include "controls/comm_text.h"
#include "controls/message_box.h"
#include "operations/readouts.h"

CDlgInputCheckIMEI::CDlgInputCheckIMEI(CDeviceHost& host, QWidget* parent) : CInputCheckBaseDlg(host, parent) {
  setObjectName("CDlgInputCheckIMEI");
  setWindowTitle(comm_text::Text(strings::id::kImeiCaption));
  SetHeaderText(comm_text::Text(strings::id::kImeiHeading));
  AddStatic(comm_text::Text(strings::id::kImeiExplanation), 24, 48, 340, 12);
  AddActionButton(comm_text::Text(strings::id::kCheckButton));
}

int CDlgInputCheckIMEI::RunPage(QWidget* owner, int flags) {
  DoModalPage(owner, flags, kTemplateId);
  return PageResult();
}

void CDlgInputCheckIMEI::OnAction() {
  if (RunWork() != 0) msgbox::Plain(this, comm_text::Text(strings::id::kSuccess), QStringLiteral("Check IMEI"));
}

int CDlgInputCheckIMEI::DoWork() {
  CDeviceSession& session = Host().Session();
  const ops::ImeiResult r = ops::ReadImei(session);
  if (r.Succeeded()) return 1;
  session.SetErrorText(r.message);
  return 0;
}
