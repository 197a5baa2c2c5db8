#pragma once
// The readout's progress on standard error, drawn only while standard error
// is a terminal: a bar, the records received and the records expected.
#include <chrono>

class ProgressBar {
 public:
  ProgressBar();
  void SetRange(int total);
  void SetPosition(int received);
  // Ends the bar's line.
  void Finish();

 private:
  void Draw();

  bool enabled_;
  bool drawn_ = false;
  int total_ = 0;
  int received_ = 0;
  std::chrono::steady_clock::time_point last_draw_{};
};
