// archive loggers: what the field-data archive holds of each logger;
// archive export: one logger's archived records as CSV, JSON Lines or text.
#include <sys/stat.h>
#include <unistd.h>

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
  if (const archive::Status s = a->Open(path); !s.ok()) {
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

// A regular file is written beside the target and put in its place when
// whole; standard output, a device or a pipe is written as it is.
class ExportTarget {
 public:
  explicit ExportTarget(const std::string& target) : target_(target) {}
  ~ExportTarget() {
    if (file_ != nullptr && file_ != stdout) std::fclose(file_);
    if (!temp_.empty()) unlink(temp_.c_str());
  }
  std::FILE* Open() {
    if (target_ == kStandardOutput) return file_ = stdout;
    struct stat st {};
    if (stat(target_.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) return file_ = std::fopen(target_.c_str(), "wb");
    std::string temp = target_ + ".XXXXXX";
    const int fd = mkstemp(temp.data());
    if (fd < 0) return nullptr;
    temp_ = temp;
    return file_ = fdopen(fd, "wb");
  }
  bool Commit() {
    if (file_ == stdout) return std::fflush(stdout) == 0;
    const bool closed = std::fclose(file_) == 0;
    file_ = nullptr;
    if (temp_.empty()) return closed;
    if (!closed || std::rename(temp_.c_str(), target_.c_str()) != 0) return false;
    temp_.clear();
    return true;
  }

 private:
  std::string target_;
  std::string temp_;
  std::FILE* file_ = nullptr;
};

int RunExport(Connection& connection, const ExportOptions& o) {
  const std::optional<archive::ExportFormat> format = archive::ParseExportFormat(o.format);
  std::optional<int64_t> from, to;
  if (!o.from.empty() && !(from = archive::ParseIsoTime(o.from))) {
    output::Error("quorvane-ctl archive export: --from is not a time such as 2026-01-03T08:30:00: " + o.from);
    return exit_status::kUsage;
  }
  if (!o.to.empty() && !(to = archive::ParseIsoTime(o.to))) {
    output::Error("quorvane-ctl archive export: --to is not a time such as 2026-01-03T08:30:00: " + o.to);
    return exit_status::kUsage;
  }
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
  ExportTarget target(o.target);
  std::FILE* out = target.Open();
  int64_t written = 0;
  const archive::Status s = out == nullptr ? archive::Status{archive::Failure::kUnreadable, "write"}
                                           : archive::ExportRecords(a, o.serial, from, to, *format, out, &written);
  if (s.ok() && target.Commit()) return exit_status::kOk;
  const int err = errno;  // of the step that failed
  if (out == nullptr || s.reason.rfind("write", 0) == 0 || s.ok()) {
    // The output with the system's reason (a closed pipe, a full disk, the
    // file size limit), told once.
    const bool toStandardOutput = o.target == kStandardOutput;
    const std::string written = "write: ";
    const std::string why = s.reason.rfind(written, 0) == 0 ? s.reason.substr(written.size()) : std::strerror(err);
    output::Error(output::SaveFailed(o.target, (toStandardOutput ? "standard output" : o.target) + ": " + why));
    if (toStandardOutput) output::StandardOutputFailureTold();
  } else {
    output::Error(archive::FailureMessage(s, a.Path()));
  }
  return exit_status::kFailed;
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
  exportCmd->add_option("--from", o->from, "Records from this logger time on, e.g. 2026-01-03T08:30:00");
  exportCmd->add_option("--to", o->to, "Records up to this logger time");
  exportCmd->add_option("--format", o->format, "csv (header serial,id,time,battery_v,level_m), jsonl or txt")
      ->required()
      ->check(CLI::IsMember({"csv", "jsonl", "txt"}));
  exportCmd->add_option("-o,--output", o->target, "The file to write; \"-\" (the default) is standard output");
  registry.Add(exportCmd, [o](Connection& c) { return RunExport(c, *o); });
}
