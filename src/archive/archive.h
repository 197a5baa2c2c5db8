#pragma once
// The field-data archive: one SQLite file holding the loggers, every record
// any readout delivered, the readouts and the connects. The file is opened as
// it is: a locked, unreadable or damaged file is reported and left alone,
// never deleted or created anew over the old one.
//
// Schema (version 2, PRAGMA user_version):
//   loggers  (id, serial UNIQUE, name, firmware, imei, first_seen, last_seen)
//   connects (id, logger_id, pc_time, logger_clock, offset_s, synchronised,
//             measuring, sampling_s, event_sampling_s, interval, event_interval,
//             battery_alert_mv, upper_threshold, lower_threshold,
//             upper_enabled, lower_enabled)
//   readouts (id, logger_id, started, finished, first_id_asked, count_asked,
//             delivered, added, complete)
//   records  (id, logger_id, readout_id, raw, parsed, record_id, logger_time,
//             battery_v, level_m)
// A parsed record is unique by (logger, record ID, logger time), so reading
// the same records again adds nothing while a record whose ID comes back
// with another time (memory cleared, IDs wrapped) is kept apart. A line that
// does not parse is kept with parsed = 0, unique by (logger, raw text).
// raw holds the line's bytes exactly: as text where they are valid UTF-8, as
// a blob otherwise (version 2; a version 1 archive opened for writing has
// such text turned into blobs, one opened for reading is read as it is).
// Times: pc_time, started, finished, first/last_seen in seconds since the
// epoch; logger_clock and logger_time in calendar seconds of the logger's
// clock (its fields read as UTC).
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "archive/archive_status.h"
#include "archive/clock_drift.h"
#include "archive/new_records.h"

struct sqlite3;
struct sqlite3_stmt;

namespace archive {

struct LoggerIdentity {
  std::string serial;
  std::string name;
  std::string firmware;
  std::string imei;
};

// What the logger reported at a connect: its clock and its settings.
struct ConnectInfo {
  LoggerIdentity logger;
  int64_t pcTime = 0;       // seconds since the epoch
  int64_t loggerClock = 0;  // calendar seconds of the logger's clock
  int64_t offset = 0;       // ClockOffset() of the two
  bool synchronised = false;
  bool measuring = false;
  int64_t samplingS = 0;
  int64_t eventSamplingS = 0;
  int interval = 0;
  int eventInterval = 0;
  int batteryAlertMv = 0;
  double upperThreshold = 0;
  double lowerThreshold = 0;
  bool upperEnabled = false;
  bool lowerEnabled = false;
};

struct ArchivedRecord {
  std::string raw;
  bool parsed = false;
  int id = 0;
  int64_t time = 0;  // calendar seconds
  double batteryV = 0;
  double levelM = 0;
};

struct LoggerSummary {
  std::string serial;
  std::string name;
  int64_t records = 0;
  std::optional<int64_t> firstRecordTime;  // calendar seconds
  std::optional<int64_t> lastRecordTime;
  std::optional<int64_t> lastVisit;   // seconds since the epoch
  std::optional<int64_t> lastOffset;  // seconds
  std::optional<double> driftPerDay;  // seconds per day
};

struct OpenOptions {
  int busyTimeoutMs = 5000;  // how long to wait for another program's lock
  // Only reads: the file must exist, nothing is created or changed, and a
  // file or folder without write permission (or a read-only mount) is read.
  bool readOnly = false;
};

// One thread at a time may use an Archive; other threads and programs open
// their own.
class Archive {
 public:
  Archive() = default;
  ~Archive();
  Archive(const Archive&) = delete;
  Archive& operator=(const Archive&) = delete;

  // Opens the archive at path, creating the file and its folder when they do
  // not exist, and the tables when the file is new. An archive that cannot
  // be written fails here, with the system's reason, unless it is opened
  // read-only.
  Status Open(const std::string& path, const OpenOptions& options = {});
  void Close();
  bool IsOpen() const { return db_ != nullptr; }
  const std::string& Path() const { return path_; }

  // The logger row of this serial, created or brought up to date.
  Status UpsertLogger(const LoggerIdentity& logger, int64_t pcTime, int64_t* loggerRowId);
  // Records a connect; *connectId for MarkSynchronised.
  Status AddConnect(const ConnectInfo& info, int64_t* connectId = nullptr);
  // The logger's clock was set during this visit.
  Status MarkSynchronised(int64_t connectId);

  // The record the logger put last, as far as the archive knows, for a
  // memory that now holds `held`: of the archived records whose ID lies in
  // the held range, the one furthest on in the logger's numbering (which
  // wraps after 99999), the latest archived of equal IDs. A clock that went
  // back does not change it. Where no archived ID lies in the range, the
  // record archived last.
  Status NewestHeldRecord(const std::string& serial, const MemoryIds& held, std::optional<RecordKey>* key);
  // The IDs of the logger's parsed records that lie in the held run of IDs
  // (first to last, wrapping after 99999) and have a logger time within
  // [from, to]: the held records the archive has. Each ID once, in no order.
  Status ArchivedHeldIds(const std::string& serial, const MemoryIds& held, int64_t from, int64_t to,
                         std::vector<int>* ids);
  Status Loggers(std::vector<LoggerSummary>* out);
  Status Connects(const std::string& serial, std::vector<ConnectSample>* out);
  // The logger's records in order of logger time (unparsed lines last), those
  // with a time outside [from, to] left out; unparsed lines only without a
  // bound. Streams: the callback sees one record at a time and may return
  // false to stop. Without withRaw a parsed record's raw text is left empty.
  Status ForEachRecord(const std::string& serial, std::optional<int64_t> from, std::optional<int64_t> to,
                       const std::function<bool(const ArchivedRecord&)>& callback, bool withRaw = true);
  Status RecordCount(const std::string& serial, int64_t* count);

  // A readout's writer only appends: while it runs, the connection keeps a
  // small page cache and maps nothing (every mapped page it touches would
  // count as resident); Use(false) brings back the settings for reading.
  void UseWriterSettings(bool on);

  // For the readout writer.
  sqlite3* Handle() const { return db_; }
  Status Exec(const char* sql);
  Status FailureOf(int code) const;

 private:
  Status OpenConnection(const std::string& name, int flags, const OpenOptions& options, int* version, int* code);
  Status OpenForReading(const std::string& path, const OpenOptions& options, int* version);
  Status OpenForWriting(const std::string& path, const OpenOptions& options, int* version);
  Status CreateSchema();
  Status StoreInvalidTextAsBlobs();

  sqlite3* db_ = nullptr;
  std::string path_;
};

// Classifies a SQLite result code.
Failure FailureOfCode(int code);

}  // namespace archive
