#pragma once
// Shared pieces of the communication, test page, wizard page, settings file
// and firmware tests: a virtual logger connected to the application's
// session, recorders that answer message boxes and file dialogs, and a driver
// that acts on each modal dialog as it appears.
#include <QApplication>
#include <QDialog>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QWidget>
#include <QtTest>

#include <chrono>
#include <cstdlib>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "../support/fake_device_host.h"
#include "common/timing.h"
#include "controls/file_dialogs.h"
#include "controls/message_box.h"
#include "virtual_logger.h"

namespace comm_test {

// Protocol time-outs run at this fraction; QHX_TEST_TIME_SCALE overrides it.
inline double TimeScale() {
  const char* env = std::getenv("QHX_TEST_TIME_SCALE");
  return env != nullptr ? std::atof(env) : 0.05;
}

// Records every message box and answers it: from `answers` while it has
// entries, else with OK.
class MessageBoxes {
 public:
  MessageBoxes() {
    msgbox::SetInterceptor([this](const msgbox::Request& r) {
      shown.push_back(r);
      if (answers.empty()) return int(QMessageBox::Ok);
      const int a = answers.front();
      answers.pop_front();
      return a;
    });
  }
  ~MessageBoxes() { msgbox::SetInterceptor(nullptr); }
  MessageBoxes(const MessageBoxes&) = delete;
  MessageBoxes& operator=(const MessageBoxes&) = delete;

  QStringList Texts() const {
    QStringList t;
    for (const auto& r : shown) t << r.text;
    return t;
  }

  std::vector<msgbox::Request> shown;
  std::deque<int> answers;
};

// Records every file dialog and answers it with the next path of `answers`
// (an empty path: cancelled).
class FileDialogs {
 public:
  FileDialogs() {
    filedlg::SetInterceptor([this](const filedlg::Request& r) {
      asked.push_back(r);
      if (answers.empty()) return QString();
      const QString a = answers.front();
      answers.pop_front();
      return a;
    });
  }
  ~FileDialogs() { filedlg::SetInterceptor(nullptr); }
  FileDialogs(const FileDialogs&) = delete;
  FileDialogs& operator=(const FileDialogs&) = delete;

  std::vector<filedlg::Request> asked;
  std::deque<QString> answers;
};

// Calls the handler once for every modal dialog that becomes active while the
// driver lives (polled; a dialog shown again after it was left counts anew).
// A dialog still open after a handler in which a check failed is rejected.
class ModalDriver {
 public:
  using Handler = std::function<void(QWidget*)>;
  explicit ModalDriver(Handler handler) : handler_(std::move(handler)) {
    QObject::connect(&timer_, &QTimer::timeout, [this] { Poll(); });
    timer_.start(10);
  }
  ModalDriver(const ModalDriver&) = delete;
  ModalDriver& operator=(const ModalDriver&) = delete;

  // Class names of the dialogs handled, in order.
  QStringList seen;

 private:
  void Poll() {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == nullptr) {
      last_ = nullptr;
      return;
    }
    if (busy_ || modal == last_.data()) return;
    last_ = modal;
    seen << QString::fromLatin1(modal->metaObject()->className());
    busy_ = true;
    handler_(modal);
    busy_ = false;
    // A check that failed inside the handler must not leave the dialog open.
    if (QTest::currentTestFailed() && modal == QApplication::activeModalWidget())
      if (auto* dialog = qobject_cast<QDialog*>(modal)) dialog->reject();
  }

  Handler handler_;
  QTimer timer_;
  QPointer<QWidget> last_;
  bool busy_ = false;
};

// Clicks the button of a dialog that carries the object name.
inline bool ClickButton(QWidget* dialog, const QString& name) {
  auto* button = dialog->findChild<QPushButton*>(name);
  if (button == nullptr || !button->isEnabled()) return false;
  button->click();
  return true;
}

// A virtual logger with the application's session connected to it (wake-up,
// "RD SYS", "MAIL DSP" as the main frame's connect check runs them).
class LoggerConnection {
 public:
  explicit LoggerConnection(const vlogger::Options& options = vlogger::Options()) : logger(options) {}
  ~LoggerConnection() { Stop(); }
  LoggerConnection(const LoggerConnection&) = delete;
  LoggerConnection& operator=(const LoggerConnection&) = delete;

  bool Start() {
    timing::SetTimeScale(TimeScale());
    if (!logger.Start()) return false;
    CDeviceSession& s = TestHost().Session();
    if (s.Open(logger.PortPath()) != 0) return false;
    return Refresh();
  }
  // The connect check again: the session's records as the logger has them.
  bool Refresh() {
    CDeviceSession& s = TestHost().Session();
    if (s.Identify() != 1) return false;
    s.RefreshSystemInfo();
    s.ReadMailSettings();
    return true;
  }
  void Stop() {
    TestHost().Session().Close();
    logger.Stop();
    timing::SetTimeScale(1.0);
  }
  // The received lines that start with the prefix, in order.
  std::vector<std::string> Starting(const std::string& prefix) const {
    std::vector<std::string> out;
    for (const auto& l : logger.ReceivedLines())
      if (l.compare(0, prefix.size(), prefix) == 0) out.push_back(l);
    return out;
  }

  vlogger::VirtualLogger logger;
};

}  // namespace comm_test
