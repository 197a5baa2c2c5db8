#include "pages/dlg_nets_sim.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "controls/comm_strings.h"
#include "controls/comm_text.h"
#include "controls/dialog_units.h"
#include "controls/message_box.h"
#include "operations/device_commands.h"
#include "operations/operation_strings.h"
#include "settings/pages/dlg_input_check_imei.h"
#include "settings/setting_item_list.h"
#include "settings/wizard_flags.h"

namespace {

const QString kRebootCaption = QStringLiteral("Reboot commu.");

QLineEdit* ReadOnlyEdit(QWidget* parent, int id) {
  auto* edit = new QLineEdit(parent);
  edit->setObjectName(comm_text::ControlName(id));
  edit->setReadOnly(true);
  return edit;
}

QPushButton* Button(QWidget* parent, int id, uint32_t textId) {
  auto* button = new QPushButton(comm_text::Text(textId), parent);
  button->setObjectName(comm_text::ControlName(id));
  return button;
}

}  // namespace

CDlgNetsSim::CDlgNetsSim(CDeviceHost& host, QWidget* parent) : CDevicePage(host, parent) {
  setObjectName("CDlgNetsSim");
  setFont(Host().DialogFont());

  auto* group = new QGroupBox(comm_text::Text(strings::id::kCommAccessPoint), this);
  name_ = ReadOnlyEdit(group, kIdName);
  user_ = ReadOnlyEdit(group, kIdUser);
  password_ = ReadOnlyEdit(group, kIdPassword);
  password_->setEchoMode(QLineEdit::Password);
  auth_ = ReadOnlyEdit(group, kIdAuth);
  imei_ = ReadOnlyEdit(group, kIdImei);
  auto* form = new QFormLayout(group);
  form->addRow(comm_text::Text(strings::id::kCommName), name_);
  form->addRow(comm_text::Text(strings::id::kCommUserId), user_);
  form->addRow(comm_text::Text(strings::id::kCommPassword), password_);
  form->addRow(comm_text::Text(strings::id::kCommAuth), auth_);
  form->addRow(comm_text::Text(strings::id::kCommImei), imei_);

  apn_settings_ = Button(group, kIdApnSettings, strings::id::kCommApnSettings);
  check_imei_ = Button(group, kIdCheckImei, strings::id::kCommCheckImei);
  restart_ = Button(group, kIdRestartModule, strings::id::kCommRestartModule);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(apn_settings_);
  buttons->addWidget(check_imei_);
  buttons->addWidget(restart_);
  buttons->addStretch(1);
  form->addRow(buttons);

  auto* top = new QVBoxLayout(this);
  top->addWidget(group);
  top->addStretch(1);

  connect(apn_settings_, &QPushButton::clicked, this, &CDlgNetsSim::OnApnSettings);
  connect(check_imei_, &QPushButton::clicked, this, &CDlgNetsSim::OnCheckImei);
  connect(restart_, &QPushButton::clicked, this, &CDlgNetsSim::OnRestartModule);

  setMinimumSize(DialogUnitsToPixels(font(), 210, 133));
  Refresh();
}

void CDlgNetsSim::Refresh() {
  CDeviceSession& session = Host().Session();
  const bool open = session.IsOpen();
  apn_settings_->setEnabled(open);
  if (open && !session.HasRead(listing_read::kMail)) {
    // Without "MAIL DSP" of this connection the fields would show defaults
    // as if they were the logger's access point.
    const QString mark = comm_text::Text(strings::id::kValueNotRead);
    for (QLineEdit* e : {name_, user_, auth_, imei_}) e->setText(mark);
    password_->clear();
    return;
  }
  const CVT7MailInfo& mail = session.Current().mail;
  name_->setText(open ? comm_text::FromAnsi(mail.apn) : QString());
  user_->setText(open ? comm_text::FromAnsi(mail.apnUser) : QString());
  password_->setText(open ? comm_text::FromAnsi(mail.apnPassword) : QString());
  auth_->setText(open ? comm_text::FromAnsi(mail.apnAuth) : QString());
  imei_->setText(open ? comm_text::FromAnsi(mail.imei) : QString());
}

void CDlgNetsSim::OnApnSettings() {
  if (Host().Frame() != nullptr) Host().RunDeviceOperation(this, kItemAccessPoint, 0);
  Refresh();
}

void CDlgNetsSim::OnCheckImei() {
  CDlgInputCheckIMEI page(Host());
  page.DoModalPage(this, wizard::kStandalone, CDlgInputCheckIMEI::kTemplateId);
}

void CDlgNetsSim::OnRestartModule() {
  if (!msgbox::Confirm(this, comm_text::Text(strings::id::kConfirmModuleRestart), kRebootCaption)) return;
  QWidget* frame = Host().Frame();
  if (frame != nullptr) frame->setEnabled(false);
  RunOperation(
      Host().Session(), [](CDeviceSession& session) { return ops::RestartModule(session); }, kRebootCaption, 0);
  if (frame != nullptr) frame->setEnabled(true);
}
