// Operations of the system, measurement, recorded-data and communication
// pages that change the logger's state: sync-time, stop, clear, reset,
// restart-module.
#include <cstdint>
#include <memory>

#include "command_line.h"
#include "commands.h"
#include "common/string_table.h"
#include "connection.h"
#include "erase_guard.h"
#include "operation_output.h"
#include "operations/device_commands.h"
#include "operations/listings.h"
#include "output.h"
#include "session/device_session.h"

namespace {

// Where a window asks first, the command needs --yes; without it the
// window's question is shown and nothing is sent.
bool Confirmed(bool yes, uint32_t questionId) {
  if (yes) return true;
  output::Error(strings::Text(questionId));
  output::Error("quorvane-ctl: add --yes to go ahead");
  return false;
}

int RunSyncTime(Connection& connection, bool yes) {
  if (const int status = connection.Connect(); status != exit_status::kOk) return status;
  // The window asks first while the logger measures; a logger whose state
  // was not read may be measuring.
  const CDeviceSession& session = connection.Session();
  const bool measuring = !session.HasRead(listing_read::kSystem) || session.Current().sys.measuring != 0;
  if (measuring && !Confirmed(yes, strings::id::kConfirmTimeSync)) return exit_status::kUsage;
  const ops::Result synced = ops::SyncClock(connection.Session());
#ifdef QHX_HAVE_ARCHIVE
  if (synced.Succeeded()) {
    std::string archiveMessage;
    connection.Archive().MarkSynchronised(&archiveMessage);
    if (!archiveMessage.empty()) output::Error(archiveMessage);
  }
#endif
  return output::Report(synced);
}

int RunStop(Connection& connection) {
  if (const int status = connection.Connect(); status != exit_status::kOk) return status;
  return output::Report(ops::StopMeasurement(connection.Session()));
}

int RunClear(Connection& connection, bool yes, bool force) {
  if (!Confirmed(yes, strings::id::kConfirmClearData)) return exit_status::kUsage;
  return RunGuardedErase(connection, force, "clear", ops::ClearMemory);
}

int RunReset(Connection& connection, bool yes, bool force) {
  if (!yes) {
    output::Error("quorvane-ctl: reset erases the measured data and the settings; add --yes to go ahead");
    return exit_status::kUsage;
  }
  return RunGuardedErase(connection, force, "reset", ops::ResetDevice);
}

int RunRestartModule(Connection& connection, bool yes) {
  if (!Confirmed(yes, strings::id::kConfirmModuleRestart)) return exit_status::kUsage;
  if (const int status = connection.Connect(); status != exit_status::kOk) return status;
  return output::Report(ops::RestartModule(connection.Session()));
}

}  // namespace

void AddSystemCommands(CLI::App& app, CommandRegistry& registry) {
  auto syncYes = std::make_shared<bool>(false);
  CLI::App* sync = app.add_subcommand(
      "sync-time",
      "Set the logger's clock from the network time (\"MAIL TIME\"): its communication module fetches the time "
      "over the cellular network; the logger cannot take the PC's time. Where it has no coverage the sync fails: "
      "check the antenna level (antenna) and sync where it has coverage. While the logger measures, stop it first "
      "or confirm with --yes");
  sync->add_flag("--yes", *syncYes, "Synchronise while the logger measures");
  registry.Add(sync, [syncYes](Connection& c) { return RunSyncTime(c, *syncYes); });

  CLI::App* stop = app.add_subcommand("stop", "Stop scheduled measurement (\"ST STP\")");
  registry.Add(stop, RunStop);

  auto clearYes = std::make_shared<bool>(false);
  auto clearForce = std::make_shared<bool>(false);
  CLI::App* clear = app.add_subcommand(
      "clear",
      "Erase the recorded data and the error log; stops scheduled measurement (\"ST CLR\"). Refused (exit 1) "
      "while the logger holds records the archive lacks; names how many and their IDs");
  clear->add_flag("--yes", *clearYes, "Confirm the erasure");
  clear->add_flag("--force", *clearForce,
                  "Erase even records the archive lacks (they are named, exit 4), or without an archive");
  registry.Add(clear, [clearYes, clearForce](Connection& c) { return RunClear(c, *clearYes, *clearForce); });

  auto resetYes = std::make_shared<bool>(false);
  auto resetForce = std::make_shared<bool>(false);
  CLI::App* reset = app.add_subcommand("reset",
                                       "Reset the logger to its initial state (\"ST RES\"). Refused (exit 1) while "
                                       "the logger holds records the archive lacks; names how many and their IDs");
  reset->add_flag("--yes", *resetYes, "Confirm the reset");
  reset->add_flag("--force", *resetForce,
                  "Reset even with records the archive lacks (they are named, exit 4), or without an archive");
  registry.Add(reset, [resetYes, resetForce](Connection& c) { return RunReset(c, *resetYes, *resetForce); });

  auto restartYes = std::make_shared<bool>(false);
  CLI::App* restart = app.add_subcommand("restart-module", "Restart the logger's communication module");
  restart->add_flag("--yes", *restartYes, "Confirm the restart");
  registry.Add(restart, [restartYes](Connection& c) { return RunRestartModule(c, *restartYes); });
}
