#include "pages/device_page.h"

#include <QKeyEvent>

#include "app/message_box.h"

ops::Result CDevicePage::RunOperation(const std::function<ops::Result()>& operation, const QString& caption,
                                      int lockedInput) {
  operation_ = operation;
  result_ = ops::Result();
  Run(this, QString(), lockedInput);
  operation_ = nullptr;
  const QString text = QString::fromStdString(result_.message);
  if (result_.Succeeded()) {
    if (!text.isEmpty()) msgbox::Plain(this, text, caption);
  } else if (result_.outcome != ops::Outcome::kAborted) {
    msgbox::Warning(this, text, caption);
  }
  return result_;
}

int CDevicePage::DoWork() {
  if (operation_) result_ = operation_();
  return result_.Succeeded() ? 1 : 0;
}

void CDevicePage::keyPressEvent(QKeyEvent* e) {
  if (e->key() == Qt::Key_Escape) return;
  QWidget::keyPressEvent(e);
}
