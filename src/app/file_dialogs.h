#pragma once
// The open and save file dialogs of the program, with a seam for tests.
#include <QString>

#include <functional>

class QWidget;

namespace filedlg {

struct Request {
  QWidget* owner = nullptr;
  bool save = false;
  QString title;         // empty: the platform's default
  QString proposedName;  // save dialogs: the proposed file name
  QString filter;        // Qt form, e.g. "Log file(*.log)"
  QString defaultSuffix; // e.g. "log"
};

// The chosen path, or an empty string when the user cancelled. Save dialogs
// ask before an existing file is replaced.
QString Ask(const Request& request);

// Tests: when set, called instead of showing a dialog.
using Interceptor = std::function<QString(const Request&)>;
void SetInterceptor(Interceptor interceptor);

}  // namespace filedlg
