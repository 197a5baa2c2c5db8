#pragma once
// CDlgTerminal: the modeless "Terminal" window. It shows every byte of the
// serial traffic in a CLogView, sends the lines the user types (Enter: the
// line and CR LF; Escape: the line and ESC), sends the wake-up line with
// "HELLO" and saves the displayed lines to a file.
//
// Traffic reaches it through the capture: the capture calls
// PostTrafficNotification() on the capturing thread (often the serial reader
// thread), which only queues a call to the UI thread; there the window takes
// the pending cells from the capture ring and appends them to the view. A
// hidden window takes them at most four times a second, and at once when shown.
//
// While a device operation runs in the background the enabled flag is 0: the
// buttons are disabled, and a line typed then is kept and sent when the
// operation has ended, because a write waits while the operation waits for a
// reply and the UI thread must not block for seconds. The kept lines show
// beside the buttons as waiting until they are sent (or, with the port closed
// by then, as not sent).
#include <QByteArray>
#include <QDialog>
#include <QList>

class CDeviceSession;
class CLogView;
class CMLog;
class QFont;
class QLabel;
class QPushButton;

class CDlgTerminal : public QDialog {
  Q_OBJECT
 public:
  static constexpr int kIdPlaceholder = 1000;
  static constexpr int kIdHello = 1274;
  static constexpr int kIdSleep = 1275;
  static constexpr int kIdSaveLog = 1276;
  // Size of the window when created, in dialog units.
  static constexpr int kWidthUnits = 369;
  static constexpr int kHeightUnits = 213;

  // Typed lines go to the session's port; the traffic is taken from the
  // capture ring of `log`. Both must outlive the window.
  CDlgTerminal(CDeviceSession& session, CMLog& log, const QFont& dialogFont, QWidget* parent = nullptr);
  ~CDlgTerminal() override;

  // The work runner's flag: 1 idle, 0 while a device operation runs.
  void SetEnabled(int enabled);
  int Enabled() const { return enabled_; }

  CLogView* View() const { return view_; }
  QPushButton* HelloButton() const { return hello_; }
  QPushButton* SaveLogButton() const { return saveLog_; }
  // Lines typed while an operation ran, waiting to be sent.
  int QueuedLineCount() const { return static_cast<int>(queued_.size()); }
  // Shows the waiting lines, or those that could not be sent.
  QLabel* WaitingLabel() const { return waiting_; }

  // Takes the traffic pending in the capture ring and shows it.
  void OnTrafficArrived();
  // "HELLO": the wake-up line, only while enabled and the port is open.
  void OnHello();
  // The sleep command (no button carries it).
  void OnSleepCommand();
  // "表示ログ保存": writes the stored lines of the view to a chosen file.
  void OnSaveDisplayedLog();
  // Sends a line taken from the input editor: at once while enabled, else
  // after the running operation. Nothing is sent while the port is closed.
  void SendTypedLine(const QByteArray& bytes);

  // The capture's notification; callable from any thread.
  static void PostTrafficNotification(unsigned commandId);
  // The terminal window that exists, if any (UI thread only).
  static CDlgTerminal* Instance();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void changeEvent(QEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  void LayoutControls();
  void SendCommandLine(const QByteArray& bytes);
  void WriteToPort(const QByteArray& bytes);
  void FilterKeysOf(QObject* object);
  // Shows `lines` after the text `textId` beside the buttons (empty: nothing).
  void ShowPendingLines(uint32_t textId, const QList<QByteArray>& lines);

  CDeviceSession& session_;
  CMLog& log_;
  int enabled_ = 1;
  CLogView* view_ = nullptr;
  QPushButton* hello_ = nullptr;
  QPushButton* saveLog_ = nullptr;
  QLabel* waiting_ = nullptr;
  QList<QByteArray> queued_;
};
