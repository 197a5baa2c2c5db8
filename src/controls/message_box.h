#pragma once
// Every message box of the program goes through here, so that tests can read
// what would be shown and answer it without a real modal box.
#include <QMessageBox>
#include <QString>

#include <functional>

namespace msgbox {

enum class Icon { kNone, kWarning, kInformation, kQuestion };

// A caption that shows as empty (an empty QString means the application's title).
inline const QString kEmptyCaption = QStringLiteral(" ");

struct Request {
  QWidget* owner = nullptr;
  QString text;
  QString caption;  // empty: the application's title
  Icon icon = Icon::kNone;
  bool okCancel = false;  // OK and Cancel with Cancel as the default
};

// Shows the box and returns QMessageBox::Ok or QMessageBox::Cancel.
int Show(const Request& request);

// A warning box with OK, captioned with the application's title unless given.
int Warning(QWidget* owner, const QString& text, const QString& caption = QString());
// A box without icon, OK only.
int Plain(QWidget* owner, const QString& text, const QString& caption);
// A confirmation question: OK/Cancel, Cancel default, warning icon.
bool Confirm(QWidget* owner, const QString& text, const QString& caption);

// The one form of a message about a file: the text, then the path in
// brackets on its own line, then the system's reason when there is one.
QString WithPath(const QString& text, const QString& path, const QString& reason = QString());

// Tests: when set, called instead of showing a box; its result is returned.
using Interceptor = std::function<int(const Request&)>;
void SetInterceptor(Interceptor interceptor);

}  // namespace msgbox
