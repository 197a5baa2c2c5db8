#include "settings/pages/dlg_input_sim_setting.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <optional>
#include <string>

#include "controls/comm_strings.h"
#include "controls/comm_text.h"
#include "controls/edit_harf_width.h"
#include "operations/settings_run.h"
#include "settings/setting_item_list.h"
#include "settings/value_checks.h"
#include "settings/wizard_flags.h"

namespace {

// The three authentication type names, index 0 to 2.
const char* const kAuthTypeNames[3] = {"none", "PAP", "CHAP"};
// Index of "none" in the authentication list; it stands for an empty type.
constexpr int kAuthNone = 0;
}  // namespace

CDlgInputSimSetting::CDlgInputSimSetting(CDeviceHost& host, QWidget* parent) : CInputBaseDlg(host, parent) {
  setObjectName("CDlgInputSimSetting");
  setWindowTitle(comm_text::Text(strings::id::kSimCaption));
  SetHeaderText(comm_text::Text(strings::id::kSimHeading));
  AddStatic(comm_text::Text(strings::id::kSimExplanation), 24, 36, 340, 12);

  const uint32_t carrierText[3] = {strings::id::kSimPresetIij, strings::id::kSimPresetSoracom,
                                   strings::id::kSimPresetOther};
  const int carrierId[3] = {kIdIij, kIdSoracom, kIdOther};
  const int carrierX[3] = {24, 84, 154};
  auto* group = new QButtonGroup(this);
  for (int i = 0; i < 3; ++i) {
    carrier_[i] = Place(new QRadioButton(comm_text::Text(carrierText[i])), carrierX[i], 56, 64, 12, carrierId[i]);
    group->addButton(carrier_[i], i);
  }
  connect(group, &QButtonGroup::idClicked, this, [this](int) { EnableFields(); });
  // Present in the template but without a function.
  import_ = Place(new QPushButton(comm_text::Text(strings::id::kSimImport)), 290, 54, 50, 14, kIdImport);
  import_->setAutoDefault(false);
  import_->setVisible(false);

  AddStatic(comm_text::Text(strings::id::kCommName), 24, 82, 72, 10);
  name_ = Place(new CEditAddress(), 98, 80, 182, 12, kIdName);
  AddStatic(comm_text::Text(strings::id::kCommUserId), 24, 100, 72, 10);
  user_ = Place(new CEditAddress(), 98, 98, 182, 12, kIdUser);
  AddStatic(comm_text::Text(strings::id::kCommPassword), 24, 118, 72, 10);
  password_ = Place(new CEditAddress(), 98, 116, 182, 12, kIdPassword);
  AddStatic(comm_text::Text(strings::id::kCommAuth), 24, 136, 72, 10);
  auth_ = Place(new QComboBox(), 98, 134, 60, 12, kIdAuth);
  AddStatic(comm_text::Text(strings::id::kCommImei), 24, 162, 72, 10);
  imei_ = Place(new QLineEdit(), 98, 160, 182, 12, kIdImei);
  imei_->setReadOnly(true);
}

int CDlgInputSimSetting::RunPage(QWidget* owner, int flags) {
  DoModalPage(owner, flags, kTemplateId);
  return PageResult();
}

void CDlgInputSimSetting::InitPage() {
  CInputBaseDlg::InitPage();
  const CVT7MailInfo& mail = Host().Session().Working().mail;
  name_->setText(comm_text::FromAnsi(mail.apn));
  user_->setText(comm_text::FromAnsi(mail.apnUser));
  password_->setText(comm_text::FromAnsi(mail.apnPassword));
  imei_->setText(comm_text::FromAnsi(mail.imei));

  auth_->clear();
  for (const char* name : kAuthTypeNames) auth_->addItem(QString::fromLatin1(name));
  int selected = kAuthNone;
  for (int i = 1; i < 3; ++i)
    if (mail.apnAuth == kAuthTypeNames[i]) selected = i;
  auth_->setCurrentIndex(selected);

  carrier_[kOther]->setChecked(true);
  EnableFields();
}

int CDlgInputSimSetting::CarrierChoice() const {
  for (int i = 0; i < 3; ++i)
    if (carrier_[i]->isChecked()) return i;
  return kOther;
}

void CDlgInputSimSetting::EnableFields() {
  const bool other = CarrierChoice() == kOther;
  name_->setEnabled(other);
  user_->setEnabled(other);
  password_->setEnabled(other);
  auth_->setEnabled(other);
  import_->setEnabled(other);
}

void CDlgInputSimSetting::OnNext() {
  const int choice = CarrierChoice();
  if (choice == kOther) {
    // A pasted text can hold what the fields refuse when typed.
    const std::optional<std::string> name = value_checks::AccessPointTextFromUtf8(name_->text().toStdString());
    if (!name) return RefuseField(strings::id::kCommName);
    const std::optional<std::string> user = value_checks::AccessPointTextFromUtf8(user_->text().toStdString());
    if (!user) return RefuseField(strings::id::kCommUserId);
    const std::optional<std::string> password = value_checks::AccessPointTextFromUtf8(password_->text().toStdString());
    if (!password) return RefuseField(strings::id::kCommPassword);
    CVT7MailInfo& mail = Host().Session().Working().mail;
    mail.apn = *name;
    mail.apnUser = *user;
    mail.apnPassword = *password;
    mail.apnAuth = auth_->currentIndex() == kAuthNone ? std::string() : auth_->currentText().toStdString();
  }
  kind_ = choice;
  if (RunWork() != 0) EndPage(wizard::kResultNext);
}

std::string CDlgInputSimSetting::FailureDetail(uint16_t failedFields) {
  return ops::AccessPointFailureDetail(failedFields);
}

int CDlgInputSimSetting::DoWork() {
  CDeviceSession& session = Host().Session();
  const ops::Result r = ops::RunPageWork(session, kItemAccessPoint, wizard::kNoWorkHooks, kind_);
  if (r.Succeeded()) return 1;
  session.SetErrorText(r.message);
  return 0;
}
