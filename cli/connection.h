#pragma once
// The line to the logger: the serial port given with --port, or a virtual
// logger started in-process on a pseudo-terminal with --simulate, which runs
// for as long as the command does. Connecting runs the connect operation:
// wake and identify, "RD SYS", "MAIL DSP".
#include <memory>

#include "command_line.h"
#include "session/device_session.h"
#include "simulated_line.h"
#ifdef QHX_HAVE_ARCHIVE
#include "operations/archive_access.h"
#endif

class Connection {
 public:
  explicit Connection(const GlobalOptions& options);
  ~Connection();
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  // Opens the line and runs the connect check. Returns exit_status::kOk, or
  // the status after the message has been shown: the port cannot be opened
  // (string 400, with the system's reason) or the logger does not answer
  // (string 401).
  int Connect();

  CDeviceSession& Session() { return session_; }
  const GlobalOptions& Options() const { return options_; }
#ifdef QHX_HAVE_ARCHIVE
  // The field-data archive of --archive or the default place; none with
  // --no-archive. Each connect is recorded in it.
  ops::ArchiveAccess& Archive() { return archive_; }
#endif

 private:
  GlobalOptions options_;
  // Declared before the session, so that the port closes before the
  // virtual logger stops.
  std::unique_ptr<SimulatedLine> simulated_;
  CDeviceSession session_;
#ifdef QHX_HAVE_ARCHIVE
  ops::ArchiveAccess archive_;
#endif
};
