#pragma once
// The application object: lives for the whole run and owns what every window
// shares -- the terminal window, the application log object with its capture
// ring, and the device session. It is the device host (CDeviceHost) the main
// frame passes to the page host, which passes it on to pages, wizard pages and
// dialogs; only the application's own files reach it through theApp().
//
// Start-up (InitInstance): language and font sizes from the configuration,
// the services every window relies on (InitServices), the main frame with its
// caption, the capture ring, the line settings, and finally the frame's
// Connect command, queued so that it runs once the window shows.
#include <QFont>
#include <QPointer>
#include <QString>
#include <QTranslator>

#include <memory>

#include "app/language_config.h"
#include "common/program_version.h"
#include "log/traffic_capture.h"
#include "session/device_session.h"
#include "work/device_host.h"
#ifdef QHX_HAVE_ARCHIVE
#include "operations/archive_access.h"
#endif

class CMainFrame;
class CDlgTerminal;

class CVTrelix7CommApp : public CDeviceHost {
 public:
  struct Options {
    language::Choice language = language::Choice::kFromIni;
    // Device path of the simulated logger offered first by the port
    // selection dialog; empty without simulation.
    QString simulatedPort;
    // Post the Connect command once the main window shows.
    bool connectAtStart = true;
  };

  CVTrelix7CommApp();
  ~CVTrelix7CommApp();
  CVTrelix7CommApp(const CVTrelix7CommApp&) = delete;
  CVTrelix7CommApp& operator=(const CVTrelix7CommApp&) = delete;

  // The one instance (created on first use).
  static CVTrelix7CommApp& Instance();

  // The whole start-up; false ends the process (a message was shown where
  // there is one).
  bool InitInstance(const Options& options);
  // ModuleDir, the language (with Qt's own texts in it), and the font sizes
  // for the primary screen.
  void LoadConfiguration(const QString& moduleDir, language::Choice language);
  // The services every window relies on: font substitution, the message
  // pump of the protocol's waits, the work runner's hooks (terminal buttons,
  // F1, shutdown) and the capture ring. False when the ring cannot be had.
  bool InitServices();
  // Closes the main frame (which closes the port and the recording file) and
  // the terminal window, and removes the hooks. Returns the exit code 0.
  int ExitInstance();

  CMLog& Log() { return log_; }
  CDeviceSession& Session() override { return session_; }

  // The terminal window, created on first use (hidden) and made the target of
  // the traffic notification.
  CDlgTerminal* Terminal();
  // The terminal window if it exists, else none.
  CDlgTerminal* TerminalIfExists() const;
  // Shows the terminal window and gives it the focus.
  void ShowTerminal();
  // Destroys the terminal window (main frame destruction).
  void DestroyTerminal();

  // Dialog fonts: the dialog font face at FontBaseSize - DialogFontReduction,
  // and the measurement page's at FontBaseSize - MeasurePageFontReduction.
  QFont DialogFont() const override;
  QFont MeasurePageFont() const override;

  // The main frame's entries for the windows it hosts.
  QWidget* Frame() override;
  void RunDeviceOperation(QWidget* page, int item, int flags) override;
  void RefreshPages() override;

  // "Quorvane-HX Lite Control Software [<VersionText>]" and its line end.
  QString MainCaption() const;

  // The simulated logger's device path (empty without simulation).
  QString SimulatedPort() const { return simulatedPort_; }
  void SetSimulatedPort(const QString& path) { simulatedPort_ = path; }

#ifdef QHX_HAVE_ARCHIVE
  // The field-data archive of readouts and connects; none until a path is set.
  ops::ArchiveAccess& Archive() override { return *archive_; }
  void SetArchivePath(const std::string& path) { archive_ = std::make_unique<ops::ArchiveAccess>(path); }
#endif

  // True while some window runs a device operation in the background.
  bool WorkRunning() const { return workDepth_ > 0; }

  QString ModuleDir;
  QString VersionText = QStringLiteral("Ver. ") + QLatin1String(program_version::kNumber);
  int FontBaseSize = 12;
  int MeasurePageFontReduction = 2;
  int DialogFontReduction = 2;
  CMainFrame* MainFrame = nullptr;

 private:
  void OnWorkRunning(bool running);

  std::unique_ptr<QTranslator> qtTranslator_;
  std::unique_ptr<CDlgTerminal> terminal_;
  CMLog log_;
  CDeviceSession session_;
  QPointer<CMainFrame> ownFrame_;
  QString simulatedPort_;
  int workDepth_ = 0;
#ifdef QHX_HAVE_ARCHIVE
  std::unique_ptr<ops::ArchiveAccess> archive_ = std::make_unique<ops::ArchiveAccess>();
#endif
};

inline CVTrelix7CommApp& theApp() { return CVTrelix7CommApp::Instance(); }
