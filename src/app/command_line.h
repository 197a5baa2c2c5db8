#pragma once
// Options of the quorvane-hx command line:
//   --simulate             start a virtual logger inside the program and offer
//                          it first in the port selection dialog
//   --sim-records N        records the virtual logger holds (with --simulate)
//   --sim-paced            the virtual logger sends at 9600 baud (with --simulate)
//   --sim-clock-offset S   the virtual logger's clock runs S seconds ahead of
//                          the PC clock, negative for behind (with --simulate)
//   --lang ja|en           the user-interface language (overrides TessaHX.ini)
//   --archive PATH         the field-data archive (default under $XDG_DATA_HOME)
//   --screenshot-tour DIR  (hidden) walk through the main states and save a
//                          PNG picture of each into DIR, then exit
//   --bench-readout        (hidden) read out every record once, open and close
//                          the data viewer, print the figures, then exit
//   --bench-terminal       (hidden) keep the terminal window shown meanwhile
#include <QString>
#include <QStringList>

#include "app/language_config.h"

struct AppCommandLine {
  bool simulate = false;
  int simRecords = -1;  // -1: the simulated logger's usual memory
  bool simPaced = false;
  int simClockOffset = 0;  // seconds
  language::Choice language = language::Choice::kFromIni;
  QString screenshotDir;
  QString archive;  // empty: the default place
  bool benchReadout = false;
  bool benchTerminal = false;
};

// False, with a message in `error`, for an unknown option or a bad value.
// --help and --version print their text and exit the process.
bool ParseAppCommandLine(const QStringList& arguments, AppCommandLine* options, QString* error);

// True when the raw arguments ask for --help (-h, -?, --help-all) or
// --version (-v), which are answered without a display.
bool AskedForHelpOrVersion(int argc, char** argv);
