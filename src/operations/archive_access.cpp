#include "operations/archive_access.h"

#include "archive/archive_messages.h"
#include "archive/connect_info.h"
#include "common/string_table.h"
#include "common/timing.h"
#include "operations/operation.h"
#include "session/device_session.h"

namespace ops {

archive::Archive* ArchiveAccess::Get(std::string* message) {
  if (path_.empty()) return nullptr;
  if (openFailed_) {
    // A failure met where no message was given is told to the next caller.
    Report(openFailure_, message);
    return nullptr;
  }
  if (archive_.IsOpen()) return &archive_;
  if (const archive::Status s = archive_.Open(path_); !s.ok()) {
    openFailed_ = true;
    openFailure_ = s;
    Report(s, message);
    return nullptr;
  }
  return &archive_;
}

void ArchiveAccess::RecordConnect(const CDeviceSession& session, std::string* message) {
  lastConnect_ = 0;
  archive::Archive* a = Get(message);
  if (a == nullptr) return;
  const archive::ConnectInfo info =
      archive::ConnectInfoFromRecord(session.Current(), session.DeviceName(), session.Version(), timing::NowSeconds());
  if (const archive::Status s = a->AddConnect(info, &lastConnect_); !s.ok()) Report(s, message);
}

void ArchiveAccess::MarkSynchronised(std::string* message) {
  if (lastConnect_ == 0) return;
  archive::Archive* a = Get(message);
  if (a == nullptr) return;
  if (const archive::Status s = a->MarkSynchronised(lastConnect_); !s.ok()) Report(s, message);
}

void ArchiveAccess::Report(const archive::Status& status, std::string* message) {
  if (status.ok() || reported_ || message == nullptr) return;
  reported_ = true;
  *message = JoinMessages(
      *message, archive::FailureMessage(status, path_) + "\r\n" + strings::Text(strings::id::kArchiveReadoutGoesOn));
}

}  // namespace ops
