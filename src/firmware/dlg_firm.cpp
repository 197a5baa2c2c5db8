#include "firmware/dlg_firm.h"

#include <QFile>
#include <QGridLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "controls/comm_strings.h"
#include "controls/comm_text.h"
#include "controls/dialog_units.h"
#include "controls/file_dialogs.h"
#include "controls/message_box.h"
#include "firmware/firmware_image.h"

namespace {

CDlgFirm::ModifierReader g_modifier_reader;

QLabel* ColouredNote(QWidget* parent, int id, uint32_t textId, const QColor& colour) {
  auto* label = new QLabel(comm_text::Text(textId).replace(QLatin1String("\r\n"), QLatin1String("\n")), parent);
  label->setObjectName(comm_text::ControlName(id));
  label->setWordWrap(true);
  QPalette p = label->palette();
  p.setColor(QPalette::WindowText, colour);
  label->setPalette(p);
  return label;
}

QLabel* Note(QWidget* parent, uint32_t textId) {
  auto* label = new QLabel(comm_text::Text(textId).replace(QLatin1String("\r\n"), QLatin1String("\n")), parent);
  label->setWordWrap(true);
  return label;
}

}  // namespace

void CDlgFirm::SetModifierReader(ModifierReader reader) { g_modifier_reader = std::move(reader); }

CDlgFirm::CDlgFirm(CDeviceHost& host, QWidget* parent) : QDialog(parent), host_(host) {
  setObjectName("CDlgFirm");
  setFont(host_.DialogFont());
  setWindowTitle(comm_text::Text(strings::id::kFirmTitle));

  auto* top = new QVBoxLayout(this);
  top->addWidget(Note(this, strings::id::kFirmIntro));
  top->addWidget(ColouredNote(this, kIdChecklist, strings::id::kFirmChecklist, QColor(100, 100, 255)));
  top->addWidget(ColouredNote(this, kIdNotes, strings::id::kFirmNotes, QColor(255, 0, 0)));
  top->addWidget(Note(this, strings::id::kFirmProcedure));

  auto* grid = new QGridLayout;
  path_edit_ = new QLineEdit(this);
  path_edit_->setObjectName(comm_text::ControlName(kIdFilePath));
  path_edit_->setReadOnly(true);
  choose_ = new QPushButton(comm_text::Text(strings::id::kFirmChooseFile), this);
  choose_->setObjectName(comm_text::ControlName(kIdChooseFile));
  version_edit_ = new QPlainTextEdit(this);
  version_edit_->setObjectName(comm_text::ControlName(kIdVersionInfo));
  version_edit_->setReadOnly(true);
  update_ = new QPushButton(comm_text::Text(strings::id::kFirmUpdate), this);
  update_->setObjectName(comm_text::ControlName(kIdUpdate));
  grid->addWidget(new QLabel(comm_text::Text(strings::id::kFirmFileLabel), this), 0, 0);
  grid->addWidget(path_edit_, 0, 1);
  grid->addWidget(choose_, 0, 2);
  grid->addWidget(new QLabel(comm_text::Text(strings::id::kFirmVersionLabel), this), 1, 0, Qt::AlignTop);
  grid->addWidget(version_edit_, 1, 1);
  grid->addWidget(update_, 1, 2, Qt::AlignTop);
  top->addLayout(grid, 1);

  close_ = new QPushButton(comm_text::Text(strings::id::kCloseButton), this);
  close_->setObjectName(comm_text::ControlName(1));
  auto* bottom = new QHBoxLayout;
  bottom->addStretch(1);
  bottom->addWidget(close_);
  top->addLayout(bottom);

  connect(choose_, &QPushButton::clicked, this, &CDlgFirm::OnChooseFile);
  connect(update_, &QPushButton::clicked, this, &CDlgFirm::OnUpdate);
  connect(close_, &QPushButton::clicked, this, &QDialog::accept);

  setMinimumSize(DialogUnitsToPixels(font(), 372, 252));
}

void CDlgFirm::OnChooseFile() {
  const int rc = ChooseImageFile();
  uint32_t id = 0;
  const char* fallback = nullptr;
  switch (rc) {
    case firmware_image::kCannotOpen:
      id = strings::id::kFileOpenFailed;
      fallback = "Err! File open error!";
      break;
    case firmware_image::kNotImage:
      id = strings::id::kNotValidFile;
      fallback = "Err! file error!";
      break;
    case firmware_image::kReadFailed:
      id = strings::id::kFailed;
      fallback = "Err!";
      break;
    default: break;
  }
  if (id != 0) msgbox::Warning(this, comm_text::Text(id, fallback));
  ShowImageInfo();
}

int CDlgFirm::ChooseImageFile() {
  filedlg::Request request;
  request.owner = this;
  request.save = false;
  request.title = comm_text::Text(strings::id::kOpenFileTitle);
  request.filter = QStringLiteral("v-TRELIX7 firmware file(*.hex)");
  request.defaultSuffix = QStringLiteral("hex");
  const QString chosen = filedlg::Ask(request);
  if (chosen.isEmpty()) return 0;
  std::vector<std::string> found;
  const int rc = firmware_image::ReadIdentification(QFile::encodeName(chosen).toStdString(), &found);
  if (rc != firmware_image::kOk) return rc;
  path_ = chosen;
  strings_.swap(found);
  return 0;
}

void CDlgFirm::ShowImageInfo() {
  path_edit_->setText(path_);
  QString info;
  for (const std::string& s : strings_) info += comm_text::FromAnsi(s) + QLatin1String("\r\n");
  version_edit_->setPlainText(info);
}

int CDlgFirm::LoadImageText() {
  return firmware_image::LoadText(QFile::encodeName(path_).toStdString(), &image_text_) == firmware_image::kOk ? 0 : -1;
}

void CDlgFirm::EnableButtons(bool on) {
  choose_->setEnabled(on);
  close_->setEnabled(on);
  update_->setEnabled(on);
}

void CDlgFirm::OnUpdate() {
  if (path_.isEmpty()) return;
  EnableButtons(false);
  const int rc = StartUpdate();
  if (rc == -3)
    msgbox::Warning(this, comm_text::Text(strings::id::kModuleTypeMismatch, "Err! Module type error!"));
  else if (rc == -1)
    msgbox::Warning(this, comm_text::Text(strings::id::kFileOpenFailed, "Err! File open error!"));
  EnableButtons(true);
}

int CDlgFirm::StartUpdate() {
  measuring_ = host_.Session().Current().sys.measuring != 0 ? 1 : 0;
  forced_ = 0;
  if (!firmware_image::HasModuleTag(strings_)) return -3;

  // The service chord, read as the keys are held at this moment.
  const Qt::KeyboardModifiers held =
      g_modifier_reader ? g_modifier_reader() : QGuiApplication::queryKeyboardModifiers();
  if (!(held & Qt::ShiftModifier) || !(held & Qt::ControlModifier)) return -3;
  forced_ = 1;

  if (LoadImageText() != 0) return -1;

  // The two questions carry no caption of their own (a blank title).
  if (msgbox::Show({this, comm_text::Text(strings::id::kConfirmFirmwareErasesData), msgbox::kEmptyCaption,
                    msgbox::Icon::kWarning, true}) != QMessageBox::Ok)
    return 0;
  if (msgbox::Show({this, comm_text::Text(strings::id::kConfirmFirmwareResetsSettings), msgbox::kEmptyCaption,
                    msgbox::Icon::kWarning, true}) != QMessageBox::Ok)
    return 0;

  if (RunUpdate(comm_text::Text(strings::id::kFirmwareUpdating)) != 1) {
    msgbox::Warning(this, comm_text::Text(strings::id::kFailedPlain));
    return -5;
  }
  return 0;
}

int CDlgFirm::RunUpdate(const QString& progressText) {
  const int ok = runner_.RunAndReport(host_.Session(), this, progressText, 0);
  EnableButtons(true);
  if (ok) updated = 1;
  return ok ? 1 : 0;
}

int CDlgFirm::DoWork() {
  CDeviceSession& session = host_.Session();
  const int rc = session.UpdateFirmware(firmware_image::SplitLines(image_text_), measuring_, forced_);
  if (rc < 0) {
    // A refused step and an unconfirmed write show only the final "failed".
    if (rc != session_rc::kModuleStepRefused && rc != session_rc::kModuleSettingFailed) session.SetErrorMessage(rc);
    return 0;
  }
  session.SetResultMessage(strings::Text(strings::id::kCompletedNormally));
  return 1;
}

CDlgFirm::~CDlgFirm() { runner_.StopAndJoin(); }
