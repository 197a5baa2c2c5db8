#pragma once
// Helpers of the shell's widget tests: recording message boxes and file
// dialogs, acting on the next modal dialog, and reading the terminal view.
#include <QApplication>
#include <QDeadlineTimer>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "controls/file_dialogs.h"
#include "controls/message_box.h"
#include "log/log_view.h"

namespace shelltest {

// Records every message box instead of showing it and answers OK.
class MessageRecorder {
 public:
  MessageRecorder() {
    msgbox::SetInterceptor([this](const msgbox::Request& r) {
      shown.push_back(r);
      return QMessageBox::Ok;
    });
  }
  ~MessageRecorder() { msgbox::SetInterceptor(nullptr); }
  std::vector<msgbox::Request> shown;
};

// Answers every file dialog with `path` (empty: cancelled) and keeps the requests.
class FileDialogAnswer {
 public:
  explicit FileDialogAnswer(QString path) : path_(std::move(path)) {
    filedlg::SetInterceptor([this](const filedlg::Request& r) {
      asked.push_back(r);
      return path_;
    });
  }
  ~FileDialogAnswer() { filedlg::SetInterceptor(nullptr); }
  std::vector<filedlg::Request> asked;

 private:
  QString path_;
};

// Calls `act` with the next modal dialog once it shows (within 10 s).
// `called` tells afterwards whether it was.
inline std::shared_ptr<bool> WhenModalShows(std::function<void(QWidget*)> act) {
  auto called = std::make_shared<bool>(false);
  auto* timer = new QTimer(QApplication::instance());
  auto deadline = std::make_shared<QDeadlineTimer>(10000);
  QObject::connect(timer, &QTimer::timeout, [timer, deadline, called, act = std::move(act)] {
    QWidget* modal = QApplication::activeModalWidget();
    if ((modal != nullptr && modal->isVisible()) || deadline->hasExpired()) {
      timer->stop();
      timer->deleteLater();
      if (modal != nullptr && modal->isVisible()) {
        *called = true;
        act(modal);
      }
    }
  });
  timer->start(5);
  return called;
}

// The characters of the view's stored lines and its partial line, in order.
inline std::string ViewText(const CLogView& view) {
  std::string text;
  const CRingLogBuffer& lines = view.DisplayLines();
  for (int i = 0; i < lines.Count(); ++i)
    for (uint16_t cell : lines.GetAt(i).cells) text.push_back(static_cast<char>(cell & 0xFF));
  for (uint16_t cell : view.PartialLine()) text.push_back(static_cast<char>(cell & 0xFF));
  return text;
}

inline std::string InputText(const CLogView& view) {
  std::string text;
  for (uint16_t cell : view.InputLine()) text.push_back(static_cast<char>(cell & 0xFF));
  return text;
}

}  // namespace shelltest
