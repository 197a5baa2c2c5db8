#pragma once
// The small modeless progress dialog of a work run ("状態"): an endless bar,
// the caption text with an optional counter, and an abort button for
// abortable runs. While it is active, Esc is swallowed and F1 shows the
// terminal window (the keyboard filter).
#include <QBasicTimer>
#include <QDialog>

#include "work/escape_event.h"
#include "work/key_hook.h"

class QLabel;
class CMarqueeBar;
class QPushButton;

class CDlgWorking : public QDialog {
  Q_OBJECT
 public:
  // Command ids of the progress commands the worker posts.
  static constexpr int kSetTotal = 1268;
  static constexpr int kSetValue = 1269;
  static constexpr int kNoOp = 1270;

  CDlgWorking(QWidget* parent, const QString& caption, CEscapeEvent* abortLink);
  ~CDlgWorking() override;

  // Handles a progress command (on the UI thread).
  void OnProgressCommand(int commandId, long value);

  QString CounterText() const;
  bool AbortVisible() const;
  CMarqueeBar* Bar() const { return bar_; }
  void ClickAbort();

  // Shows the terminal window on F1; set once by the application.
  static void SetShowTerminal(std::function<void()> show);

 protected:
  void changeEvent(QEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;
  void closeEvent(QCloseEvent* e) override;
  void timerEvent(QTimerEvent* e) override;

 private:
  void UpdateText();

  QLabel* text_;
  CMarqueeBar* bar_;
  QPushButton* abort_;
  QString caption_;
  CEscapeEvent* abort_link_;
  long total_ = 0;
  long value_ = 0;
  bool has_value_ = false;
  QBasicTimer text_timer_;  // runs while a new counter waits to be shown
  CTKeyHook hook_;
};
