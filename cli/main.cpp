// quorvane-ctl: the command-line front end for operators who read out many
// loggers or automate their configuration.
//
// Test seam: the environment variable QHX_TIME_SCALE (a positive number)
// scales every protocol time-out and sleep of the core, so that tests need
// not wait out the logger's long time-outs. Leave it unset in normal use.
#include <cmath>
#include <cstdlib>

#include "command_line.h"
#include "common/timing.h"
#include "interrupt.h"

namespace {

void ApplyTimeScaleSeam() {
  const char* text = std::getenv("QHX_TIME_SCALE");
  if (text == nullptr) return;
  char* end = nullptr;
  const double scale = std::strtod(text, &end);
  if (end != text && *end == '\0' && std::isfinite(scale) && scale > 0) timing::SetTimeScale(scale);
}

}  // namespace

int main(int argc, char** argv) {
  IgnoreWriteSignals();
  ApplyTimeScaleSeam();
  return RunCommandLine(argc, argv);
}
