#include "settings/pages/dlg_input_test_mail.h"

#include "controls/comm_strings.h"
#include "controls/comm_text.h"
#include "controls/message_box.h"
#include "operations/device_commands.h"

CDlgInputTestMail::CDlgInputTestMail(CDeviceHost& host, QWidget* parent) : CInputCheckBaseDlg(host, parent) {
  setObjectName("CDlgInputTestMail");
  setWindowTitle(comm_text::Text(strings::id::kMailCaption));
  SetHeaderText(comm_text::Text(strings::id::kMailHeading));
  AddStatic(comm_text::Text(strings::id::kMailExplanation), 24, 48, 340, 12);
  AddStatic(comm_text::Text(strings::id::kMailNote), 24, 100, 340, 24, kIdNote, true);
  AddActionButton(comm_text::Text(strings::id::kMailSend));
}

int CDlgInputTestMail::RunPage(QWidget* owner, int flags) {
  DoModalPage(owner, flags, kTemplateId);
  return PageResult();
}

void CDlgInputTestMail::OnAction() {
  if (RunWork() != 0) msgbox::Plain(this, comm_text::Text(strings::id::kSuccess), QStringLiteral("Send test mail"));
}

int CDlgInputTestMail::DoWork() {
  CDeviceSession& session = Host().Session();
  const ops::Result r = ops::SendTestTransmission(session);
  if (r.Succeeded()) return 1;
  session.SetErrorText(r.message);
  return 0;
}
