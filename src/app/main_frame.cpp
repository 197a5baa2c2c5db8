#include "app/main_frame.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QFile>
#include <QKeySequence>
#include <QMenuBar>
#include <QPointer>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTimer>

#include <cstring>

#include "app/dlg_version.h"
#include "app/shell_strings.h"
#include "app/shell_text.h"
#include "app/vtrelix7_comm_app.h"
#include "app/vtrelix7_comm_doc.h"
#include "app/vtrelix7_comm_view.h"
#include "controls/message_box.h"
#include "log/log_file_dialog.h"
#ifdef QHX_HAVE_ARCHIVE
#include "chart/archive_window.h"
#include "chart/chart_strings.h"
#endif
#include "controls/com_setting_dlg.h"
#include "firmware/dlg_firm.h"
#include "link/port_open_error.h"
#include "log/dlg_terminal.h"
#include "operations/listings.h"
#include "settings/setting_work.h"
#include "settings/wizard/wizard_entries.h"
#include "settings/wizard_item_lists.h"

namespace {

// How often the UI thread looks at the abort event of a connect check.
constexpr int kAbortWatchMs = 50;

// The group wizard commands: command id, group, shortcut.
struct GroupCommand {
  int commandId;
  int group;
  const char* shortcut;
};

constexpr GroupCommand kGroupCommands[] = {
    {CMainFrame::kCmdWizardAll, 0, "Ctrl+Shift+1"},         {CMainFrame::kCmdWizardInitial, 1, "Ctrl+Shift+2"},
    {CMainFrame::kCmdWizardWireless, 2, "Ctrl+Shift+3"},    {CMainFrame::kCmdWizardConnection, 3, "Ctrl+Shift+4"},
    {CMainFrame::kCmdWizardMeasurement, 4, "Ctrl+Shift+5"},
};

CDeviceSession& Session() { return theApp().Session(); }

std::string LocalPath(const QString& path) { return QFile::encodeName(path).toStdString(); }

// The lost line and the system's reason, one per line.
QString LineLostText() {
  return QString::fromStdString(Session().LineLostMessage()).replace(QLatin1String("\r\n"), QLatin1String("\n"));
}

}  // namespace

CMainFrame::CMainFrame(QWidget* parent) : QMainWindow(parent) {
  setObjectName(QStringLiteral("CMainFrame"));
  theApp().MainFrame = this;
  setWindowTitle(theApp().MainCaption().trimmed());

  document_ = new CVTrelix7CommDoc(this);
  client_ = new QStackedWidget(this);
  view_ = new CVTrelix7CommView(document_, client_);
  client_->addWidget(view_);
  client_->addWidget(&pageHost_);
  setCentralWidget(client_);
  ShowClientArea();

  BuildMenu();

  // The terminal window exists hidden from here on and receives the traffic.
  if (CDlgTerminal* terminal = theApp().TerminalIfExists())
    terminal->hide();
  else
    theApp().Terminal();

  move(kInitialX, kInitialY);
  setFixedSize(kInitialWidth, kInitialHeight);
  UpdateCommandStates();
}

CMainFrame::~CMainFrame() {
  Teardown();
  if (theApp().MainFrame == this) theApp().MainFrame = nullptr;
}

// ---------------------------------------------------------------- menu

QAction* CMainFrame::AddCommand(int commandId, uint32_t textId) {
  auto* action = new QAction(ShellText(textId), this);
  action->setObjectName(QString::number(commandId));
  action->setData(commandId);
  actions_[commandId] = action;
  return action;
}

void CMainFrame::BuildMenu() {
  QMenu* communication = menuBar()->addMenu(ShellText(strings::id::kMenuCommunication));
  communication->addAction(AddCommand(kCmdConnect, strings::id::kMenuConnect));
  communication->addAction(AddCommand(kCmdDisconnect, strings::id::kMenuDisconnect));
  communication->addSeparator();
  communication->addAction(AddCommand(kCmdShowTerminal, strings::id::kMenuShowTerminal));
#ifdef QHX_HAVE_ARCHIVE
  // Works without a logger: it only reads the archive file.
  communication->addAction(AddCommand(kCmdArchiveWindow, strings::id::kArchiveMenuItem));
  connect(Action(kCmdArchiveWindow), &QAction::triggered, this, &CMainFrame::OnArchiveWindow);
#endif
  communication->addSeparator();
  QAction* recording = AddCommand(kCmdLogRecording, strings::id::kMenuLogRecording);
  recording->setCheckable(true);
  communication->addAction(recording);
  communication->addSeparator();
  communication->addAction(AddCommand(kCmdExit, strings::id::kMenuExit));

  QMenu* settingsFile = menuBar()->addMenu(ShellText(strings::id::kMenuSettingsFile));
  settingsFile->addAction(AddCommand(kCmdExportSettings, strings::id::kMenuExportSettings));
  settingsFile->addSeparator();
  settingsFile->addAction(AddCommand(kCmdImportSettings, strings::id::kMenuImportSettings));

  QMenu* help = menuBar()->addMenu(ShellText(strings::id::kMenuHelp));
  help->addAction(AddCommand(kCmdVersion, strings::id::kMenuVersion));

  connect(Action(kCmdConnect), &QAction::triggered, this, &CMainFrame::OnConnect);
  connect(Action(kCmdDisconnect), &QAction::triggered, this, &CMainFrame::OnCloseConnection);
  connect(Action(kCmdShowTerminal), &QAction::triggered, this, &CMainFrame::OnShowTerminal);
  connect(recording, &QAction::triggered, this, &CMainFrame::OnLogRecording);
  connect(Action(kCmdExit), &QAction::triggered, this, &QWidget::close);
  connect(Action(kCmdExportSettings), &QAction::triggered, this, &CMainFrame::OnExportSettings);
  connect(Action(kCmdImportSettings), &QAction::triggered, this, &CMainFrame::OnImportSettings);
  connect(Action(kCmdVersion), &QAction::triggered, this, &CMainFrame::OnVersion);

  // Commands that no menu item carries: reachable by shortcut only.
  for (const GroupCommand& command : kGroupCommands) {
    QAction* action = AddCommand(command.commandId, strings::id::kGroupWizard0 + static_cast<uint32_t>(command.group));
    action->setShortcut(QKeySequence(QString::fromLatin1(command.shortcut)));
    action->setShortcutContext(Qt::WindowShortcut);
    const int group = command.group;
    connect(action, &QAction::triggered, this, [this, group] { OnGroupWizard(group); });
    addAction(action);
  }
  QAction* firmware = AddCommand(kCmdFirmwareUpdate, strings::id::kFirmwareUpdateCommand);
  connect(firmware, &QAction::triggered, this, &CMainFrame::OnFirmwareUpdate);
  addAction(firmware);
}

QAction* CMainFrame::Action(int commandId) const {
  const auto it = actions_.find(commandId);
  return it == actions_.end() ? nullptr : it->second;
}

void CMainFrame::UpdateCommandStates() {
  const bool connected = (connectionState_ & 1) != 0;
  const bool anyState = (connectionState_ & 3) != 0;
  const auto set = [this](int id, bool enabled) {
    if (QAction* action = Action(id)) action->setEnabled(enabled);
  };
  set(kCmdConnect, !anyState);
  set(kCmdDisconnect, anyState);
  set(kCmdShowTerminal, true);
  set(kCmdArchiveWindow, true);
  set(kCmdLogRecording, true);
  set(kCmdExit, true);
  set(kCmdExportSettings, connected);
  set(kCmdImportSettings, connected);
  set(kCmdVersion, true);
  for (const GroupCommand& command : kGroupCommands)
    set(command.commandId, command.commandId == kCmdWizardWireless || connected);
  set(kCmdFirmwareUpdate, false);
  if (QAction* recording = Action(kCmdLogRecording)) recording->setChecked(recording_ != 0);
}

void CMainFrame::ShowClientArea() {
  client_->setCurrentWidget(pageHost_.HasWindow() ? static_cast<QWidget*>(&pageHost_) : view_);
}

// ---------------------------------------------------------------- connection

void CMainFrame::OnConnect() {
  Session().InvalidateClockReference();
  Session().Close();
  EnsureConnected();
}

bool CMainFrame::EnsureConnected() {
  if (Session().IsOpen()) {
    workMode_ = kConnectCheck;
    RunAbortableCheck();
    return true;
  }

  CComSettingDlg dialog(this);
  dialog.setFont(theApp().DialogFont());
  QString lastPath = QString::fromStdString(Session().lastChosenPortName);
  const QString simulated = theApp().SimulatedPort();
  if (!simulated.isEmpty()) {
    // The simulated logger is offered first and, until another port was
    // chosen, preselected.
    dialog.AddExtraPort(simulated, CComSettingDlg::SimulationDescription());
    if (lastPath.isEmpty()) lastPath = simulated;
  }
  dialog.SetPortPath(lastPath);
  if (dialog.exec() != QDialog::Accepted) return false;

  const QString chosen = dialog.PortPath();
  if (!ConnectToPort(chosen)) return false;
  Session().lastChosenPortName = chosen.toStdString();
  SetConnected();
  return true;
}

bool CMainFrame::ConnectToPort(const QString& portPath) {
  ResetConnection();
  QString message;
  if (Session().Open(LocalPath(portPath)) != 0) {
    // The system's reason (and a hint) below the message.
    message = ShellText(strings::id::kPortCannotOpen) + QLatin1Char('\n') +
              QString::fromStdString(DescribePortOpenError(Session().LastOpenError(), LocalPath(portPath)))
                  .replace(QLatin1String("\r\n"), QLatin1String("\n"));
  } else {
    pageHost_.DestroyWindow();
    workMode_ = kConnectCheck;
    const int checked = RunAbortableCheck();
    if (checked > 0) {
      SetConnected();
      pageHost_.ShowForDevice(this, Session().Current().sys.deviceType);
      ShowClientArea();
      return true;
    }
    // An aborted check needs no message: the user gave it up.
    if (checked == 0) message = Session().LineLost() ? LineLostText() : ShellText(strings::id::kNoResponse);
  }
  Session().InvalidateClockReference();
  Session().Close();
  if (!tornDown_ && !message.isEmpty()) msgbox::Warning(this, message, QStringLiteral("Error!"));
  return false;
}

int CMainFrame::RunAbortableCheck() {
  // The worker is inside the session; the UI thread watches the abort event
  // and ends the exchange's waits, after which every step of the check ends
  // at once.
  QTimer watch;
  watch.setInterval(kAbortWatchMs);
  connect(&watch, &QTimer::timeout, this, [this, &watch] {
    if (!runner_.AbortEvent().IsSet()) return;
    watch.stop();
    if (CReadData* lines = Session().Port().LineBuffer()) lines->Abandon();
  });
  watch.start();
  const int result = runner_.Run(this, QString(), 1);
  watch.stop();
  const bool aborted = runner_.AbortEvent().IsSet();
  runner_.AbortEvent().Reset();
  if (!aborted) return result;
  if (CReadData* lines = Session().Port().LineBuffer(); lines != nullptr && Session().IsOpen()) lines->Resume();
  return -1;
}

void CMainFrame::SetConnected() {
  Session().connectionState = 1;
  connectionState_ |= 1;
  UpdateCommandStates();
  RefreshPages();
}

void CMainFrame::WaitForRunningOperation() {
  if (!Session().OperationRunning()) return;
  Session().Port().Close();
  QEventLoop loop;
  QTimer poll;
  poll.setInterval(kAbortWatchMs);
  connect(&poll, &QTimer::timeout, &loop, [this, &loop] {
    if (!Session().OperationRunning()) loop.quit();
  });
  poll.start();
  if (Session().OperationRunning()) loop.exec();
}

bool CMainFrame::DeferWhileAPageRuns() {
  if (CVTCWorkingThread::CurrentProgressDialog() == nullptr) return false;
  // A page's run is on the stack below this handler (only the page is
  // disabled while it runs). Closing the port ends its exchange within the
  // time-out; the pages are destroyed only once that run has returned.
  Session().Port().Close();
  return true;
}

void CMainFrame::ResetConnection() {
  WaitForRunningOperation();
  Session().InvalidateClockReference();
  Session().Close();
  pageHost_.DestroyWindow();
  Session().connectionState = 0;
  Session().Current() = DeviceRecord();
  connectionState_ = 0;
  ShowClientArea();
  UpdateCommandStates();
}

void CMainFrame::NoteLineLost() {
  if (lineLossPending_ || tornDown_) return;
  lineLossPending_ = true;
  QTimer::singleShot(0, this, &CMainFrame::EndLostConnection);
}

void CMainFrame::EndLostConnection() {
  // A connect that failed has told and closed already.
  if (tornDown_ || !IsConnected() || !Session().LineLost()) {
    lineLossPending_ = false;
    return;
  }
  // The window that ran the operation may still be on the stack (showing its
  // result, or a wizard going on): its pages go only once it has returned.
  if (CVTCWorkingThread::CurrentProgressDialog() != nullptr || QApplication::activeModalWidget() != nullptr) {
    QTimer::singleShot(kAbortWatchMs, this, &CMainFrame::EndLostConnection);
    return;
  }
  lineLossPending_ = false;
  const QString message = LineLostText();
  ResetConnection();
  msgbox::Warning(this, message, QStringLiteral("Error!"));
}

void CMainFrame::OnCloseConnection() {
  if (DeferWhileAPageRuns()) {
    QTimer::singleShot(kAbortWatchMs, this, &CMainFrame::OnCloseConnection);
    return;
  }
  WaitForRunningOperation();
  workMode_ = kCloseConnection;
  runner_.Run(this, QString(), 0);
  ResetConnection();
}

namespace {

// Esc on the progress dialog, as the operations ask for it.
class EscapeAbort : public ops::AbortSource {
 public:
  explicit EscapeAbort(CEscapeEvent& event) : event_(event) {}
  bool AbortRequested() override { return event_.IsSet(); }

 private:
  CEscapeEvent& event_;
};

}  // namespace

int CMainFrame::DoWork() {
  CDeviceSession& session = Session();
  if (workMode_ != kConnectCheck && workMode_ != kQuickRefresh) return 1;
  CDeviceSession::OperationGuard guard(session);
  // Refused as busy: the running operation owns the session's messages.
  if (!guard.Acquired()) return 0;
  switch (workMode_) {
    case kConnectCheck: {
      EscapeAbort abort(runner_.AbortEvent());
      ops::Context context;
      context.abort = &abort;
      if (!ops::Refresh(session, context).Succeeded()) return 0;
#ifdef QHX_HAVE_ARCHIVE
      // A failure is told by the next readout.
      theApp().Archive().RecordConnect(session, nullptr);
#endif
      return 1;
    }
    case kQuickRefresh: session.RefreshSystemInfo(); return 1;
    default: return 1;
  }
}

// ---------------------------------------------------------------- pages

void CMainFrame::RefreshPages() { pageHost_.RefreshPages(); }

void CMainFrame::RunDeviceOperation(QWidget* page, int item, int flags) {
  if (item < 0) {
    const QPointer<QWidget> focused = QApplication::focusWidget();
    const QPointer<QWidget> caller = page;
    workMode_ = item == -2 ? kQuickRefresh : kConnectCheck;
    RunAbortableCheck();
    if (caller) caller->setFocus();
    if (focused) focused->setFocus();
  } else {
    // The single-item wizard: the working record starts as the current one.
    RunSingleItemWizard(theApp(), page, item, flags);
  }
  RefreshPages();
}

void CMainFrame::OnGroupWizard(int group) {
  if (!EnsureConnected()) return;
  const CSettingItemList list = GroupWizardList(Session().Current().sys.deviceType, group);
  Session().Working() = Session().Current();
  CVTCSettingWork::ChooseItemsAndRunWizard(theApp(), this, list);
  setFocus();
  RefreshPages();
}

void CMainFrame::OnExportSettings() {
  CVTCSettingWork::RunExportCommand(theApp(), this);
  setFocus();
  RefreshPages();
}

void CMainFrame::OnImportSettings() {
  CVTCSettingWork::RunImportCommand(theApp(), this);
  setFocus();
  RefreshPages();
}

void CMainFrame::OnFirmwareUpdate() {
  int updated = 0;
  {
    CDlgFirm dialog(theApp(), this);
    dialog.setFont(theApp().DialogFont());
    dialog.exec();
    updated = dialog.updated;
  }
  if (updated != 1) return;
  // The logger restarted with the new program: check the connection again.
  const QPointer<QWidget> focused = QApplication::focusWidget();
  workMode_ = kConnectCheck;
  runner_.Run(this, QString(), 0);
  setFocus();
  if (focused) focused->setFocus();
  RefreshPages();
}

// ---------------------------------------------------------------- other commands

void CMainFrame::OnShowTerminal() { theApp().ShowTerminal(); }

void CMainFrame::OnArchiveWindow() {
#ifdef QHX_HAVE_ARCHIVE
  ShowArchiveWindow(theApp().Archive().Path(), this);
#endif
}

void CMainFrame::OnLogRecording() {
  CMLog& log = theApp().Log();
  if (log.IsFileOpen()) {
    log.CloseFile();
    recording_ = 0;
    UpdateCommandStates();
    return;
  }

  const QString path = AskLogFilePath(this);
  if (path.isEmpty()) {
    UpdateCommandStates();
    return;
  }
  if (log.OpenFile(LocalPath(path)) == 0) {
    const QString reason = QString::fromLocal8Bit(std::strerror(log.OpenError()));
    msgbox::Warning(this, msgbox::WithPath(ShellText(strings::id::kFileCreateFailed), path, reason));
    UpdateCommandStates();
    return;
  }

  const QByteArray header =
      QString::fromLatin1(kRecordingHeader).replace(QStringLiteral("%s"), theApp().VersionText).toLatin1();
  log.AddTraffic(reinterpret_cast<const uint8_t*>(header.constData()), static_cast<uint32_t>(header.size()), 1);
  recording_ = 1;
  UpdateCommandStates();
}

void CMainFrame::OnVersion() {
  CDlgVersion box(this);
  box.exec();
}

// ---------------------------------------------------------------- keys, closing

bool CMainFrame::focusNextPrevChild(bool next) {
  // Inside the pages Tab moves between their controls; anywhere else in the
  // frame it moves the focus into the page host.
  QWidget* focused = QApplication::focusWidget();
  if (focused != nullptr && pageHost_.isAncestorOf(focused)) return QMainWindow::focusNextPrevChild(next);
  if (pageHost_.HasWindow()) pageHost_.Tabs()->setFocus(Qt::TabFocusReason);
  return true;
}

void CMainFrame::closeEvent(QCloseEvent* event) {
  // While a device operation runs the frame is disabled and cannot be closed.
  if (!isEnabled()) {
    event->ignore();
    return;
  }
  if (DeferWhileAPageRuns()) {
    event->ignore();
    QTimer::singleShot(kAbortWatchMs, this, &QWidget::close);
    return;
  }
  Teardown();
  event->accept();
}

void CMainFrame::Teardown() {
  if (tornDown_) return;
  tornDown_ = true;
  ResetConnection();
  theApp().Log().CloseFile();
  recording_ = 0;
  pageHost_.DestroyWindow();
  theApp().DestroyTerminal();
}
