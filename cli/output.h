#pragma once
// How the tool talks to its user: results on standard output, messages of
// failures on standard error, each as the system's own text. The texts of
// the string table end lines with CR LF; a terminal gets LF.
#include <string>

class CDeviceSession;

namespace output {

// The text with CR LF (and a lone CR) as LF and without trailing line ends.
std::string ForTerminal(const std::string& text);

// One message on standard output / standard error, ended by a line end.
void Result(const std::string& text);
void Error(const std::string& text);

// After a device operation, as the windows do: the session's error message
// (standard error) if there is one, else its result message (standard
// output) if there is one. Returns true when an error message was shown.
bool SessionMessages(const CDeviceSession& session);

// Flushes standard output. Writing that failed anywhere during the run (a
// full disk, a closed pipe) is reported on standard error and turns a
// successful status into exit_status::kFailed; a status that already is
// kFailed comes with its own reason and gets no second line. Returns the
// status to exit with.
int FinishStandardOutput(int status);

// A command has given the reason of a failed standard output in its own
// message: FinishStandardOutput() does not repeat it (the status still
// says it).
void StandardOutputFailureTold();

// The system's message for a text and a path: "%s\r\n(%s)".
std::string WithPath(const std::string& text, const std::string& path);

// The message for a file that could not be saved: the system's text with
// the reason the save gave ("path: what the system said"), or the path alone.
std::string SaveFailed(const std::string& path, const std::string& reason);

// The notice that a CSV or JSON Lines file holds lines that are not records
// (written with parsed 0 and their text).
std::string UnparsedRows(long long count);

}  // namespace output
