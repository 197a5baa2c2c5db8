#include "connection.h"

#include "common/string_table.h"
#include "link/port_open_error.h"
#include "output.h"

Connection::Connection(const GlobalOptions& options) : options_(options) {}

Connection::~Connection() {
  session_.Close();
  if (simulated_) simulated_->Stop();
}

int Connection::Connect() {
  std::string path = options_.port;
  if (options_.simulate) {
    simulated_ = std::make_unique<SimulatedLine>();
    std::string reason;
    if (!simulated_->Start(options_.simRecords, &reason)) {
      output::Error(strings::Text(strings::id::kPortCannotOpen) + "\r\n(" + reason + ")");
      return exit_status::kFailed;
    }
    path = simulated_->PortPath();
  } else if (path.empty()) {
    output::Error("quorvane-ctl: --port PATH or --simulate is required for this command");
    return exit_status::kUsage;
  }

  if (session_.Open(path) != 0) {
    output::Error(strings::Text(strings::id::kPortCannotOpen) + "\r\n" +
                  DescribePortOpenError(session_.LastOpenError(), path));
    return exit_status::kFailed;
  }
  if (session_.Identify() != 1) {
    session_.Close();
    output::Error(strings::Text(strings::id::kNoResponse));
    return exit_status::kFailed;
  }
  session_.RefreshSystemInfo();
  session_.ReadMailSettings();
  session_.connectionState = 1;
  return exit_status::kOk;
}
