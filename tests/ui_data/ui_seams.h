#pragma once
// Test seams for the data page tests: answers message boxes and file dialogs,
// and acts on modal dialogs as they open.
#include <QApplication>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <map>
#include <vector>

#include "controls/file_dialogs.h"
#include "controls/message_box.h"

// Records every message box and answers it with `answer`.
class MessageBoxSpy {
 public:
  MessageBoxSpy() {
    msgbox::SetInterceptor([this](const msgbox::Request& r) {
      requests.push_back(r);
      return answer;
    });
  }
  ~MessageBoxSpy() { msgbox::SetInterceptor(nullptr); }
  MessageBoxSpy(const MessageBoxSpy&) = delete;
  MessageBoxSpy& operator=(const MessageBoxSpy&) = delete;

  QStringList Texts() const {
    QStringList out;
    for (const auto& r : requests) out << r.text;
    return out;
  }

  int answer = QMessageBox::Ok;
  std::vector<msgbox::Request> requests;
};

// Records every file dialog and answers it with `path` (empty: cancelled).
class FileDialogSpy {
 public:
  FileDialogSpy() {
    filedlg::SetInterceptor([this](const filedlg::Request& r) {
      requests.push_back(r);
      return path;
    });
  }
  ~FileDialogSpy() { filedlg::SetInterceptor(nullptr); }
  FileDialogSpy(const FileDialogSpy&) = delete;
  FileDialogSpy& operator=(const FileDialogSpy&) = delete;

  QString path;
  std::vector<filedlg::Request> requests;
};

// Calls the handler registered for a modal dialog's object name once, when
// that dialog is the active modal widget. Also runs `tick` on every poll.
class ModalDriver : public QObject {
 public:
  using Handler = std::function<void(QWidget*)>;

  ModalDriver() {
    timer_.setInterval(5);
    QObject::connect(&timer_, &QTimer::timeout, this, [this] { Poll(); });
    timer_.start();
  }

  void On(const QString& objectName, Handler handler) { handlers_[objectName] = std::move(handler); }
  void OnTick(std::function<void()> tick) { tick_ = std::move(tick); }
  // Object names of the modal dialogs seen, in order.
  QStringList seen;

 private:
  void Poll() {
    if (tick_) tick_();
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == nullptr || modal == handled_) return;
    handled_ = modal;
    seen << modal->objectName();
    auto it = handlers_.find(modal->objectName());
    if (it != handlers_.end()) it->second(modal);
  }

  QTimer timer_;
  std::map<QString, Handler> handlers_;
  std::function<void()> tick_;
  QPointer<QWidget> handled_;
};
