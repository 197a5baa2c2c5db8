#pragma once
// Shared pieces of the wizard tests: a virtual logger connected to the
// application's session, a recorder that answers message boxes, and a driver
// that acts on the wizard pages from inside their modal loops.
#include <QApplication>
#include <QDeadlineTimer>
#include <QPushButton>
#include <QTimer>

#include <chrono>
#include <cstdlib>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "../support/fake_device_host.h"
#include "common/timing.h"
#include "controls/message_box.h"
#include "settings/pages/input_base_dlg.h"
#include "virtual_logger.h"

namespace wiztest {

using Lines = std::vector<std::string>;

// A virtual logger on a pseudo-terminal, with the application's session
// connected to it as the main frame's connect check leaves it.
class ConnectedLogger {
 public:
  explicit ConnectedLogger(const vlogger::Options& options = vlogger::Options()) : logger_(options) {
    const char* env = std::getenv("QHX_TEST_TIME_SCALE");
    timing::SetTimeScale(env != nullptr ? std::atof(env) : 0.05);
    started_ = logger_.Start();
    if (!started_) return;
    CDeviceSession& s = TestHost().Session();
    opened_ = s.Open(logger_.PortPath()) == 0 && s.Identify() == 1;
    s.RefreshSystemInfo();
    s.ReadMailSettings();
  }
  ~ConnectedLogger() {
    TestHost().Session().Close();
    TestHost().Session().Current() = DeviceRecord();
    TestHost().Session().Working() = DeviceRecord();
    logger_.Stop();
    timing::SetTimeScale(1.0);
  }
  bool Ready() const { return started_ && opened_; }
  vlogger::VirtualLogger& Logger() { return logger_; }

  Lines Received() const { return logger_.ReceivedLines(); }
  // The received lines that start with the prefix, in order.
  Lines Starting(const std::string& prefix) const {
    Lines out;
    for (const auto& l : logger_.ReceivedLines())
      if (l.compare(0, prefix.size(), prefix) == 0) out.push_back(l);
    return out;
  }
  // Position of the first received line starting with the prefix, or -1.
  int IndexOf(const std::string& prefix) const {
    const Lines lines = logger_.ReceivedLines();
    for (size_t i = 0; i < lines.size(); ++i)
      if (lines[i].compare(0, prefix.size(), prefix) == 0) return static_cast<int>(i);
    return -1;
  }

  // Puts the logger into scheduled measurement and refreshes the session.
  void StartMeasuring() {
    CDeviceSession& s = TestHost().Session();
    s.Protocol().StartMeasurement(s.PortPtr());
    s.RefreshSystemInfo();
  }

 private:
  vlogger::VirtualLogger logger_;
  bool started_ = false;
  bool opened_ = false;
};

// Records every message box and answers it (OK unless told otherwise).
class MessageBoxes {
 public:
  MessageBoxes() {
    msgbox::SetInterceptor([this](const msgbox::Request& r) {
      shown.push_back(r);
      if (!answers.empty()) {
        const int a = answers.front();
        answers.pop_front();
        return a;
      }
      return static_cast<int>(QMessageBox::Ok);
    });
  }
  ~MessageBoxes() { msgbox::SetInterceptor(nullptr); }

  std::vector<msgbox::Request> shown;
  std::deque<int> answers;
};

// What a page looked like when a step saw it.
struct PageView {
  QString title;
  bool backVisible = false;
  bool backEnabled = false;
  QString nextText;
  bool nextVisible = false;
  QString cancelText;
  int flags = 0;
};

inline PageView Look(CInputBaseDlg* page) {
  PageView v;
  v.title = page->windowTitle();
  v.backVisible = page->BackButton()->isVisibleTo(page);
  v.backEnabled = page->BackButton()->isEnabled();
  v.nextText = page->NextButton()->text();
  v.nextVisible = page->NextButton()->isVisibleTo(page);
  v.cancelText = page->CancelButton()->text();
  v.flags = page->WizardFlags();
  return v;
}

// Acts on the wizard pages as they come up. Each step runs once on the page
// that is showing (modal, enabled: no work running) and returns true when it
// is done. Pages left over after the deadline are cancelled so that a failing
// test ends instead of hanging.
class PageDriver : public QObject {
 public:
  using Step = std::function<bool(CInputBaseDlg*)>;

  explicit PageDriver(std::chrono::milliseconds deadline = std::chrono::seconds(30)) : deadline_(deadline.count()) {
    connect(&timer_, &QTimer::timeout, this, [this] { Tick(); });
    timer_.start(5);
  }

  void Then(Step step) { steps_.push_back(std::move(step)); }
  // Looks at the page, then presses one of its buttons.
  void Press(int controlId, std::function<void(CInputBaseDlg*)> before = nullptr) {
    Then([controlId, before](CInputBaseDlg* page) {
      if (before) before(page);
      auto* button = page->findChild<QPushButton*>(CInputBaseDlg::ControlName(controlId));
      if (button != nullptr) button->click();
      return true;
    });
  }
  void Next(std::function<void(CInputBaseDlg*)> before = nullptr) { Press(CInputBaseDlg::kIdNext, before); }
  void Back(std::function<void(CInputBaseDlg*)> before = nullptr) { Press(CInputBaseDlg::kIdBack, before); }
  void Cancel(std::function<void(CInputBaseDlg*)> before = nullptr) { Press(CInputBaseDlg::kIdCancel, before); }

  bool Done() const { return steps_.empty(); }
  bool TimedOut() const { return timed_out_; }
  std::vector<PageView> seen;

 private:
  void Tick() {
    if (busy_) return;
    auto* page = qobject_cast<CInputBaseDlg*>(QApplication::activeModalWidget());
    if (deadline_.hasExpired()) {
      if (page != nullptr) {
        timed_out_ = true;
        page->reject();
      }
      return;
    }
    if (page == nullptr || !page->isEnabled() || steps_.empty()) return;
    busy_ = true;
    seen.push_back(Look(page));
    const bool done = steps_.front()(page);
    if (done) steps_.pop_front();
    busy_ = false;
  }

  QTimer timer_;
  QDeadlineTimer deadline_;
  std::deque<Step> steps_;
  bool busy_ = false;
  bool timed_out_ = false;
};

}  // namespace wiztest
