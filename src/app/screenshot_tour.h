#pragma once
// The screenshot tour ("quorvane-hx --simulate --screenshot-tour DIR"): walks
// the program through its main states against the simulated logger and saves
// a PNG picture of each window into DIR (names end in "_en" when the English
// catalogue is in use), then closes the main window.
//
// Adding a state: write a step function that brings the program there and
// calls tour.Grab(window, "name"), and add it to the step table in
// screenshot_tour.cpp. Steps run in table order on the UI thread; use
// WaitUntil() for conditions and WhenModalShows() for actions that open a
// modal dialog.
#include <QString>

#include <functional>

class CMainFrame;
class QWidget;

class ScreenshotTour {
 public:
  // Called with every window the tour reaches, before its picture is taken.
  using Inspector = std::function<void(QWidget* window, const QString& name)>;

  // Pictures go into `dir`; with an empty dir none are saved and the tour
  // only shows each window to the inspector.
  explicit ScreenshotTour(const QString& dir, Inspector inspector = {});

  // Runs every step, then closes the main window.
  void Run();
  // Number of pictures or conditions that failed.
  int Failures() const { return failures_; }

  // ---- for the steps ----
  CMainFrame* Frame() const;
  // Saves a picture of the window (its contents, without the window frame).
  bool Grab(QWidget* window, const QString& name);
  // Handles events until the condition holds; false (and a failure) on time-out.
  bool WaitUntil(const std::function<bool()>& condition, int timeoutMs = 10000);
  // Handles events for a moment so that windows are laid out and painted.
  void Settle(int ms = 150);
  // Calls `act` with the modal dialog that the next action opens, once it shows.
  void WhenModalShows(std::function<void(QWidget*)> act, int timeoutMs = 10000);
  // Notes a failure with a message on the standard error.
  void Fail(const QString& what);

 private:
  QString dir_;
  Inspector inspector_;
  int failures_ = 0;
};
