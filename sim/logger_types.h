#pragma once
// Value types of the virtual logger's public interface: start-up options and
// the snapshot of the logger's state that tests read.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "calendar.h"

namespace vlogger {

// What follows "WAKE" after "HELLO".
enum class IdentityMode {
  kWithVersion,  // "Quorvane-HX7 Ver[1.07]"
  kNameOnly,     // "Quorvane-HX7" (no "Ver[")
  kNone,         // "WAKE" and nothing after it
};

// How the logger answers "WEEP" (writing the received program).
enum class WeepMode {
  kSucceed,     // "writing", then "OK" after the write delay
  kRefuse,      // "NOT END" at once
  kWriteFails,  // "writing", then "NG" after the write delay
};

struct Options {
  std::string device_name = "Quorvane-HX7";
  std::string version = "1.07";
  IdentityMode identity_mode = IdentityMode::kWithVersion;
  uint32_t seed = 1;                // water-level series
  size_t memory_capacity = 100000;  // records; the oldest is dropped
  size_t preset_records = 0;        // memory filled at construction
  int64_t sampling_seconds = 600;
  int64_t clock_offset_seconds = 0;  // logger clock = host local time + offset
  bool paced = false;                // send at the pace of 9600 baud
  int module_sleep_delay_ms = 200;   // "#>RX:$SLEEP" after "dbg mtcon" / "moff"
  int program_write_delay_ms = 300;  // between "writing" and "OK" after "WEEP"
};

struct MailSettings {
  std::string apn;
  std::string apu;
  std::string app;
  std::string apa;
  std::string imei;
  std::string mydial;
  std::string host;
  std::string port;
  std::string post;
};

struct LoggerState {
  CalendarTime clock;
  bool measuring = false;
  CalendarTime start_time;
  CalendarTime next_time;
  int64_t sampling_seconds = 0;
  int64_t event_sampling_seconds = 0;
  int interval = 0;
  int event_interval = 0;
  int battery_cutoff_mv = 0;
  double upper_threshold = 0;
  double lower_threshold = 0;
  bool upper_enabled = false;
  bool lower_enabled = false;
  int rss = 0;
  int idle = 0;
  int averaging = 0;
  std::string calibration;
  size_t record_count = 0;
  int first_id = 0;
  int last_id = 0;
  std::vector<std::string> error_log;
  MailSettings mail;
  bool maintenance = false;                 // after "INSPECT ON"
  bool monitor_mode = false;                // receiving a program after "MONITOR"
  std::vector<std::string> firmware_lines;  // image lines received, in order
  int program_writes = 0;                   // successful "WEEP"
  int system_inits = 0;                     // "SYSINIT"
  int resets = 0;                           // "ST RES"
};

}  // namespace vlogger
