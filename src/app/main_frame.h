#pragma once
// CMainFrame: the single top-level window. It carries the menu, runs the
// sequences that open and close the connection to the logger, shows the main
// view while not connected and the page host over its client area while
// connected, and offers the pages RunDeviceOperation(), through which they
// refresh the session's picture of the logger or run the setting wizard.
//
// Device work of the frame itself runs through its own work runner
// (CVTCWorkingThread, a member): DoWork() runs on the worker thread and only
// calls the session.
#include <QMainWindow>
#include <QString>

#include <map>

#include "app/vtrelix7_comm_app.h"
#include "pages/dlg_ref_main.h"
#include "work/working_thread.h"

class QAction;
class QStackedWidget;
class CVTrelix7CommDoc;
class CVTrelix7CommView;

class CMainFrame : public QMainWindow {
  Q_OBJECT
 public:
  // Command ids.
  static constexpr int kCmdConnect = 32771;
  static constexpr int kCmdDisconnect = 32772;
  static constexpr int kCmdShowTerminal = 32773;
  static constexpr int kCmdLogRecording = 32776;
  static constexpr int kCmdExit = 57665;
  static constexpr int kCmdExportSettings = 32791;
  static constexpr int kCmdImportSettings = 32794;
  static constexpr int kCmdVersion = 32823;
  static constexpr int kCmdArchiveWindow = 32830;
  static constexpr int kCmdWizardAll = 32782;
  static constexpr int kCmdWizardInitial = 32783;
  static constexpr int kCmdWizardWireless = 32781;
  static constexpr int kCmdWizardConnection = 32785;
  static constexpr int kCmdWizardMeasurement = 32786;
  static constexpr int kCmdFirmwareUpdate = 32821;

  // Work modes of DoWork().
  enum WorkMode { kConnectCheck = 0, kCloseConnection = 1, kQuickRefresh = 2 };

  // Outer size and place of the window before the page host fits it.
  static constexpr int kInitialWidth = 688;
  static constexpr int kInitialHeight = 461;
  static constexpr int kInitialX = 100;
  static constexpr int kInitialY = 100;

  // Header line of every traffic recording ("%s": the version text).
  static constexpr const char* kRecordingHeader = "Quorvane-HX Lite Control[%s]\r\n";

  explicit CMainFrame(QWidget* parent = nullptr);
  ~CMainFrame() override;

  // ---- connection ----
  // Forgets the current port and connects through the port selection dialog.
  void OnConnect();
  // Connects through the port selection dialog when the port is closed (with
  // the connect check when it is open). True when a logger is connected.
  bool EnsureConnected();
  // One connect attempt on that device path, with its error messages.
  bool ConnectToPort(const QString& portPath);
  // Marks the tool connected and refreshes the pages.
  void SetConnected();
  // Closes the port and forgets everything the session knew about the logger.
  void ResetConnection();
  // When a device operation holds the session, closes the port (every
  // exchange then ends within its time-out) and handles events until the
  // operation has let go of the session. Nothing of the session is reset
  // under a running worker.
  void WaitForRunningOperation();
  // True while some window's run is still on the stack: the port is closed so
  // that its work ends, and the caller tries again later.
  bool DeferWhileAPageRuns();
  void OnCloseConnection();
  bool IsConnected() const { return (connectionState_ & 1) != 0; }
  // A device operation ended with the line to the logger lost: once no run
  // and no modal window is open any more, the connection is reset (pages
  // gone, Connect offered) and the loss is told with the system's reason.
  void NoteLineLost();

  // item -1: full refresh; -2: quick refresh ("RD SYS" only); >= 0: the
  // single-item setting wizard for that item with the given wizard flags.
  // Ends with a refresh of all pages.
  void RunDeviceOperation(QWidget* page, int item, int flags);
  // Refreshes every page of the page host from the session.
  void RefreshPages();

  // ---- other commands ----
  void OnShowTerminal();
  void OnArchiveWindow();
  // "ログ記録": starts or stops the traffic recording.
  void OnLogRecording();
  bool IsRecording() const { return recording_ != 0; }
  void OnExportSettings();
  void OnImportSettings();
  // The group setting wizard of a group (0 all items, 1 to 4 one group).
  void OnGroupWizard(int group);
  void OnFirmwareUpdate();
  void OnVersion();

  // Worker thread: the work of the current work mode. 1 success, 0 failure.
  int DoWork();
  void SetWorkMode(int mode) { workMode_ = mode; }

  // The action of a command id (menu items and shortcut-only commands), or none.
  QAction* Action(int commandId) const;
  // Sets every command's enabled and checked state from the frame's state.
  void UpdateCommandStates();

  CDlgRefMain& PageHost() { return pageHost_; }
  CVTrelix7CommView* View() const { return view_; }
  CVTrelix7CommDoc* Document() const { return document_; }

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool focusNextPrevChild(bool next) override;

 private:
  void BuildMenu();
  QAction* AddCommand(int commandId, uint32_t textId);
  void ShowClientArea();
  void Teardown();
  // Runs the connect check or a refresh (workMode_) behind a progress dialog
  // with Abort: the abort ends the line waits of the running exchange at
  // once. Returns DoWork's result, or -1 when the user aborted.
  int RunAbortableCheck();
  // NoteLineLost()'s deferred part.
  void EndLostConnection();

  CVTrelix7CommDoc* document_ = nullptr;
  QStackedWidget* client_ = nullptr;
  CVTrelix7CommView* view_ = nullptr;
  CDlgRefMain pageHost_{theApp()};
  std::map<int, QAction*> actions_;
  int workMode_ = kConnectCheck;
  uint8_t connectionState_ = 0;
  int recording_ = 0;
  bool tornDown_ = false;
  bool lineLossPending_ = false;
  // Last: its worker is joined before the members above go.
  CVTCWorkingThread runner_{[this] { return DoWork(); }};
};
