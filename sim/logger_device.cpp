#include "logger_device.h"

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace vlogger {
namespace {

const char kAccepted[] = "YES END";
const char kRefused[] = "NOT END";
const char kImei[] = "356938035643809";

Reply Status(const std::string& text) { return Reply{{ReplyLine{text}}}; }
Reply Refused() { return Status(kRefused); }

// "OK", the lines, "YES END" (or without "OK" for the listings that have none).
Reply Listing(const std::vector<std::string>& lines, bool with_ok) {
  Reply reply;
  if (with_ok) reply.lines.push_back(ReplyLine{"OK"});
  for (const auto& line : lines) reply.lines.push_back(ReplyLine{line});
  reply.lines.push_back(ReplyLine{kAccepted});
  return reply;
}

std::vector<std::string> Words(const std::string& line) {
  std::vector<std::string> words;
  size_t pos = 0;
  while (pos < line.size()) {
    while (pos < line.size() && line[pos] == ' ') ++pos;
    const size_t start = pos;
    while (pos < line.size() && line[pos] != ' ') ++pos;
    if (pos > start) words.push_back(line.substr(start, pos - start));
  }
  return words;
}

// A whole word as a decimal integer within [low, high].
std::optional<long> Integer(const std::string& word, long low, long high) {
  if (word.empty()) return std::nullopt;
  errno = 0;
  char* end = nullptr;
  const long value = std::strtol(word.c_str(), &end, 10);
  if (errno != 0 || *end != '\0' || value < low || value > high) return std::nullopt;
  return value;
}

std::optional<double> Number(const std::string& word) {
  if (word.empty()) return std::nullopt;
  errno = 0;
  char* end = nullptr;
  const double value = std::strtod(word.c_str(), &end);
  if (errno != 0 || *end != '\0' || !std::isfinite(value)) return std::nullopt;
  return value;
}

std::string UpperCase(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

bool StartsWith(const std::string& text, const std::string& prefix) {
  return text.compare(0, prefix.size(), prefix) == 0;
}

std::string Format(const char* format, double a, double b) {
  char text[80];
  std::snprintf(text, sizeof text, format, a, b);
  return text;
}

}  // namespace

LoggerDevice::LoggerDevice(const Options& options, std::function<int64_t()> host_clock)
    : options_(options),
      host_clock_(std::move(host_clock)),
      clock_offset_(options.clock_offset_seconds),
      memory_(options.memory_capacity, options.seed) {
  if (options_.sampling_seconds > 0) settings_.sampling = options_.sampling_seconds;
  mail_ = MailSettings{"quorvane.example",    "hx",   "hx",        "CHAP", kImei, "08012345678",
                       "dc.quorvane.example", "8080", "/hx/upload"};
  error_log_ = {"26/01/02 10:11:12,E03,LOW BATTERY", "26/01/04 06:30:00,E11,MODULE NO RESPONSE",
                "26/01/05 21:45:09,E07,SENSOR TIMEOUT"};
  start_time_ = ToCalendarSeconds(CalendarTime{2026, 1, 1, 0, 0, 0});
  next_time_ = start_time_;
  if (options_.preset_records > 0) PresetMemory(options_.preset_records, 1);
}

int64_t LoggerDevice::NowSeconds() const { return host_clock_() + clock_offset_; }

CalendarTime LoggerDevice::Now() const { return FromCalendarSeconds(NowSeconds()); }

void LoggerDevice::CatchUp() const {
  if (!measuring_) return;
  const int64_t now = NowSeconds();
  if (next_time_ > now) return;
  const int64_t step = settings_.sampling;
  const uint64_t due = static_cast<uint64_t>((now - next_time_) / step) + 1;
  // After a long jump of the clock only the newest records can still be held.
  const uint64_t keep = memory_.Capacity();
  if (due > keep) {
    memory_.SkipIds(due - keep);
    next_time_ += static_cast<int64_t>(due - keep) * step;
  }
  while (next_time_ <= now) {
    memory_.Append(next_time_);
    next_time_ += step;
  }
}

int64_t LoggerDevice::NextGridTimeAfter(int64_t now) const {
  if (start_time_ > now) return start_time_;
  const int64_t step = settings_.sampling;
  return start_time_ + ((now - start_time_) / step + 1) * step;
}

Reply LoggerDevice::Handle(const std::string& line) {
  CatchUp();
  // The wake-up word counts in any case ("hello" from a terminal's button).
  if (UpperCase(line) == "HELLO") return Identity();
  if (!line.empty() && line[0] == ':') {
    if (!monitor_mode_) return Refused();
    firmware_lines_.push_back(line);
    return Status("OK");
  }
  const std::vector<std::string> words = Words(line);
  if (words.empty()) return Refused();
  const std::string& head = words[0];
  if (head == "RD" && words.size() >= 2) {
    const std::string& what = words[1];
    if (what == "SYS" && words.size() == 2) return ReadSystem();
    if (what == "ALL") return ReadAll(words);
    if (what == "ERR" && words.size() == 2) return ReadErrors();
    if (what == "REL" && words.size() == 2) return ReadCurrent();
    if (what == "ANT" && words.size() == 2) return ReadAntenna();
    return Refused();
  }
  if (head == "ST") return Set(words);
  if (head == "MAIL") return Mail(words, line);
  if (line == "INSPECT ON") {
    maintenance_ = true;
    return Status(kAccepted);
  }
  if (line == "INSPECT OFF") {
    maintenance_ = false;
    monitor_mode_ = false;
    return Status(kAccepted);
  }
  if (line == "SRAMCLR" || line == "MONITOR" || line == "WEEP" || line == "SYSINIT" || line == "dbg mtcoff" ||
      line == "dbg mtcon") {
    return Maintenance(line);
  }
  if (line == "mon" || line == "at$ver" || line == "moff") return Module(line);
  return Refused();
}

Reply LoggerDevice::Identity() const {
  Reply reply = Status("WAKE");
  switch (options_.identity_mode) {
    case IdentityMode::kWithVersion:
      reply.lines.push_back(ReplyLine{options_.device_name + " Ver[" + options_.version + "]"});
      break;
    case IdentityMode::kNameOnly: reply.lines.push_back(ReplyLine{options_.device_name}); break;
    case IdentityMode::kNone: break;
  }
  return reply;
}

Reply LoggerDevice::ReadSystem() const {
  const Settings& s = settings_;
  char id[64];
  std::snprintf(id, sizeof id, "ID %d-%d(%zu)", memory_.FirstId(), memory_.LastId(), memory_.Size());
  return Listing(
      {
          "STM " + FormatDateTime(FromCalendarSeconds(start_time_)),
          "TIM " + FormatDateTime(Now()),
          "NEX " + FormatDateTime(FromCalendarSeconds(next_time_)),
          "SMP " + FormatDuration(s.sampling),
          "SMP2 " + FormatDuration(s.event_sampling),
          "ITV " + std::to_string(s.interval),
          "ITV2 " + std::to_string(s.event_interval),
          "BAT Vcut" + std::to_string(s.battery_cutoff),
          id,
          Format("ALM AN %.4f %.4f", s.upper, s.lower) + (s.upper_on ? " ON" : " OFF") + (s.lower_on ? " ON" : " OFF"),
          "CAL AV " + s.calibration,
          "BLD 2025/11/20 " + options_.version,
          "SN HX7-004211",
          measuring_ ? "MEASURING" : "STOP",
      },
      false);
}

// "RD ALL" (whole memory), "RD ALL first" (to the last record) or
// "RD ALL first count" (count 0 also reads to the last). A first ID that the
// memory does not hold is refused.
Reply LoggerDevice::ReadAll(const std::vector<std::string>& words) const {
  if (words.size() > 4) return Refused();
  Reply reply = Status("OK");
  reply.stream = true;
  reply.stream_begin = memory_.FrontSequence();
  reply.stream_end = memory_.EndSequence();
  if (words.size() == 2) return reply;
  const auto first = Integer(words[2], 0, kIdModulus - 1);
  if (!first) return Refused();
  const uint64_t begin = memory_.SequenceOf(static_cast<int>(*first));
  if (begin == memory_.EndSequence()) return Refused();
  reply.stream_begin = begin;
  if (words.size() == 4) {
    const auto count = Integer(words[3], 0, 999999);
    if (!count) return Refused();
    if (*count > 0 && begin + static_cast<uint64_t>(*count) < reply.stream_end) {
      reply.stream_end = begin + static_cast<uint64_t>(*count);
    }
  }
  return reply;
}

size_t LoggerDevice::FormatRecords(uint64_t& next, uint64_t end, size_t max_lines, std::string& out,
                                   std::string_view line_end) const {
  if (next < memory_.FrontSequence()) next = memory_.FrontSequence();
  // The lines are written in place into room made for the longest ones.
  size_t used = out.size();
  out.resize(used + max_lines * (RecordMemory::kMaxLineBytes + line_end.size()));
  size_t n = 0;
  for (; n < max_lines && next < end; ++n, ++next) {
    const Record* record = memory_.AtSequence(next);
    if (record == nullptr) {
      next = end;
      break;
    }
    used += memory_.FormatLine(*record, &out[used]);
    std::memcpy(&out[used], line_end.data(), line_end.size());
    used += line_end.size();
  }
  out.resize(used);
  return n;
}

Reply LoggerDevice::ReadErrors() const { return Listing(error_log_, true); }

Reply LoggerDevice::ReadCurrent() const {
  return Listing({memory_.FormatLine(Record{memory_.LastId(), NowSeconds()})}, true);
}

Reply LoggerDevice::ReadAntenna() const {
  if (!antenna_level_) return Listing({}, true);
  return Listing({"ANT " + std::to_string(*antenna_level_)}, true);
}

Reply LoggerDevice::Set(const std::vector<std::string>& words) {
  if (words.size() < 2) return Refused();
  const std::string& key = words[1];
  const size_t n = words.size();
  Settings& s = settings_;
  if (key == "SMP" || key == "SMP2") {
    if (n != 3) return Refused();
    const auto seconds = ParseDuration(words[2]);
    if (!seconds || (key == "SMP" && *seconds <= 0)) return Refused();
    if (key == "SMP2") {
      s.event_sampling = *seconds;
    } else {
      s.sampling = *seconds;
      if (measuring_) next_time_ = NextGridTimeAfter(NowSeconds());
    }
    return Status(kAccepted);
  }
  if (key == "STM") return StartAt(words);
  if (key == "STP" && n == 2) {
    measuring_ = false;
    return Status(kAccepted);
  }
  if (key == "CLR" && n == 2) {
    memory_.Clear();
    error_log_.clear();
    measuring_ = false;
    return Status(kAccepted);
  }
  if (key == "RES" && n == 2) {
    maintenance_ = false;
    monitor_mode_ = false;
    ++resets_;
    return Status(kAccepted);
  }
  if (key == "ALM") return SetAlarm(words);
  if (key == "CAL") {
    if (n != 4 || words[2] != "AV" || !Number(words[3])) return Refused();
    s.calibration = words[3];
    return Status(kAccepted);
  }
  if (n != 3) return Refused();
  const std::string& arg = words[2];
  std::optional<long> value;
  if (key == "ITV" || key == "ITV2") {
    value = Integer(arg, 0, 9999);
    if (value) (key == "ITV" ? s.interval : s.event_interval) = static_cast<int>(*value);
  } else if (key == "BAT") {
    value = Integer(arg, 0, 99999);
    if (value) s.battery_cutoff = static_cast<int>(*value);
  } else if (key == "RSS") {
    value = Integer(arg, -999, 999);
    if (value) s.rss = static_cast<int>(*value);
  } else if (key == "IDL") {
    value = arg.size() <= 2 ? Integer(arg, 0, 60) : std::nullopt;
    if (value) s.idle = static_cast<int>(*value);
  } else if (key == "AVG") {
    value = Integer(arg, 0, 999);
    if (value) s.averaging = static_cast<int>(*value);
  }
  return value ? Status(kAccepted) : Refused();
}

// "ST ALM AN <upper> <lower> " sets the thresholds, "ST ALM AN ON|OFF ON|OFF"
// switches the two judgements.
Reply LoggerDevice::SetAlarm(const std::vector<std::string>& words) {
  if (words.size() != 5 || words[2] != "AN") return Refused();
  auto on_off = [](const std::string& w) -> std::optional<bool> {
    if (w == "ON") return true;
    if (w == "OFF") return false;
    return std::nullopt;
  };
  const auto upper_on = on_off(words[3]), lower_on = on_off(words[4]);
  if (upper_on && lower_on) {
    settings_.upper_on = *upper_on;
    settings_.lower_on = *lower_on;
    return Status(kAccepted);
  }
  const auto upper = Number(words[3]), lower = Number(words[4]);
  if (!upper || !lower) return Refused();
  settings_.upper = *upper;
  settings_.lower = *lower;
  return Status(kAccepted);
}

// "ST STM" starts measuring now; "ST STM yy/mm/dd hh:mm" at that time, or at
// the next point of its sampling grid when that time has passed.
Reply LoggerDevice::StartAt(const std::vector<std::string>& words) {
  const int64_t now = NowSeconds();
  if (words.size() == 2) {
    start_time_ = now;
    next_time_ = now;
  } else if (words.size() == 4) {
    const auto start = ParseStartTime(words[2], words[3]);
    if (!start) return Refused();
    start_time_ = ToCalendarSeconds(*start);
    next_time_ = start_time_ >= now ? start_time_ : NextGridTimeAfter(now);
  } else {
    return Refused();
  }
  measuring_ = true;
  return Status(kAccepted);
}

Reply LoggerDevice::Mail(const std::vector<std::string>& words, const std::string& line) {
  if (words.size() < 2) return Refused();
  const std::string& key = words[1];
  // The access-point values are taken verbatim: everything after the key and
  // one blank (empty for "MAIL APU " and for "MAIL APA" alone).
  std::string* field = key == "APN"   ? &mail_.apn
                       : key == "APU" ? &mail_.apu
                       : key == "APP" ? &mail_.app
                       : key == "APA" ? &mail_.apa
                                      : nullptr;
  if (field != nullptr) {
    const std::string prefix = "MAIL " + key;
    if (!StartsWith(line, prefix) || (line.size() > prefix.size() && line[prefix.size()] != ' ')) {
      return Refused();
    }
    *field = line.size() > prefix.size() + 1 ? line.substr(prefix.size() + 1) : std::string();
    return Status(kAccepted);
  }
  const size_t n = words.size();
  if (key == "DSP" && n == 2) {
    const MailSettings& m = mail_;
    return Listing({"APN " + m.apn, "APU " + m.apu, "APP " + m.app, "APA " + m.apa, "IMEI " + m.imei,
                    "MYDIAL " + m.mydial, "HOST " + m.host, "PORT " + m.port, "POST " + m.post},
                   false);
  }
  if (key == "INI") return MailInit(words);
  if (key == "IMEI" && n == 2) return Listing({"IMEI " + mail_.imei}, true);
  if (key == "START" && n == 2) {
    return Listing({"CONNECT " + mail_.apn, "TRANSMIT 2 RECORDS", "DISCONNECT"}, true);
  }
  if (key == "TIME" && n == 2) {
    clock_offset_ = 0;
    return Listing({}, true);
  }
  return Refused();
}

// "MAIL INI" applies the access point set with "MAIL APN" etc.; "MAIL INI IIJ"
// and "MAIL INI MDAP" load a carrier preset first.
Reply LoggerDevice::MailInit(const std::vector<std::string>& words) {
  if (words.size() > 3) return Refused();
  if (words.size() == 3) {
    if (words[2] == "IIJ") {
      mail_.apn = "iij.quorvane.example";
      mail_.apu = "hx@iij";
      mail_.app = "iij";
      mail_.apa = "CHAP";
    } else if (words[2] == "MDAP") {
      mail_.apn = "mdap.quorvane.example";
      mail_.apu = "mdap";
      mail_.app = "mdap";
      mail_.apa = "PAP";
    } else {
      return Refused();
    }
  }
  return Listing({"APN " + mail_.apn, "APU " + mail_.apu, "APP " + mail_.app, "APA " + mail_.apa, "MODULE SET"}, true);
}

// Commands of the maintenance state ("INSPECT ON"); refused outside it.
Reply LoggerDevice::Maintenance(const std::string& line) {
  if (!maintenance_) return Refused();
  if (line == "SRAMCLR") {
    memory_.Clear();
    error_log_.clear();
    measuring_ = false;
    return Status("OK");
  }
  if (line == "MONITOR") {
    monitor_mode_ = true;
    firmware_lines_.clear();
    return Status("OK");
  }
  if (line == "WEEP") return WriteProgram();
  if (line == "SYSINIT") {
    settings_ = Settings{};
    if (options_.sampling_seconds > 0) settings_.sampling = options_.sampling_seconds;
    measuring_ = false;
    ++system_inits_;
    return Status("OK");
  }
  if (line == "dbg mtcoff") return Status(kAccepted);
  // "dbg mtcon": the module powers up and reports going idle a moment later.
  Reply reply = Status(kAccepted);
  if (!module_never_sleeps_) {
    reply.lines.push_back(ReplyLine{"#>RX:$SLEEP", std::chrono::milliseconds(options_.module_sleep_delay_ms)});
  }
  return reply;
}

Reply LoggerDevice::WriteProgram() {
  if (!monitor_mode_ || weep_mode_ == WeepMode::kRefuse) return Refused();
  const std::chrono::milliseconds delay(options_.program_write_delay_ms);
  Reply reply = Status("writing");
  if (weep_mode_ == WeepMode::kWriteFails) {
    reply.lines.push_back(ReplyLine{"NG", delay});
    return reply;
  }
  reply.lines.push_back(ReplyLine{"OK", delay});
  // The logger restarts with the new program.
  monitor_mode_ = false;
  maintenance_ = false;
  ++program_writes_;
  return reply;
}

// Lines passed through to the communication module; its answers come back
// as "#>RX:" notices.
Reply LoggerDevice::Module(const std::string& line) {
  if (!maintenance_) return Refused();
  auto error = module_errors_.find(line);
  if (error != module_errors_.end() && error->second != 0) {
    if (error->second > 0) --error->second;
    return Status("*>RX:ERROR");
  }
  if (line == "mon") return Status("#>RX:$WAKEUP");
  if (line == "at$ver") return Status("#>RX:$VER:1.2.3");
  Reply reply = Status(kAccepted);  // "moff"
  if (!module_never_sleeps_) {
    reply.lines.push_back(ReplyLine{"#>RX:$SLEEP", std::chrono::milliseconds(options_.module_sleep_delay_ms)});
  }
  return reply;
}

LoggerState LoggerDevice::Snapshot() const {
  CatchUp();
  LoggerState st;
  st.clock = Now();
  st.measuring = measuring_;
  st.start_time = FromCalendarSeconds(start_time_);
  st.next_time = FromCalendarSeconds(next_time_);
  st.sampling_seconds = settings_.sampling;
  st.event_sampling_seconds = settings_.event_sampling;
  st.interval = settings_.interval;
  st.event_interval = settings_.event_interval;
  st.battery_cutoff_mv = settings_.battery_cutoff;
  st.upper_threshold = settings_.upper;
  st.lower_threshold = settings_.lower;
  st.upper_enabled = settings_.upper_on;
  st.lower_enabled = settings_.lower_on;
  st.rss = settings_.rss;
  st.idle = settings_.idle;
  st.averaging = settings_.averaging;
  st.calibration = settings_.calibration;
  st.record_count = memory_.Size();
  st.first_id = memory_.FirstId();
  st.last_id = memory_.LastId();
  st.error_log = error_log_;
  st.mail = mail_;
  st.maintenance = maintenance_;
  st.monitor_mode = monitor_mode_;
  st.firmware_lines = firmware_lines_;
  st.program_writes = program_writes_;
  st.system_inits = system_inits_;
  st.resets = resets_;
  return st;
}

void LoggerDevice::PresetMemory(size_t count, int first_id) {
  const int64_t step = settings_.sampling;
  const int64_t now = NowSeconds();
  memory_.Preset(count, first_id, now - now % step, step);
}

void LoggerDevice::AddRecords(size_t count) {
  const int64_t step = settings_.sampling;
  const int64_t now = NowSeconds();
  const int64_t last = memory_.Size() > 0 ? memory_.LastTime() : now - now % step;
  for (size_t i = 1; i <= count; ++i) memory_.Append(last + static_cast<int64_t>(i) * step);
  // The clock moves on with the records, so they are never in its future.
  const int64_t newest = last + static_cast<int64_t>(count) * step;
  if (newest > now) clock_offset_ += newest - now;
  if (next_time_ <= newest) next_time_ = newest + step;
}

void LoggerDevice::ClearMemory() { memory_.Clear(); }

void LoggerDevice::SetIdentity(const std::string& name, const std::string& version, IdentityMode mode) {
  options_.device_name = name;
  options_.version = version;
  options_.identity_mode = mode;
}

void LoggerDevice::SetAntennaLevel(std::optional<int> level) { antenna_level_ = level; }

void LoggerDevice::SetImei(const std::string& imei) { mail_.imei = imei; }

void LoggerDevice::SetClockOffset(int64_t seconds) {
  CatchUp();
  clock_offset_ = seconds;
}

void LoggerDevice::SetModuleError(const std::string& command, int times) { module_errors_[command] = times; }

void LoggerDevice::SetModuleNeverSleeps(bool never) { module_never_sleeps_ = never; }

void LoggerDevice::SetWeepMode(WeepMode mode) { weep_mode_ = mode; }

void LoggerDevice::SetErrorLog(const std::vector<std::string>& lines) { error_log_ = lines; }

}  // namespace vlogger
