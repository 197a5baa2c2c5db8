#pragma once
// The application object: lives for the whole run and owns what every window
// shares -- the terminal window, the application log object with its capture
// ring, and the device session. Windows reach it through theApp().
#include <QFont>
#include <QString>

#include <memory>

#include "log/traffic_capture.h"
#include "session/device_session.h"

class CMainFrame;
class CDlgTerminal;

class CVTrelix7CommApp {
 public:
  CVTrelix7CommApp();
  ~CVTrelix7CommApp();
  CVTrelix7CommApp(const CVTrelix7CommApp&) = delete;
  CVTrelix7CommApp& operator=(const CVTrelix7CommApp&) = delete;

  // The one instance (created on first use).
  static CVTrelix7CommApp& Instance();

  CMLog& Log() { return log_; }
  CDeviceSession& Session() { return session_; }

  // The terminal window, created on first use (hidden).
  CDlgTerminal* Terminal();
  // Shows the terminal window and gives it the focus.
  void ShowTerminal();
  // Destroys the terminal window (main frame destruction).
  void DestroyTerminal();

  // Dialog fonts: the dialog font face at FontBaseSize - DialogFontReduction,
  // and the measurement page's at FontBaseSize - MeasurePageFontReduction.
  QFont DialogFont() const;
  QFont MeasurePageFont() const;

  QString ModuleDir;
  QString VersionText = QStringLiteral("Ver. 1.07");
  int FontBaseSize = 12;
  int MeasurePageFontReduction = 2;
  int DialogFontReduction = 2;
  CMainFrame* MainFrame = nullptr;

 private:
  std::unique_ptr<CDlgTerminal> terminal_;
  CMLog log_;
  CDeviceSession session_;
};

inline CVTrelix7CommApp& theApp() { return CVTrelix7CommApp::Instance(); }

// The three authentication type names, index 0 to 2.
extern const char* const kAuthTypeNames[3];
