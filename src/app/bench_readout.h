#pragma once
// The measured readout of "quorvane-hx --simulate --bench-readout": connects
// to the simulated logger, reads every record through the recorded-data page
// as the operator would, lets the data viewer open and closes it, then prints
// one line of figures on the standard output and closes the main window.
//
//   bench: records=N readout_cpu_s=.. readout_wall_s=.. viewer_open_ms=..
//          rss_before_mb=.. rss_viewer_mb=.. rss_after_mb=.. peak_mb=..
//
// readout_cpu_s is the processor time of the whole process (every thread)
// from the range dialog's OK to the end of the work run; viewer_open_ms runs
// from the end of the work run to the viewer's first painted text.
class BenchReadout {
 public:
  explicit BenchReadout(bool showTerminal) : showTerminal_(showTerminal) {}
  // Returns the number of failures (0: the figures were printed).
  int Run();

 private:
  bool showTerminal_;
};
