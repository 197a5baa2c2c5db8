#include "app/vtrelix7_comm_app.h"

#include <QApplication>
#include <QMetaObject>

#include "app/font_classes.h"
#include "app/font_faces.h"
#include "app/main_frame.h"
#include "app/qt_translations.h"
#include "app/shell_strings.h"
#include "common/string_table.h"
#include "controls/message_box.h"
#include "link/serial_settings.h"
#include "log/dlg_terminal.h"
#include "work/dlg_working.h"
#include "work/working_thread.h"

CVTrelix7CommApp::CVTrelix7CommApp() { session_.SetTrafficSink(&log_); }

CVTrelix7CommApp::~CVTrelix7CommApp() {
  // Widgets cannot be destroyed once the Qt application object is gone; at
  // that point the process is ending anyway.
  if (QCoreApplication::instance() == nullptr) (void)terminal_.release();
}

CVTrelix7CommApp& CVTrelix7CommApp::Instance() {
  static CVTrelix7CommApp app;
  return app;
}

// ---------------------------------------------------------------- start-up

void CVTrelix7CommApp::LoadConfiguration(const QString& moduleDir, language::Choice language) {
  ModuleDir = moduleDir;
  if (!ModuleDir.isEmpty() && !ModuleDir.endsWith(QLatin1Char('/'))) ModuleDir += QLatin1Char('/');
  const bool english = language::Apply(ModuleDir, language);
  qtTranslator_.reset();
  qtTranslator_ = InstallQtTranslations(!english);
  const DialogFontSizes sizes = FontSizesForPrimaryScreen();
  FontBaseSize = sizes.baseSize;
  MeasurePageFontReduction = sizes.measurePageReduction;
  DialogFontReduction = sizes.dialogReduction;
}

bool CVTrelix7CommApp::InitServices() {
  session_.SetTrafficSink(&log_);
  InstallFontSubstitutions();
  CVTCWorkingThread::SetTerminalEnabler([](bool enable) { theApp().OnWorkRunning(!enable); });
  // A runner that goes away while its worker still runs closes the port, so
  // that the worker's exchange ends at once and the worker can be joined.
  CVTCWorkingThread::SetShutdownHook([] { theApp().Session().Port().Close(); });
  CDlgWorking::SetShowTerminal([] { theApp().ShowTerminal(); });
  session_.SetLineSettings(SerialSettings::Logger());
  return log_.Ring().Allocate() == 1;
}

bool CVTrelix7CommApp::InitInstance(const Options& options) {
  LoadConfiguration(QCoreApplication::applicationDirPath(), options.language);
  simulatedPort_ = options.simulatedPort;
  InstallFontSubstitutions();
  QApplication::setFont(DialogFont());

  auto* frame = new CMainFrame();
  ownFrame_ = frame;
  frame->setWindowTitle(MainCaption().trimmed());
  frame->show();
  frame->repaint();

  if (!InitServices()) {
    // No owner and no caption of its own: the platform's default one.
    msgbox::Warning(nullptr, QStringLiteral("Memory error!"), QStringLiteral("Error"));
    return false;
  }
  if (options.connectAtStart && MainFrame != nullptr)
    QMetaObject::invokeMethod(MainFrame, &CMainFrame::OnConnect, Qt::QueuedConnection);
  return true;
}

int CVTrelix7CommApp::ExitInstance() {
  delete ownFrame_.data();
  DestroyTerminal();
  session_.Close();
  CDlgWorking::SetShowTerminal(nullptr);
  return 0;
}

// ---------------------------------------------------------------- terminal

CDlgTerminal* CVTrelix7CommApp::Terminal() {
  if (!terminal_) {
    terminal_ = std::make_unique<CDlgTerminal>(session_.Port(), log_, DialogFont());
    terminal_->SetEnabled(workDepth_ == 0 ? 1 : 0);
    log_.SetNotifyTarget(&CDlgTerminal::PostTrafficNotification, CMLog::kTerminalNotifyId);
    // Traffic captured while no terminal existed shows as well.
    CDlgTerminal::PostTrafficNotification(CMLog::kTerminalNotifyId);
  }
  return terminal_.get();
}

CDlgTerminal* CVTrelix7CommApp::TerminalIfExists() const { return terminal_.get(); }

void CVTrelix7CommApp::ShowTerminal() {
  CDlgTerminal* t = Terminal();
  t->show();
  t->raise();
  t->activateWindow();
  t->setFocus();
}

void CVTrelix7CommApp::DestroyTerminal() { terminal_.reset(); }

void CVTrelix7CommApp::OnWorkRunning(bool running) {
  workDepth_ += running ? 1 : -1;
  if (workDepth_ < 0) workDepth_ = 0;
  if (terminal_) terminal_->SetEnabled(workDepth_ == 0 ? 1 : 0);
  // Whatever run found the line lost, the frame ends the connection.
  if (!running && MainFrame != nullptr && session_.LineLost()) MainFrame->NoteLineLost();
}

// ---------------------------------------------------------------- texts, fonts

QString CVTrelix7CommApp::MainCaption() const {
  const std::string format = strings::Text(strings::id::kMainCaption, "Quorvane-HX Lite Control Software [%s]\r\n");
  return QString::fromStdString(format).replace(QStringLiteral("%s"), VersionText);
}

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

QWidget* CVTrelix7CommApp::Frame() { return MainFrame; }

void CVTrelix7CommApp::RunDeviceOperation(QWidget* page, int item, int flags) {
  if (MainFrame != nullptr) MainFrame->RunDeviceOperation(page, item, flags);
}

void CVTrelix7CommApp::RefreshPages() {
  if (MainFrame != nullptr) MainFrame->RefreshPages();
}
