// Readouts: read-data (the recorded records), read-errors (the error log),
// current (the current values). Saved files hold the bytes exactly as the
// data viewer saves them: each record line followed by CR LF. A readout
// that breaks off still saves the records that arrived and exits 1.
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "command_line.h"
#include "commands.h"
#include "common/codepage.h"
#include "common/string_table.h"
#include "connection.h"
#include "interrupt.h"
#include "link/read_data.h"
#include "operation_output.h"
#include "operations/listings.h"
#include "operations/operation_strings.h"
#include "operations/readout_range.h"
#include "operations/readouts.h"
#include "operations/record_readout.h"
#include "option_formats.h"
#include "output.h"
#include "output_file.h"
#include "progress_bar.h"
#include "readout_summary.h"
#ifdef QHX_HAVE_ARCHIVE
#include "archive/export_format.h"
#include "operations/archived_readout.h"
#endif

namespace {

// Writes a readout's text where the command says, by default under the
// viewer's proposed name with the local time of saving.
int SaveText(const std::string& target, const std::string& prefix, const std::string& text,
             const std::string& extension = "txt") {
  const std::string path = target.empty() ? TimestampedName(prefix, LocalNow(), extension) : target;
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
  bool newOnly = false;
  bool missing = false;
  std::string format = "txt";
  std::string summary;  // --summary-json: file, or - for standard error
};

// The records as they arrive, written to the file at once (in the chosen
// form); the progress bar as the readout's progress; Ctrl+C or a signal, or
// an output that takes no more records (a closed pipe, a full disk, the file
// size limit), as its abort.
class ReadoutFront : public ops::RecordSink, public ops::ProgressSink, public ops::AbortSource {
 public:
  ReadoutFront(const ReadDataOptions& o, const std::string& serial, InterruptScope& interrupt, CRSPort& port)
      : o_(o), interrupt_(interrupt), port_(port) {
#ifdef QHX_HAVE_ARCHIVE
    const std::optional<archive::ExportFormat> chosen = archive::ParseExportFormat(o.format);
    if (chosen && *chosen != archive::ExportFormat::kTxt) formatter_.emplace(*chosen, serial);
#else
    (void)serial;
#endif
    path_ = TargetPath();
    begun_ = out_.Begin(path_, &error_);
  }
  void Records(const char* text, size_t bytes, long) override {
    Start();
#ifdef QHX_HAVE_ARCHIVE
    if (formatter_) {
      // CSV or JSON Lines through the archive's formatter (a line that is
      // not a record becomes a row with its text, counted).
      chunk_.clear();
      const std::string_view all(text, bytes);
      for (size_t at = 0; at < all.size();) {
        size_t end = all.find('\n', at);
        end = end == std::string_view::npos ? all.size() : end + 1;
        formatter_->AppendLine(chunk_, all.substr(at, end - at));
        at = end;
      }
      if (begun_) out_.Write(chunk_.data(), chunk_.size());
      return;
    }
#endif
    if (begun_) out_.Write(text, bytes);
  }
  void Total(long total) override {
    bar_.SetRange(static_cast<int>(total));
    // The listing runs: from now on a request also ends the wait for its next
    // line, so that the readout sees it at once.
    if (CReadData* lines = port_.LineBuffer()) interrupt_.SetWake([lines] { lines->WakeWaiters(); });
  }
  void Position(long done) override { bar_.SetPosition(static_cast<int>(done)); }
  // The readout then stops the logger; what arrived is still archived.
  bool AbortRequested() override {
    stopping_ = stopping_ || TakeInterrupt() || out_.Failed();
    return stopping_;
  }
  void Finish() { bar_.Finish(); }

  // Puts what arrived in place, named with the local time of saving when the
  // command names no file. Returns false (said on standard error) when it
  // cannot; *written is the file's name.
  bool Save(std::string* written) {
    Start();
    const std::string path = o_.target.empty() ? TargetPath() : path_;
    std::string error = error_;
    if (!begun_ || !out_.Finish(path, &error)) {
      output::Error(output::SaveFailed(begun_ ? path : path_, error));
      return false;
    }
    if (path != kStandardOutput) {
      output::Result(path);
      *written = path;
    }
    return true;
  }
  // Nothing arrived: the target stays as it was.
  void Drop() { out_.Discard(); }

 private:
  std::string TargetPath() const {
    return o_.target.empty() ? TimestampedName("TXL_ALL_", LocalNow(), o_.format) : o_.target;
  }
  // The header goes before the first record, or alone into the file of a
  // readout that brought none.
  void Start() {
    if (started_) return;
    started_ = true;
#ifdef QHX_HAVE_ARCHIVE
    if (formatter_ && begun_) {
      const std::string header = formatter_->Header();
      out_.Write(header.data(), header.size());
    }
#endif
  }

  const ReadDataOptions& o_;
  InterruptScope& interrupt_;
  CRSPort& port_;
  bool stopping_ = false;
#ifdef QHX_HAVE_ARCHIVE
  std::optional<archive::RecordFormatter> formatter_;
  std::string chunk_;
#endif
  StreamedOutput out_;
  std::string path_;
  std::string error_;
  bool begun_ = false;
  bool started_ = false;
  ProgressBar bar_;
};

// The summary line of --summary-json, where asked for; returns the status.
int WriteSummary(const ReadDataOptions& o, const ops::ReadoutResult& readout, const ReadoutArchiveFacts& facts,
                 const std::string& file, int status) {
  if (o.summary.empty()) return status;
  std::string error;
  if (!WriteReadoutSummary(o.summary, ReadoutSummaryObject(readout, facts, file, status), &error)) {
    output::Error(output::SaveFailed(o.summary, error));
    return status == exit_status::kOk || status == exit_status::kAttention ? exit_status::kFailed : status;
  }
  return status;
}

// Saves what arrived, complete or not, says what the readout brought and
// gives the exit status.
int Finish(const ops::ReadoutResult& readout, const ReadoutArchiveFacts& facts, ReadoutFront& front,
           const ReadDataOptions& o) {
  std::string file;
  bool saved = true;
  if (readout.Delivered() == 0 && !readout.endLineSeen) {
    front.Drop();
    if (readout.outcome == ops::Outcome::kFailed) {
      // Nothing was listed at all: the operation's own report.
      const int status = output::Report(readout);
      return WriteSummary(o, readout, facts, file, status);
    }
  } else {
    saved = front.Save(&file);
  }
  // Whatever arrived is kept, complete or not; what it was is told.
  if (!readout.message.empty()) output::Error(readout.message);
  return WriteSummary(o, readout, facts, file, ReadoutExitStatus(readout, facts, saved));
}

#ifdef QHX_HAVE_ARCHIVE
ReadoutArchiveFacts FactsOf(const ops::ArchivedReadoutResult& r) {
  ReadoutArchiveFacts facts;
  facts.archived = r.archived;
  facts.archiveFailed = r.archiveFailed;
  facts.lost = r.lost;
  facts.memoryMovedOn = r.memoryMovedOn;
  facts.wholeMemory = r.wholeMemory;
  facts.olderMissing = r.olderMissing;
  return facts;
}
#endif

int RunReadData(Connection& connection, const ReadDataOptions& o) {
#ifdef QHX_HAVE_ARCHIVE
  if ((o.newOnly || o.missing) && connection.Options().noArchive) {
    // What is new or missing is told by the archive; without one there is nothing to go by.
    output::Error(strings::Text(o.newOnly ? strings::id::kNewNeedsArchive : strings::id::kMissingNeedsArchive));
    return exit_status::kUsage;
  }
#endif
  if (const int status = connection.Connect(); status != exit_status::kOk) return status;
  CDeviceSession& session = connection.Session();
  // The range is worked out from the memory range the logger reported.
  if (const ops::Result needed = ops::RequireListings(session, listing_read::kSystem); !needed.Succeeded())
    return output::Report(needed);
  const std::string serial = session.Current().sys.serialNumber;
  InterruptScope interrupt;
  ReadoutFront front(o, serial, interrupt, session.Port());
  ops::Context context;
  context.progress = &front;
  context.abort = &front;
#ifdef QHX_HAVE_ARCHIVE
  if (o.newOnly) {
    const ops::ArchivedReadoutResult readout = ops::ReadNewRecords(session, front, connection.Archive(), context);
    front.Finish();
    return Finish(readout, FactsOf(readout), front, o);
  }
  if (o.missing) {
    const ops::ArchivedReadoutResult readout = ops::ReadMissingRecords(session, front, connection.Archive(), context);
    front.Finish();
    return Finish(readout, FactsOf(readout), front, o);
  }
#endif
  const int first = session.Current().sys.firstId, last = session.Current().sys.lastId;
  // What the readout range dialog proposes, with the user's entries over it.
  const int enteredLast = o.lastOption->count() > 0 ? o.last : last;
  if (o.lastOption->count() > 0 && ProposedReadoutCount(first, last) > 0 && !IsHeldId(first, last, enteredLast)) {
    // Said before anything is sent: the logger would refuse the range.
    char text[512];
    std::snprintf(text, sizeof text, strings::Text(strings::id::kReadoutLastNotHeld).c_str(), enteredLast, first, last);
    output::Error(text);
    return exit_status::kUsage;
  }
  const int enteredCount = o.countOption->count() > 0 ? o.count : ProposedReadoutCount(first, last);
  if (enteredCount <= 0) {
    // An empty memory: the dialog offers nothing to read.
    front.Finish();
    char summary[160];
    std::snprintf(summary, sizeof summary, strings::Text(strings::id::kReadoutRangeInfo).c_str(), 0L, 0L, 0L);
    output::Error(summary);
    ops::ReadoutResult empty;
    empty.outcome = ops::Outcome::kSucceeded;
    empty.endLineSeen = true;
    return Finish(empty, {}, front, o);
  }
  const ReadoutRange range = ReadoutRangeForEntry(first, enteredLast, enteredCount);
#ifdef QHX_HAVE_ARCHIVE
  const ops::ArchivedReadoutResult readout =
      ops::ReadRecordsArchived(session, {range.firstId, range.count}, front, connection.Archive(), context);
  front.Finish();
  return Finish(readout, FactsOf(readout), front, o);
#else
  const ops::ReadoutResult readout = ops::ReadRecords(session, {range.firstId, range.count}, front, context);
  front.Finish();
  return Finish(readout, {}, front, o);
#endif
}

int RunReadErrors(Connection& connection, const std::string& target) {
  if (const int status = connection.Connect(); status != exit_status::kOk) return status;
  const ops::TextResult log = ops::ReadErrorLog(connection.Session());
  if (!log.Succeeded()) return output::Report(log);
  return SaveText(target, "TXL_ERR_", log.text);
}

// The four rows of the current-value monitor: number, kind, value, unit.
int RunCurrent(Connection& connection) {
  if (const int status = connection.Connect(); status != exit_status::kOk) return status;
  const ops::CurrentValuesResult values = ops::ReadCurrentValues(connection.Session());
  if (!values.Succeeded()) return output::Report(values);
  static const char* const kKinds[] = {"ID", "Date", "Bat.", "WL"};
  static const char* const kUnits[] = {"", "", "[V]", "[m]"};
  for (size_t row = 0; row < values.fields.size(); ++row)
    std::printf("%zu\t%s\t%s\t%s\n", row + 1, kKinds[row], codepage::AnsiToUtf8(values.fields[row]).c_str(),
                kUnits[row]);
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
  rd->countOption =
      data->add_option("--count", rd->count, "Number of records ending at --last (default: all)")
          ->check(CLI::Validator([](std::string& v) { return CheckWholeNumber(v, 1, kRecordIdSpan, "records"); }, "N"));
  data->add_option("-o,--output", rd->target, "File to write; - for standard output");
#ifdef QHX_HAVE_ARCHIVE
  data->add_flag("--new", rd->newOnly,
                 "Only the records after the newest archived one of this logger (the whole memory when the "
                 "logger no longer holds it)")
      ->excludes(rd->lastOption)
      ->excludes(rd->countOption);
  data->add_flag("--missing", rd->missing,
                 "Exactly the records the logger holds that the archive lacks (those a clear would erase unread), "
                 "each run of IDs as one readout")
      ->excludes(rd->lastOption)
      ->excludes(rd->countOption)
      ->excludes("--new");
  data->add_option("--format", rd->format,
                   "txt (the records as received, the default), csv (header serial,id,time,battery_v,level_m) or "
                   "jsonl")
      ->check(CLI::IsMember({"txt", "csv", "jsonl"}));
#endif
  data->add_option("--summary-json", rd->summary,
                   "Write what the readout brought as one JSON object to FILE (- for standard error): outcome, "
                   "exit_status, asked, arrived, kept, duplicates, unparsed, out_of_range, not_records, archived, "
                   "archive_failed, lost_since_last_visit, memory_cleared, whole_memory, first_id, last_id, end_line, "
                   "file");
  registry.Add(data, [rd](Connection& c) { return RunReadData(c, *rd); });

  auto errorsTarget = std::make_shared<std::string>();
  CLI::App* errors =
      app.add_subcommand("read-errors", "Read the error log (\"RD ERR\"); default file TXL_ERR_<date>_<time>.txt");
  errors->add_option("-o,--output", *errorsTarget, "File to write; - for standard output");
  registry.Add(errors, [errorsTarget](Connection& c) { return RunReadErrors(c, *errorsTarget); });

  CLI::App* current = app.add_subcommand("current", "Read the current values (\"RD REL\"): ID, date, battery, level");
  registry.Add(current, RunCurrent);
}
