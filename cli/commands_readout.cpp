// Readouts: read-data (the recorded records), read-errors (the error log),
// current (the current values). Saved files hold the bytes exactly as the
// data viewer saves them: each line the logger sent followed by CR LF.
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "command_line.h"
#include "commands.h"
#include "common/codepage.h"
#include "common/string_table.h"
#include "connection.h"
#include "interrupt.h"
#include "output.h"
#include "output_file.h"
#include "pages/readout_range.h"
#include "progress_bar.h"
#include "protocol/listing_parsers.h"
#include "record_readout.h"

namespace {

constexpr int kErrorLogTries = 3;

// Writes a readout's text where the command says, by default under the
// viewer's proposed name with the local time of saving.
int SaveText(const std::string& target, const std::string& prefix, const std::string& text) {
  const std::string path = target.empty() ? TimestampedName(prefix, LocalNow(), "txt") : target;
  std::string error;
  if (!WriteOutput(path, text, &error)) {
    output::Error(output::SaveFailed(path, error));
    return exit_status::kFailed;
  }
  if (path != kStandardOutput) output::Result(path);
  return exit_status::kOk;
}

struct ReadDataOptions {
  int last = 0;
  int count = 0;
  CLI::Option *lastOption = nullptr, *countOption = nullptr;
  std::string target;
};

int RunReadData(Connection& connection, const ReadDataOptions& o) {
  if (const int status = connection.Connect(); status != exit_status::kOk) return status;
  CDeviceSession& session = connection.Session();
  const int first = session.Current().sys.firstId, last = session.Current().sys.lastId;
  // What the readout range dialog proposes, with the user's entries over it.
  const int enteredLast = o.lastOption->count() > 0 ? o.last : last;
  const int enteredCount = o.countOption->count() > 0 ? o.count : ProposedReadoutCount(first, last);
  if (enteredCount <= 0) {
    // An empty memory: the dialog offers nothing to read.
    char summary[160];
    std::snprintf(summary, sizeof summary, strings::Text(strings::id::kReadoutRangeInfo).c_str(), 0L, 0L, 0L);
    output::Error(summary);
    return SaveText(o.target, "TXL_ALL_", std::string());
  }
  const ReadoutRange range = ReadoutRangeForEntry(first, enteredLast, enteredCount);

  session.ClearMessages();
  InterruptScope interrupt;
  ProgressBar progress;
  const RecordReadout readout = ReadRecords(session, range.firstId, range.count, TakeInterrupt, progress);
  progress.Finish();
  if (!readout.ok) {
    output::SessionMessages(session);
    return exit_status::kFailed;
  }
  if (!readout.aborted) return SaveText(o.target, "TXL_ALL_", readout.text);
  output::Error(strings::Text(strings::id::kAborted));
  const int saved = SaveText(o.target, "TXL_ALL_", readout.text);
  return saved == exit_status::kOk ? exit_status::kIncomplete : saved;
}

int RunReadErrors(Connection& connection, const std::string& target) {
  if (const int status = connection.Connect(); status != exit_status::kOk) return status;
  CDeviceSession& session = connection.Session();
  session.ClearMessages();
  std::string text;
  int r = rc::kNoReply;
  for (int i = 0; i < kErrorLogTries && r != rc::kOk; ++i) {
    text.clear();
    r = session.Protocol().ReadErrorLog(session.PortPtr(), &text);
  }
  if (r != rc::kOk) {
    session.SetErrorMessage(session_rc::kFailed);
    output::SessionMessages(session);
    return exit_status::kFailed;
  }
  return SaveText(target, "TXL_ERR_", text);
}

// The four rows of the current-value monitor: number, kind, value, unit.
int RunCurrent(Connection& connection) {
  if (const int status = connection.Connect(); status != exit_status::kOk) return status;
  CDeviceSession& session = connection.Session();
  session.ClearMessages();
  std::string reply;
  const int r = session.ReadCurrentValues(&reply);
  if (r != session_rc::kOk) {
    session.SetErrorMessage(r == session_rc::kNotConnected ? r : session_rc::kFailed);
    output::SessionMessages(session);
    return exit_status::kFailed;
  }
  std::vector<std::string> fields;
  if (SplitFields(reply, &fields) < 4) return exit_status::kOk;
  static const char* const kKinds[] = {"ID", "Date", "Bat.", "WL"};
  static const char* const kUnits[] = {"", "", "[V]", "[m]"};
  for (int row = 0; row < 4; ++row)
    std::printf("%d\t%s\t%s\t%s\n", row + 1, kKinds[row], codepage::AnsiToUtf8(fields[row]).c_str(), kUnits[row]);
  return exit_status::kOk;
}

}  // namespace

void AddReadoutCommands(CLI::App& app, CommandRegistry& registry) {
  auto rd = std::make_shared<ReadDataOptions>();
  CLI::App* data = app.add_subcommand(
      "read-data",
      "Read the recorded data (\"RD ALL\"); default: the whole memory into TXL_ALL_<date>_<time>.txt. "
      "Ctrl+C aborts and keeps what arrived");
  rd->lastOption = data->add_option("--last", rd->last, "Last record ID to read (default: the newest)")
                       ->check(CLI::Range(0, kRecordIdSpan - 1));
  rd->countOption = data->add_option("--count", rd->count, "Number of records ending at --last (default: all)")
                        ->check(CLI::PositiveNumber);
  data->add_option("-o,--output", rd->target, "File to write; - for standard output");
  registry.Add(data, [rd](Connection& c) { return RunReadData(c, *rd); });

  auto errorsTarget = std::make_shared<std::string>();
  CLI::App* errors =
      app.add_subcommand("read-errors", "Read the error log (\"RD ERR\"); default file TXL_ERR_<date>_<time>.txt");
  errors->add_option("-o,--output", *errorsTarget, "File to write; - for standard output");
  registry.Add(errors, [errorsTarget](Connection& c) { return RunReadErrors(c, *errorsTarget); });

  CLI::App* current = app.add_subcommand("current", "Read the current values (\"RD REL\"): ID, date, battery, level");
  registry.Add(current, RunCurrent);
}
