#include "controls/message_box.h"

#include "common/string_table.h"

namespace msgbox {
namespace {
Interceptor g_interceptor;
}

QString WithPath(const QString& text, const QString& path, const QString& reason) {
  QString message = QStringLiteral("%1\r\n(%2)").arg(text, path);
  if (!reason.isEmpty()) message += QStringLiteral("\r\n") + reason;
  return message;
}

void SetInterceptor(Interceptor interceptor) { g_interceptor = std::move(interceptor); }

int Show(const Request& request) {
  if (g_interceptor) return g_interceptor(request);
  QMessageBox box(request.owner);
  box.setText(request.text);
  box.setWindowTitle(request.caption.isEmpty() ? QString::fromStdString(strings::Text(strings::id::kAppTitle))
                                               : request.caption);
  switch (request.icon) {
    case Icon::kWarning: box.setIcon(QMessageBox::Warning); break;
    case Icon::kInformation: box.setIcon(QMessageBox::Information); break;
    case Icon::kQuestion: box.setIcon(QMessageBox::Question); break;
    case Icon::kNone: box.setIcon(QMessageBox::NoIcon); break;
  }
  if (request.okCancel) {
    box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
    box.setDefaultButton(QMessageBox::Cancel);
  } else {
    box.setStandardButtons(QMessageBox::Ok);
  }
  return box.exec();
}

int Warning(QWidget* owner, const QString& text, const QString& caption) {
  return Show({owner, text, caption, Icon::kWarning, false});
}

int Plain(QWidget* owner, const QString& text, const QString& caption) {
  return Show({owner, text, caption, Icon::kNone, false});
}

bool Confirm(QWidget* owner, const QString& text, const QString& caption) {
  return Show({owner, text, caption, Icon::kWarning, true}) == QMessageBox::Ok;
}

}  // namespace msgbox
