#pragma once
// The tool's arguments: the global options, one subcommand per operation,
// and the dispatch to the command that was chosen.
#include <string>

namespace exit_status {
constexpr int kOk = 0;
constexpr int kFailed = 1;  // the logger refused or did not answer (message on standard error)
constexpr int kUsage = 2;   // the arguments were wrong
// The work was cut short (a signal, an abort): what arrived was kept, but it
// is not all that was asked for.
constexpr int kIncomplete = 3;
// The work was done, but with something the operator must know: records
// repeated or unreadable, records the archive did not take, records lost
// between visits. The message on standard error names what and how many.
constexpr int kAttention = 4;
}  // namespace exit_status

struct GlobalOptions {
  std::string port;       // device path of the serial line
  bool simulate = false;  // talk to a virtual logger started in-process
  // Records the virtual logger of --simulate starts with, so that a readout
  // has something to read (--sim-records).
  size_t simRecords = 2000;
  bool simPaced = false;  // the virtual logger sends at 9600 baud (--sim-paced)
  // "ja" or "en" from --lang; empty: chosen from the environment
  // (LanguageFromEnvironment).
  std::string lang;
  // The field-data archive: --archive PATH, else the default place;
  // --no-archive keeps a readout out of it.
  std::string archive;
  bool noArchive = false;
};

// Parses the arguments and runs the chosen command. Returns the exit status.
int RunCommandLine(int argc, char** argv);
