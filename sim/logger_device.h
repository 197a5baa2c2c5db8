#pragma once
// The logger's command interpreter and state: what it answers to each
// command line and how its settings, clock and memory change. It knows
// nothing about the line itself (bytes, timing, the pseudo-terminal); the
// server shapes and sends what it returns. Not thread-safe: the owner locks.
#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "logger_types.h"
#include "record_memory.h"

namespace vlogger {

struct ReplyLine {
  std::string text;                    // without CR LF
  std::chrono::milliseconds delay{0};  // pause before this line
};

struct Reply {
  std::vector<ReplyLine> lines;
  // A record readout: after the lines, the records with sequence numbers
  // [stream_begin, stream_end) follow, then "YES END".
  bool stream = false;
  uint64_t stream_begin = 0;
  uint64_t stream_end = 0;
};

class LoggerDevice {
 public:
  // host_clock gives the host's local time in calendar seconds.
  explicit LoggerDevice(const Options& options, std::function<int64_t()> host_clock = HostLocalCalendarSeconds);

  // Interprets one command line (without CR LF, not empty).
  Reply Handle(const std::string& line);

  // Formats up to max_lines records from sequence `next` (advanced) up to
  // `end`, each line followed by `line_end`, onto `out`; records dropped
  // meanwhile are skipped. Returns the number of lines.
  size_t FormatRecords(uint64_t& next, uint64_t end, size_t max_lines, std::string& out,
                       std::string_view line_end = "\n") const;

  LoggerState Snapshot() const;
  CalendarTime Now() const;

  // Knobs.
  void PresetMemory(size_t count, int first_id);
  void AddRecords(size_t count);
  void ClearMemory();
  void SetIdentity(const std::string& name, const std::string& version, IdentityMode mode);
  void SetAntennaLevel(std::optional<int> level);
  void SetImei(const std::string& imei);
  void SetClockOffset(int64_t seconds);
  void SetModuleError(const std::string& command, int times);
  void SetModuleNeverSleeps(bool never);
  void SetWeepMode(WeepMode mode);
  void SetErrorLog(const std::vector<std::string>& lines);

 private:
  struct Settings {
    int64_t sampling = 600;
    int64_t event_sampling = 60;
    int interval = 6;
    int event_interval = 1;
    int battery_cutoff = 3000;
    double upper = 2.5;
    double lower = -2.5;
    bool upper_on = true;
    bool lower_on = true;
    int rss = 0;
    int idle = 0;
    int averaging = 1;
    std::string calibration = "0.0000";
  };

  int64_t NowSeconds() const;
  // Takes every record due up to now (records are made lazily).
  void CatchUp() const;
  int64_t NextGridTimeAfter(int64_t now) const;

  Reply Identity() const;
  Reply ReadSystem() const;
  Reply ReadAll(const std::vector<std::string>& words) const;
  Reply ReadErrors() const;
  Reply ReadCurrent() const;
  Reply ReadAntenna() const;
  Reply Set(const std::vector<std::string>& words);
  Reply SetAlarm(const std::vector<std::string>& words);
  Reply StartAt(const std::vector<std::string>& words);
  Reply Mail(const std::vector<std::string>& words, const std::string& line);
  Reply MailInit(const std::vector<std::string>& words);
  Reply Maintenance(const std::string& line);
  Reply Module(const std::string& line);
  Reply WriteProgram();

  Options options_;
  std::function<int64_t()> host_clock_;
  int64_t clock_offset_;
  Settings settings_;
  MailSettings mail_;
  std::optional<int> antenna_level_ = 18;
  std::vector<std::string> error_log_;
  std::map<std::string, int> module_errors_;
  bool module_never_sleeps_ = false;
  WeepMode weep_mode_ = WeepMode::kSucceed;

  bool measuring_ = false;
  int64_t start_time_;
  mutable int64_t next_time_;
  mutable RecordMemory memory_;

  bool maintenance_ = false;
  bool monitor_mode_ = false;
  std::vector<std::string> firmware_lines_;
  int program_writes_ = 0;
  int system_inits_ = 0;
  int resets_ = 0;
};

}  // namespace vlogger
