#include "connection.h"

#include "common/string_table.h"
#include "operations/listings.h"
#include "output.h"
#ifdef QHX_HAVE_ARCHIVE
#include "archive/default_path.h"
#endif

namespace {

#ifdef QHX_HAVE_ARCHIVE
std::string ArchivePathOf(const GlobalOptions& options) {
  if (options.noArchive) return {};
  return options.archive.empty() ? archive::DefaultArchivePath() : options.archive;
}
#endif

}  // namespace

#ifdef QHX_HAVE_ARCHIVE
Connection::Connection(const GlobalOptions& options) : options_(options), archive_(ArchivePathOf(options)) {}
#else
Connection::Connection(const GlobalOptions& options) : options_(options) {}
#endif

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
#ifdef QHX_HAVE_ARCHIVE
  std::string archiveMessage;
  archive_.RecordConnect(session_, &archiveMessage);
  if (!archiveMessage.empty()) output::Error(archiveMessage);
#endif
  return exit_status::kOk;
}
