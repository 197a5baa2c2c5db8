#pragma once
// The open and save file dialogs of the program, with a seam for tests.
#include <QString>

#include <functional>
#include <memory>

class QFileDialog;
class QWidget;

namespace filedlg {

struct Request {
  QWidget* owner = nullptr;
  bool save = false;
  QString title;          // empty: the platform's default
  QString proposedName;   // save dialogs: the proposed file name
  QString filter;         // Qt form, e.g. "Log file(*.log)"
  QString defaultSuffix;  // e.g. "log"
};

// The chosen path, or an empty string when the user cancelled. Save dialogs
// ask before an existing file is replaced.
QString Ask(const Request& request);

// The dialog Ask() shows, not yet shown. It never reads from the files it
// lists (named pipes, devices and /proc would block it).
std::unique_ptr<QFileDialog> MakeDialog(const Request& request);

// Tests: when set, called instead of showing a dialog.
using Interceptor = std::function<QString(const Request&)>;
void SetInterceptor(Interceptor interceptor);

}  // namespace filedlg
