#include "pages/device_page.h"

#include <QKeyEvent>

#include "controls/message_box.h"
#include "settings/wizard/wizard_entries.h"

ops::Result CDevicePage::RunOperation(CDeviceSession& session,
                                      const std::function<ops::Result(CDeviceSession&)>& operation,
                                      const QString& caption, int lockedInput) {
  session_ = &session;
  operation_ = operation;
  result_ = ops::Result();
  runner_.Run(this, QString(), lockedInput);
  if (runner_.IsRunning()) {
    // The page was hidden during the run: the worker still runs the operation
    // and owns its result; it is joined by the next run or the destructor.
    ops::Result unfinished;
    unfinished.outcome = ops::Outcome::kAborted;
    return unfinished;
  }
  operation_ = nullptr;
  const QString text = QString::fromStdString(result_.message);
  if (result_.Succeeded()) {
    if (!text.isEmpty()) msgbox::Plain(this, text, caption);
  } else if (result_.outcome != ops::Outcome::kAborted && result_.message != session.LineLostMessage()) {
    // A lost line alone is told by the frame, which ends the connection.
    msgbox::Warning(this, text, caption);
  }
  return result_;
}

int CDevicePage::DoWork() {
  if (operation_ && session_ != nullptr) {
    CDeviceSession::OperationGuard guard(*session_);
    if (guard.Acquired()) {
      result_ = operation_(*session_);
    } else {
      result_.outcome = ops::Outcome::kFailed;
      result_.message = CDeviceSession::MessageForCode(session_rc::kBusy);
    }
  }
  return result_.Succeeded() ? 1 : 0;
}

void CDevicePage::RunDeviceOperation(int item) {
  if (host_.Frame() != nullptr) {
    host_.RunDeviceOperation(this, item, 0);
  } else if (item >= 0) {
    RunSingleItemWizard(host_, this, item, 0);
    Refresh();
  }
}

void CDevicePage::keyPressEvent(QKeyEvent* e) {
  if (e->key() == Qt::Key_Escape) return;
  QWidget::keyPressEvent(e);
}
