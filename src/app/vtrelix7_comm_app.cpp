#include "app/vtrelix7_comm_app.h"

#include "common/string_table.h"
#include "log/dlg_terminal.h"

const char* const kAuthTypeNames[3] = {"none", "PAP", "CHAP"};

CVTrelix7CommApp::CVTrelix7CommApp() = default;

CVTrelix7CommApp::~CVTrelix7CommApp() = default;

CVTrelix7CommApp& CVTrelix7CommApp::Instance() {
  static CVTrelix7CommApp app;
  return app;
}

CDlgTerminal* CVTrelix7CommApp::Terminal() {
  if (!terminal_) terminal_ = std::make_unique<CDlgTerminal>();
  return terminal_.get();
}

void CVTrelix7CommApp::ShowTerminal() {
  CDlgTerminal* t = Terminal();
  t->show();
  t->raise();
  t->activateWindow();
}

void CVTrelix7CommApp::DestroyTerminal() { terminal_.reset(); }

QFont CVTrelix7CommApp::DialogFont() const {
  QFont f(QString::fromStdString(strings::Text(strings::id::kDialogFontFace)));
  f.setPointSize(FontBaseSize - DialogFontReduction);
  return f;
}

QFont CVTrelix7CommApp::MeasurePageFont() const {
  QFont f(QString::fromStdString(strings::Text(strings::id::kDialogFontFace)));
  f.setPointSize(FontBaseSize - MeasurePageFontReduction);
  return f;
}
