#include "settings/pages/input_base_dlg.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPalette>
#include <QPushButton>

#include "common/string_table.h"
#include "controls/dialog_units.h"
#include "controls/message_box.h"
#include "controls/ui_text.h"
#include "operations/settings_run.h"
#include "settings/wizard_flags.h"
#include "settings/wizard_strings.h"

namespace {

using ui_text::Text;

QPushButton* MakeButton(QWidget* parent, const QString& text) {
  auto* b = new QPushButton(text, parent);
  // Enter never reaches a button of a page; no button is the default one.
  b->setAutoDefault(false);
  b->setDefault(false);
  return b;
}

}  // namespace

QString CInputBaseDlg::ControlName(int id) { return QStringLiteral("ctl%1").arg(id); }

CInputBaseDlg::CInputBaseDlg(CDeviceHost& host, QWidget* parent, int widthDu, int heightDu)
    : QDialog(parent), host_(host) {
  templateUnits_ = QSize(widthDu, heightDu);
  setFont(host_.DialogFont());
  setFixedSize(DuSize(widthDu, heightDu));

  header_ = AddStatic(QString(), 0, 0, widthDu, 25, kIdHeaderBand);
  header_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  QPalette band = header_->palette();
  band.setColor(QPalette::Window, Qt::white);
  header_->setPalette(band);
  header_->setAutoFillBackground(true);

  back_ = Place(MakeButton(this, Text(strings::id::kWizardBack)), 210, 260, 50, 14, kIdBack);
  next_ = Place(MakeButton(this, Text(strings::id::kWizardNext)), 262, 260, 50, 14, kIdNext);
  cancel_ = Place(MakeButton(this, Text(strings::id::kWizardCancel)), 328, 260, 50, 14, kIdCancel);
  connect(back_, &QPushButton::clicked, this, [this] { OnBack(); });
  connect(next_, &QPushButton::clicked, this, [this] { OnNext(); });
  connect(cancel_, &QPushButton::clicked, this, [this] { OnCancel(); });
}

CInputBaseDlg::~CInputBaseDlg() {
  qApp->removeEventFilter(this);
  runner_.StopAndJoin();
}

void CInputBaseDlg::Delete() { delete this; }

void CInputBaseDlg::ApplyLayout() {
  if (templateUnits_.isValid()) setFixedSize(layout_.Apply(this, templateUnits_));
}

bool CInputBaseDlg::event(QEvent* event) {
  switch (event->type()) {
    case QEvent::Polish:
    case QEvent::Show:
    case QEvent::FontChange:
    case QEvent::LayoutRequest: ApplyLayout(); break;
    default: break;
  }
  return QDialog::event(event);
}

QSize CInputBaseDlg::DuSize(int width, int height) const { return DialogUnitsToPixels(font(), width, height); }

QRect CInputBaseDlg::DuRect(int x, int y, int width, int height) const {
  const QSize origin = DuSize(x, y);
  return QRect(QPoint(origin.width(), origin.height()), DuSize(width, height));
}

QLabel* CInputBaseDlg::AddStatic(const QString& text, int x, int y, int width, int height, int id, bool red) {
  auto* label = Place(new QLabel(text), x, y, width, height, id);
  label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  label->setWordWrap(true);
  if (red) {
    QPalette p = label->palette();
    p.setColor(QPalette::WindowText, QColor(255, 0, 0));
    label->setPalette(p);
  }
  return label;
}

void CInputBaseDlg::SetHeaderText(const QString& text) { header_->setText(text); }

int CInputBaseDlg::DoModalPage(QWidget* owner, int flags, int templateId) {
  flags_ = flags;
  page_result_ = wizard::kResultClosed;
  template_id_ = templateId;
  if (parentWidget() != owner) setParent(owner, windowFlags());
  InitPage();
  qApp->installEventFilter(this);
  const int code = exec();
  qApp->removeEventFilter(this);
  // The page outlives this showing; it must not go with its owner.
  setParent(nullptr, windowFlags());
  return code;
}

void CInputBaseDlg::InitPage() {
  back_->setText(Text(strings::id::kWizardBack));
  back_->setVisible(true);
  back_->setEnabled(true);
  next_->setText(Text(strings::id::kWizardNext));
  next_->setVisible(true);
  next_->setEnabled(true);
  cancel_->setText(Text(strings::id::kWizardCancel));
  cancel_->setVisible(true);
  cancel_->setEnabled(true);

  if (flags_ & wizard::kOnlyPage) {
    back_->setVisible(false);
    next_->setText(Text(strings::id::kOkButton));
  } else if (flags_ & wizard::kLastPage) {
    next_->setText(Text(strings::id::kOkButton));
  } else if (flags_ & wizard::kFirstPage) {
    back_->setEnabled(false);
  }
}

void CInputBaseDlg::EndPage(int pageResult) {
  page_result_ = pageResult;
  if (pageResult == wizard::kResultCancel)
    reject();
  else
    accept();
}

void CInputBaseDlg::OnNext() { EndPage(wizard::kResultNext); }
void CInputBaseDlg::OnBack() { EndPage(wizard::kResultBack); }
void CInputBaseDlg::OnCancel() { EndPage(wizard::kResultCancel); }

int CInputBaseDlg::RunWork(const QString& caption) { return runner_.RunAndReport(host_.Session(), this, caption, 0); }

void CInputBaseDlg::RefuseField(uint32_t labelId) {
  // Labels are padded with ideographic spaces to line up on the page.
  const QString label = Text(labelId).remove(QChar(0x3000)).trimmed();
  msgbox::Warning(this, Text(strings::id::kInvalidFieldValue).replace(QStringLiteral("%s"), label));
}

void CInputBaseDlg::BeforeWork() { ops::BeforePageWork(host_.Session(), flags_); }

void CInputBaseDlg::AfterWork() { ops::AfterPageWork(host_.Session(), flags_); }

bool CInputBaseDlg::eventFilter(QObject* watched, QEvent* event) {
  // Neither Enter nor Esc closes or advances a page. Message boxes over the
  // page are windows of their own and keep their keys.
  if (event->type() == QEvent::KeyPress && watched->isWidgetType() &&
      static_cast<QWidget*>(watched)->window() == this) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape) return true;
  }
  return QDialog::eventFilter(watched, event);
}
