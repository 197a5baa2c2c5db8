#include "erase_guard.h"

#include <string>

#include "command_line.h"
#include "common/string_table.h"
#include "connection.h"
#include "operation_output.h"
#include "output.h"
#ifdef QHX_HAVE_ARCHIVE
#include "operations/unread_check.h"
#endif

namespace {

std::string ForceHint(const char* command) { return std::string("add --force to ") + command + " anyway"; }

#ifdef QHX_HAVE_ARCHIVE
// Erases only when the archive has every held record, or with force.
int RunChecked(Connection& connection, bool force, const char* command,
               const std::function<ops::Result(CDeviceSession&)>& erase) {
  if (const int status = connection.Connect(); status != exit_status::kOk) return status;
  const ops::UnreadCheck check = ops::CheckUnreadRecords(connection.Session(), connection.Archive());
  const bool mayLose = !check.Succeeded() || check.UnreadCount() > 0;
  if (mayLose && !force) {
    output::Error(check.message);
    output::Error("quorvane-ctl: nothing was erased; read the records first (read-data --new) or " +
                  ForceHint(command));
    return exit_status::kFailed;
  }
  const int status = output::Report(erase(connection.Session()));
  if (status != exit_status::kOk || !mayLose) return status;
  output::Error(check.Succeeded() ? ops::UnreadErasedText(check) : check.message);
  return exit_status::kAttention;
}
#endif

}  // namespace

int RunGuardedErase(Connection& connection, bool force, const char* command,
                    const std::function<ops::Result(CDeviceSession&)>& erase) {
#ifdef QHX_HAVE_ARCHIVE
  if (!connection.Options().noArchive) return RunChecked(connection, force, command, erase);
#endif
  if (!force) {
    output::Error(strings::Text(strings::id::kNoArchiveInUse));
    output::Error(std::string("quorvane-ctl: without the archive nothing tells which records were not read yet; ") +
                  ForceHint(command));
    return exit_status::kUsage;
  }
  if (const int status = connection.Connect(); status != exit_status::kOk) return status;
  return output::Report(erase(connection.Session()));
}
