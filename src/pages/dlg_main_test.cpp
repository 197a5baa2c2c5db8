#include "pages/dlg_main_test.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

#include "controls/comm_strings.h"
#include "controls/comm_text.h"
#include "controls/dialog_units.h"
#include "controls/message_box.h"
#include "pages/dlg_now_monitor.h"
#include "settings/pages/dlg_input_test_mail.h"
#include "settings/setting_item_list.h"
#include "settings/wizard_flags.h"

namespace {
// The antenna check runs without refreshing the session's records afterwards.
constexpr int kAntennaWizardFlags = wizard::kNoRefresh;
// The test mail page alone: the only page, no refresh afterwards.
constexpr int kTestMailPageFlags = wizard::kOnlyPage | wizard::kNoRefresh;

QPushButton* Button(QWidget* parent, int id, uint32_t textId) {
  auto* button = new QPushButton(comm_text::Text(textId), parent);
  button->setObjectName(comm_text::ControlName(id));
  // Some room on either side of the caption, as the other pages' buttons have.
  button->setMinimumWidth(button->sizeHint().width() + 2 * button->fontMetrics().averageCharWidth());
  return button;
}
}  // namespace

CDlgMainTest::CDlgMainTest(CDeviceHost& host, QWidget* parent) : CDevicePage(host, parent) {
  setObjectName("CDlgMainTest");
  setFont(Host().DialogFont());

  read_current_ = Button(this, kIdReadCurrent, strings::id::kTestReadCurrent);
  antenna_ = Button(this, kIdAntenna, strings::id::kTestAntenna);
  test_mail_ = Button(this, kIdTestMail, strings::id::kTestSendMail);
  auto* note = new QLabel(comm_text::Text(strings::id::kTestStopFirstNote), this);
  note->setWordWrap(true);

  auto* grid = new QGridLayout(this);
  grid->addWidget(read_current_, 0, 0);
  grid->addWidget(antenna_, 1, 0);
  grid->addWidget(test_mail_, 2, 0);
  grid->addWidget(note, 2, 1);
  grid->setColumnStretch(1, 1);
  grid->setRowStretch(3, 1);

  connect(read_current_, &QPushButton::clicked, this, &CDlgMainTest::OnReadCurrent);
  connect(antenna_, &QPushButton::clicked, this, &CDlgMainTest::OnAntenna);
  connect(test_mail_, &QPushButton::clicked, this, &CDlgMainTest::OnTestMail);

  setMinimumSize(DialogUnitsToPixels(font(), 356, 216));
  Refresh();
}

void CDlgMainTest::Refresh() {
  const bool open = Host().Session().IsOpen();
  read_current_->setEnabled(open);
  antenna_->setEnabled(open);
  test_mail_->setEnabled(open);
}

void CDlgMainTest::OnReadCurrent() {
  CDlgNowMonitor monitor(Host(), this);
  monitor.exec();
}

void CDlgMainTest::OnAntenna() {
  if (Host().Frame() != nullptr) Host().RunDeviceOperation(this, kItemAntennaCheck, kAntennaWizardFlags);
}

void CDlgMainTest::OnTestMail() {
  if (Host().Session().Current().sys.measuring != 0) {
    msgbox::Warning(this, comm_text::Text(strings::id::kStopMeasurementFirst), QStringLiteral("Warning"));
    return;
  }
  CDlgInputTestMail page(Host());
  page.DoModalPage(this, kTestMailPageFlags, CDlgInputTestMail::kTemplateId);
}
