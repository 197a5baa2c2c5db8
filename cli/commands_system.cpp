// Operations of the system, measurement, recorded-data and communication
// pages that change the logger's state: sync-time, stop, clear, reset,
// restart-module.
#include <cstdint>
#include <memory>

#include "command_line.h"
#include "commands.h"
#include "common/string_table.h"
#include "connection.h"
#include "output.h"
#include "page_work.h"
#include "settings/wizard_flags.h"
#include "wizard_run.h"

namespace {

// Where a window asks first, the command needs --yes; without it the
// window's question is shown and nothing is sent.
bool Confirmed(bool yes, uint32_t questionId) {
  if (yes) return true;
  output::Error(strings::Text(questionId));
  output::Error("quorvane-ctl: add --yes to go ahead");
  return false;
}

// Identification, "RD SYS" and "MAIL DSP", as the full refresh of the pages.
void FullRefresh(CDeviceSession& session) {
  if (session.Identify() == 1) {
    session.RefreshSystemInfo();
    session.ReadMailSettings();
  }
}

int RunSyncTime(Connection& connection) {
  if (const int status = connection.Connect(); status != exit_status::kOk) return status;
  CDeviceSession& session = connection.Session();
  session.ClearMessages();
  const bool ok = session.SyncNetworkTime() == session_rc::kOk;
  output::SessionMessages(session);
  if (!ok) {
    output::Error(strings::Text(strings::id::kErrorFailedShort));
    return exit_status::kFailed;
  }
  FullRefresh(session);
  output::Result(strings::Text(strings::id::kSuccess));
  return exit_status::kOk;
}

int RunStop(Connection& connection) {
  if (const int status = connection.Connect(); status != exit_status::kOk) return status;
  CDeviceSession& session = connection.Session();
  session.ClearMessages();
  const int r = session.StopMeasurement();
  // The page would show no text of its own for a refused stop; the failure
  // still needs one on standard error.
  if (r != session_rc::kOk) session.SetErrorMessage(r);
  if (output::SessionMessages(session)) return exit_status::kFailed;
  output::Result(strings::Text(strings::id::kSuccess));
  return exit_status::kOk;
}

int RunClear(Connection& connection, bool yes) {
  if (!Confirmed(yes, strings::id::kConfirmClearData)) return exit_status::kUsage;
  if (const int status = connection.Connect(); status != exit_status::kOk) return status;
  CDeviceSession& session = connection.Session();
  session.ClearMessages();
  const int r = session.ClearMemory();
  if (r != session_rc::kOk) session.SetErrorMessage(r);
  if (output::SessionMessages(session)) return exit_status::kFailed;
  output::Result(strings::Text(strings::id::kSuccess));
  return exit_status::kOk;
}

int RunReset(Connection& connection, bool yes) {
  if (!yes) {
    output::Error("quorvane-ctl: reset erases the measured data and the settings; add --yes to go ahead");
    return exit_status::kUsage;
  }
  if (const int status = connection.Connect(); status != exit_status::kOk) return status;
  CDeviceSession& session = connection.Session();
  session.Working() = session.Current();
  const int ok = RunPageWork(session, wizard::kOnlyPage, [&] { return ResetPageWork(session); });
  output::SessionMessages(session);
  return ok ? exit_status::kOk : exit_status::kFailed;
}

int RunRestartModule(Connection& connection, bool yes) {
  if (!Confirmed(yes, strings::id::kConfirmModuleRestart)) return exit_status::kUsage;
  if (const int status = connection.Connect(); status != exit_status::kOk) return status;
  CDeviceSession& session = connection.Session();
  session.ClearMessages();
  const bool ok = session.RestartModule() == session_rc::kOk;
  output::SessionMessages(session);
  if (!ok) {
    output::Error(strings::Text(strings::id::kErrorFailedShort));
    return exit_status::kFailed;
  }
  output::Result(strings::Text(strings::id::kSuccess));
  return exit_status::kOk;
}

}  // namespace

void AddSystemCommands(CLI::App& app, CommandRegistry& registry) {
  CLI::App* sync = app.add_subcommand("sync-time", "Set the logger's clock from the network time (\"MAIL TIME\")");
  registry.Add(sync, RunSyncTime);

  CLI::App* stop = app.add_subcommand("stop", "Stop scheduled measurement (\"ST STP\")");
  registry.Add(stop, RunStop);

  auto clearYes = std::make_shared<bool>(false);
  CLI::App* clear = app.add_subcommand(
      "clear", "Erase the recorded data and the error log; stops scheduled measurement (\"ST CLR\")");
  clear->add_flag("--yes", *clearYes, "Confirm the erasure");
  registry.Add(clear, [clearYes](Connection& c) { return RunClear(c, *clearYes); });

  auto resetYes = std::make_shared<bool>(false);
  CLI::App* reset = app.add_subcommand("reset", "Reset the logger to its initial state (\"ST RES\")");
  reset->add_flag("--yes", *resetYes, "Confirm the reset");
  registry.Add(reset, [resetYes](Connection& c) { return RunReset(c, *resetYes); });

  auto restartYes = std::make_shared<bool>(false);
  CLI::App* restart = app.add_subcommand("restart-module", "Restart the logger's communication module");
  restart->add_flag("--yes", *restartYes, "Confirm the restart");
  registry.Add(restart, [restartYes](Connection& c) { return RunRestartModule(c, *restartYes); });
}
