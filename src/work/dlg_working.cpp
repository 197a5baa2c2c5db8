#include "work/dlg_working.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTimerEvent>
#include <QVBoxLayout>
#include <QWindow>

#include <algorithm>

#include "common/string_table.h"
#include "controls/dialog_units.h"
#include "work/marquee_bar.h"
#include "work/work_strings.h"

namespace {
std::function<void()> g_show_terminal;
}

void CDlgWorking::SetShowTerminal(std::function<void()> show) { g_show_terminal = std::move(show); }

// The dialog is a window of its own, not a child of the window it serves:
// that window is disabled during the run (which would disable a child too)
// and may even be destroyed before the run ends.
CDlgWorking::CDlgWorking(QWidget* parent, const QString& caption, CEscapeEvent* abortLink)
    : QDialog(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint), abort_link_(abortLink) {
  setObjectName("CDlgWorking");
  setAttribute(Qt::WA_QuitOnClose, false);
  setWindowTitle(QString::fromStdString(strings::Text(strings::id::kWorkingTitle)));
  setModal(false);

  text_ = new QLabel(this);
  text_->setObjectName("status");
  abort_ = new QPushButton(QString::fromStdString(strings::Text(strings::id::kWorkingAbort)), this);
  abort_->setObjectName("abort");
  abort_->setVisible(abort_link_ != nullptr);
  abort_->setAutoDefault(false);
  bar_ = new CMarqueeBar(this);

  auto* top = new QHBoxLayout;
  top->addWidget(text_, 1);
  top->addWidget(abort_);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addWidget(bar_);
  // The template's width (198 dialog units) at least.
  setMinimumWidth(std::max(320, DialogUnitsToPixels(font(), 198, 61).width()));

  caption_ = caption.isEmpty() ? QString::fromStdString(strings::Text(strings::id::kWorkingText)) : caption;
  UpdateText();
  connect(abort_, &QPushButton::clicked, this, &CDlgWorking::ClickAbort);

  if (parent != nullptr) {
    adjustSize();
    const QRect pr = parent->window()->frameGeometry();
    move(pr.center() - rect().center());
    // Kept in front of the window it serves.
    winId();
    if (QWindow* owner = parent->window()->windowHandle()) windowHandle()->setTransientParent(owner);
  }

  // Esc is swallowed; F1 brings up the terminal window.
  hook_.Install([](QKeyEvent* k) {
    if (k->key() == Qt::Key_Escape) return true;
    if (k->key() == Qt::Key_F1) {
      if (k->type() == QEvent::KeyRelease && g_show_terminal) g_show_terminal();
      return true;
    }
    return false;
  });
}

CDlgWorking::~CDlgWorking() { hook_.Uninstall(); }

void CDlgWorking::OnProgressCommand(int commandId, long value) {
  if (commandId == kSetTotal) {
    total_ = value;
  } else if (commandId == kSetValue) {
    value_ = value;
    has_value_ = true;
  } else {
    return;
  }
  // A worker may post its counter far more often than anyone can read it:
  // the text follows at most once per frame of the bar.
  if (!text_timer_.isActive()) text_timer_.start(CMarqueeBar::kFrameMs, this);
}

void CDlgWorking::timerEvent(QTimerEvent* e) {
  if (e->timerId() != text_timer_.timerId()) {
    QDialog::timerEvent(e);
    return;
  }
  text_timer_.stop();
  UpdateText();
}

void CDlgWorking::UpdateText() {
  QString text = caption_;
  if (has_value_) {
    text = total_ != 0 ? QString::asprintf("%s ( %ld / %ld )", caption_.toUtf8().constData(), value_, total_)
                       : QString::asprintf("%s ( %ld )", caption_.toUtf8().constData(), value_);
  }
  text_->setText(text);
  // A longer counter widens the dialog rather than being cut off.
  const int wanted = sizeHint().width();
  if (wanted > width()) resize(wanted, height());
}

QString CDlgWorking::CounterText() const { return text_->text(); }
bool CDlgWorking::AbortVisible() const { return !abort_->isHidden(); }

void CDlgWorking::ClickAbort() {
  abort_->hide();
  if (abort_link_ != nullptr) abort_link_->Set();
}

void CDlgWorking::changeEvent(QEvent* e) {
  // The filter is active only while this dialog or its parent is in front.
  QDialog::changeEvent(e);
}

void CDlgWorking::keyPressEvent(QKeyEvent* e) {
  if (e->key() == Qt::Key_Escape) return;
  QDialog::keyPressEvent(e);
}

void CDlgWorking::closeEvent(QCloseEvent* e) { e->ignore(); }
