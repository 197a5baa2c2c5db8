#include "connection.h"

#include "common/string_table.h"
#include "operations/listings.h"
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
    if (!simulated_->Start(options_.simRecords, options_.simPaced, &reason)) {
      output::Error(strings::Text(strings::id::kPortCannotOpen) + "\r\n(" + reason + ")");
      return exit_status::kFailed;
    }
    path = simulated_->PortPath();
  } else if (path.empty()) {
    output::Error("quorvane-ctl: --port PATH or --simulate is required for this command");
    return exit_status::kUsage;
  }

  const ops::Result connected = ops::Connect(session_, path);
  if (!connected.Succeeded()) {
    output::Error(connected.message);
    return exit_status::kFailed;
  }
  return exit_status::kOk;
}
