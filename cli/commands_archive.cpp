// archive loggers: what the field-data archive holds of each logger;
// archive export: one logger's archived records as CSV, JSON Lines or text.
#include <sys/stat.h>

#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "archive/archive.h"
#include "archive/archive_messages.h"
#include "archive/default_path.h"
#include "archive/export_format.h"
#include "archive/record_line.h"
#include "command_line.h"
#include "commands.h"
#include "common/string_table.h"
#include "connection.h"
#include "output.h"
#include "output_file.h"
#include "time_range_options.h"

namespace {

std::string ArchivePath(const GlobalOptions& options) {
  return options.archive.empty() ? archive::DefaultArchivePath() : options.archive;
}

// Opens the archive for a command that only reads it. A missing file is
// not created: *missing tells the command it holds nothing yet.
int OpenForReading(const GlobalOptions& options, archive::Archive* a, bool* missing) {
  const std::string path = ArchivePath(options);
  if (path.empty()) {
    output::Error(strings::Text(strings::id::kArchiveNoPlace));
    return exit_status::kFailed;
  }
  struct stat st {};
  *missing = stat(path.c_str(), &st) != 0 && errno == ENOENT;
  if (*missing) return exit_status::kOk;
  archive::OpenOptions readOnly;
  readOnly.readOnly = true;
  if (const archive::Status s = a->Open(path, readOnly); !s.ok()) {
    output::Error(archive::FailureMessage(s, path));
    return exit_status::kFailed;
  }
  return exit_status::kOk;
}

std::string LocalIso(int64_t seconds) {
  const time_t t = static_cast<time_t>(seconds);
  std::tm tm{};
  localtime_r(&t, &tm);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &tm);
  return text;
}

int RunLoggers(Connection& connection) {
  archive::Archive a;
  bool missing = false;
  if (const int status = OpenForReading(connection.Options(), &a, &missing); status != exit_status::kOk) return status;
  std::vector<archive::LoggerSummary> loggers;
  if (!missing) {
    if (const archive::Status s = a.Loggers(&loggers); !s.ok()) {
      output::Error(archive::FailureMessage(s, a.Path()));
      return exit_status::kFailed;
    }
  }
  std::printf("serial\tname\trecords\tfirst_record\tlast_record\tlast_visit\tclock_offset_s\tdrift_s_per_day\n");
  for (const archive::LoggerSummary& l : loggers) {
    const std::string first = l.firstRecordTime ? archive::IsoTime(*l.firstRecordTime) : "";
    const std::string last = l.lastRecordTime ? archive::IsoTime(*l.lastRecordTime) : "";
    const std::string visit = l.lastVisit ? LocalIso(*l.lastVisit) : "";
    char offset[24] = "", drift[32] = "";
    if (l.lastOffset) std::snprintf(offset, sizeof offset, "%+" PRId64, *l.lastOffset);
    if (l.driftPerDay) std::snprintf(drift, sizeof drift, "%+.2f", *l.driftPerDay);
    std::printf("%s\t%s\t%" PRId64 "\t%s\t%s\t%s\t%s\t%s\n", l.serial.c_str(), l.name.c_str(), l.records, first.c_str(),
                last.c_str(), visit.c_str(), offset, drift);
  }
  return exit_status::kOk;
}

struct ExportOptions {
  std::string serial;
  std::string from, to;
  std::string format;
  std::string target = kStandardOutput;
};

int RunExport(Connection& connection, const ExportOptions& o) {
  const std::optional<archive::ExportFormat> format = archive::ParseExportFormat(o.format);
  const TimeRangeParse range = ParseTimeRange("quorvane-ctl archive export", o.from, o.to);
  if (!range.problem.empty()) {
    output::Error(range.problem);
    return exit_status::kUsage;
  }
  const std::optional<int64_t> from = range.range.from, to = range.range.to;
  archive::Archive a;
  bool missing = false;
  if (const int status = OpenForReading(connection.Options(), &a, &missing); status != exit_status::kOk) return status;
  bool known = false;
  if (!missing) {
    std::vector<archive::LoggerSummary> loggers;
    if (const archive::Status s = a.Loggers(&loggers); !s.ok()) {
      output::Error(archive::FailureMessage(s, a.Path()));
      return exit_status::kFailed;
    }
    for (const auto& l : loggers) known = known || l.serial == o.serial;
  }
  if (!known) {
    output::Error(strings::Text(strings::id::kArchiveNoSuchLogger) + "\r\n(" + o.serial + ")");
    return exit_status::kFailed;
  }
  // Saved as every file of the tool: whole or not at all (output_file.h).
  StreamedOutput out;
  std::string error;
  if (!out.Begin(o.target, &error)) {
    output::Error(output::SaveFailed(o.target, error));
    return exit_status::kFailed;
  }
  archive::ExportCounts counts;
  const archive::Status s = archive::ExportRecords(
      a, o.serial, from, to, *format, [&out](const char* bytes, size_t size) { return out.Write(bytes, size); },
      &counts);
  if (!s.ok() && !counts.sinkFailed) {
    out.Discard();
    output::Error(archive::FailureMessage(s, a.Path()));
    return exit_status::kFailed;
  }
  if (!out.Finish(std::string(), &error)) {
    output::Error(output::SaveFailed(o.target, error));
    return exit_status::kFailed;
  }
  if (counts.unparsed == 0) return exit_status::kOk;
  output::Error(output::UnparsedRows(counts.unparsed));
  return exit_status::kAttention;
}

}  // namespace

void AddArchiveCommands(CLI::App& app, CommandRegistry& registry) {
  CLI::App* group = app.add_subcommand("archive", "The field-data archive of every readout");
  group->require_subcommand(1);

  CLI::App* loggers = group->add_subcommand(
      "loggers",
      "Each archived logger, tab-separated: serial, name, records, first and last record time, last visit, "
      "last clock offset, clock drift in seconds per day");
  registry.Add(loggers, [](Connection& c) { return RunLoggers(c); });

  auto o = std::make_shared<ExportOptions>();
  CLI::App* exportCmd = group->add_subcommand("export", "One logger's archived records as CSV, JSON Lines or text");
  exportCmd->add_option("--serial", o->serial, "The logger's serial number")->required();
  exportCmd->add_option("--from", o->from,
                        "Records from this logger time on: a date (2026-01-03, from its start), a date and minutes "
                        "(2026-01-03T08:30) or a time (2026-01-03T08:30:00)");
  exportCmd->add_option("--to", o->to, "Records up to this logger time, in the forms of --from (a date: to its end)");
  exportCmd->add_option("--format", o->format, "csv (header serial,id,time,battery_v,level_m), jsonl or txt")
      ->required()
      ->check(CLI::IsMember({"csv", "jsonl", "txt"}));
  exportCmd->add_option("-o,--output", o->target, "The file to write; \"-\" (the default) is standard output");
  registry.Add(exportCmd, [o](Connection& c) { return RunExport(c, *o); });
}
