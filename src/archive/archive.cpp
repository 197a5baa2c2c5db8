#include "archive/archive.h"

#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <mutex>

#include "archive/raw_text.h"
#include "archive/record_line.h"
#include "archive/statement.h"

namespace archive {
namespace {

// 1: the tables below. 2: raw holds bytes that are not valid UTF-8 as a blob;
// records are indexed by ID as well.
constexpr int kSchemaVersion = 2;

const char* const kSchema = R"sql(
CREATE TABLE IF NOT EXISTS loggers (
  id INTEGER PRIMARY KEY,
  serial TEXT NOT NULL UNIQUE,
  name TEXT NOT NULL DEFAULT '',
  firmware TEXT NOT NULL DEFAULT '',
  imei TEXT NOT NULL DEFAULT '',
  first_seen INTEGER NOT NULL,
  last_seen INTEGER NOT NULL
);
CREATE TABLE IF NOT EXISTS connects (
  id INTEGER PRIMARY KEY,
  logger_id INTEGER NOT NULL REFERENCES loggers(id),
  pc_time INTEGER NOT NULL,
  logger_clock INTEGER NOT NULL,
  offset_s INTEGER NOT NULL,
  synchronised INTEGER NOT NULL DEFAULT 0,
  measuring INTEGER,
  sampling_s INTEGER,
  event_sampling_s INTEGER,
  interval INTEGER,
  event_interval INTEGER,
  battery_alert_mv INTEGER,
  upper_threshold REAL,
  lower_threshold REAL,
  upper_enabled INTEGER,
  lower_enabled INTEGER
);
CREATE INDEX IF NOT EXISTS connects_by_logger ON connects(logger_id, pc_time);
CREATE TABLE IF NOT EXISTS readouts (
  id INTEGER PRIMARY KEY,
  logger_id INTEGER NOT NULL REFERENCES loggers(id),
  started INTEGER NOT NULL,
  finished INTEGER,
  first_id_asked INTEGER,
  count_asked INTEGER,
  delivered INTEGER NOT NULL DEFAULT 0,
  added INTEGER NOT NULL DEFAULT 0,
  complete INTEGER NOT NULL DEFAULT 0
);
CREATE TABLE IF NOT EXISTS records (
  id INTEGER PRIMARY KEY,
  logger_id INTEGER NOT NULL REFERENCES loggers(id),
  readout_id INTEGER REFERENCES readouts(id),
  raw TEXT NOT NULL,
  parsed INTEGER NOT NULL,
  record_id INTEGER,
  logger_time INTEGER,
  battery_v REAL,
  level_m REAL
);
CREATE UNIQUE INDEX IF NOT EXISTS records_parsed ON records(logger_id, logger_time, record_id) WHERE parsed = 1;
CREATE UNIQUE INDEX IF NOT EXISTS records_unparsed ON records(logger_id, raw) WHERE parsed = 0;
CREATE INDEX IF NOT EXISTS records_by_id ON records(logger_id, record_id) WHERE parsed = 1;
)sql";

// Creates every missing folder on the way to the file.
int MakeParentFolders(const std::string& path) {
  for (size_t pos = path.find('/', 1); pos != std::string::npos; pos = path.find('/', pos + 1)) {
    const std::string dir = path.substr(0, pos);
    if (mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST) return errno;
  }
  return 0;
}

// The "file:" URI of a path, for the open options only a URI carries.
std::string FileUri(const std::string& path) {
  std::string uri = path.compare(0, 1, "/") == 0 ? "file://" : "file:";
  for (const unsigned char c : path) {
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || std::strchr("/-._~", c)) {
      uri += static_cast<char>(c);
    } else {
      char escaped[4];
      std::snprintf(escaped, sizeof escaped, "%%%02X", c);
      uri += escaped;
    }
  }
  return uri;
}

void ValidUtf8Function(sqlite3_context* context, int, sqlite3_value** args) {
  const auto* bytes = static_cast<const char*>(sqlite3_value_blob(args[0]));
  const auto size = static_cast<size_t>(sqlite3_value_bytes(args[0]));
  sqlite3_result_int(context, IsValidUtf8(std::string_view(bytes == nullptr ? "" : bytes, size)) ? 1 : 0);
}

}  // namespace

Failure FailureOfCode(int code) {
  switch (code & 0xFF) {
    case SQLITE_OK:
    case SQLITE_ROW:
    case SQLITE_DONE: return Failure::kNone;
    case SQLITE_BUSY:
    case SQLITE_LOCKED: return Failure::kLocked;
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
    case SQLITE_FORMAT: return Failure::kCorrupt;
    default: return Failure::kUnreadable;
  }
}

Archive::~Archive() { Close(); }

void Archive::Close() {
  if (db_ != nullptr) sqlite3_close_v2(db_);
  db_ = nullptr;
}

Status Archive::FailureOf(int code) const {
  Status s;
  s.failure = FailureOfCode(code);
  if (s.ok()) return s;
  s.reason = db_ != nullptr ? sqlite3_errmsg(db_) : sqlite3_errstr(code);
  if (s.reason.empty()) s.reason = sqlite3_errstr(code);
  const int os = db_ != nullptr ? sqlite3_system_errno(db_) : 0;
  if (os != 0 && s.failure == Failure::kUnreadable) s.reason += std::string(" (") + std::strerror(os) + ")";
  return s;
}

void Archive::UseWriterSettings(bool on) {
  if (db_ == nullptr) return;
  if (on) {
    // Appending in time order touches the rightmost pages of each tree; a
    // smaller cache gives back the pages a read left behind.
    Exec("PRAGMA cache_size=-2048");
    Exec("PRAGMA mmap_size=0");
  } else {
    // The pages the writer cached go back to the heap; a 1,000,000-record
    // export reads through the map instead of copying pages.
    sqlite3_db_release_memory(db_);
    Exec("PRAGMA cache_size=-16384");
    Exec("PRAGMA mmap_size=268435456");
  }
}

Status Archive::Exec(const char* sql) {
  char* message = nullptr;
  const int rc = sqlite3_exec(db_, sql, nullptr, nullptr, &message);
  sqlite3_free(message);
  return FailureOf(rc);
}

Status Archive::Open(const std::string& path, const OpenOptions& options) {
  // Memory statistics take a process-wide lock on every allocation; nothing
  // here reads them. Only possible before the library's first use.
  static std::once_flag configured;
  std::call_once(configured, [] { sqlite3_config(SQLITE_CONFIG_MEMSTATUS, 0); });
  Close();
  path_ = path;
  int version = 0;
  Status s = options.readOnly ? OpenForReading(path, options, &version) : OpenForWriting(path, options, &version);
  if (s.ok() && version > kSchemaVersion)
    s = Status{Failure::kCorrupt, "archive of a newer version (" + std::to_string(version) + ")"};
  if (s.ok() && version == 0 && options.readOnly) s = Status{Failure::kCorrupt, "no archive tables in the file"};
  if (!s.ok()) {
    Close();
    return s;
  }
  if (!options.readOnly) {
    // WAL lets readers and the writer go on side by side; where the file
    // system cannot share its index the rollback journal stays.
    Exec("PRAGMA journal_mode=WAL");
    // A process killed mid-write never damages the file in either mode;
    // NORMAL only lets a power cut drop the last commits.
    Exec("PRAGMA synchronous=NORMAL");
  }
  UseWriterSettings(false);
  if (!options.readOnly && version < kSchemaVersion) {
    s = version == 0 ? CreateSchema() : StoreInvalidTextAsBlobs();
    if (!s.ok()) {
      Close();
      return s;
    }
  }
  return {};
}

Status Archive::OpenConnection(const std::string& name, int flags, const OpenOptions& options, int* version,
                               int* code) {
  Close();
  // One thread at a time uses an Archive: the connection needs no mutex.
  *code = sqlite3_open_v2(name.c_str(), &db_, flags | SQLITE_OPEN_NOMUTEX, nullptr);
  if (*code != SQLITE_OK) return FailureOf(*code);
  sqlite3_extended_result_codes(db_, 1);
  sqlite3_busy_timeout(db_, options.busyTimeoutMs);
  // The first read of the file tells whether it is an archive at all, and
  // whether it can be read here.
  Statement q(db_, "PRAGMA user_version");
  if (!q.Prepared()) return FailureOf(*code = q.PrepareCode());
  if ((*code = q.Step()) != SQLITE_ROW) return FailureOf(*code);
  *code = SQLITE_OK;
  *version = static_cast<int>(q.Int(0));
  return {};
}

Status Archive::OpenForReading(const std::string& path, const OpenOptions& options, int* version) {
  int code = SQLITE_OK;
  const Status s = OpenConnection(path, SQLITE_OPEN_READONLY, options, version, &code);
  if (s.ok()) return s;
  Close();
  if ((code & 0xFF) != SQLITE_READONLY && (code & 0xFF) != SQLITE_CANTOPEN) return s;
  // The WAL index (path-shm) can be neither used nor made: a folder without
  // write permission, a read-only mount. Opened as immutable, the file is
  // read alone, without locks or index. Commits still in the write-ahead log
  // would then be passed over, so an archive with one keeps the reason.
  struct stat wal {};
  if (stat((path + "-wal").c_str(), &wal) == 0 && wal.st_size > 0) {
    return Status{s.failure, s.reason + " (" + path + "-wal holds commits that cannot be read without writing)"};
  }
  if (OpenConnection(FileUri(path) + "?immutable=1", SQLITE_OPEN_READONLY | SQLITE_OPEN_URI, options, version, &code)
          .ok())
    return {};
  Close();
  return s;
}

Status Archive::OpenForWriting(const std::string& path, const OpenOptions& options, int* version) {
  if (const int err = MakeParentFolders(path); err != 0) return Status{Failure::kUnreadable, std::strerror(err)};
  int code = SQLITE_OK;
  const Status s = OpenConnection(path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, options, version, &code);
  // SQLite opens a file it may not write read-only without a word; a write,
  // or the read of a WAL archive, then fails without the system's reason.
  if (db_ != nullptr && sqlite3_db_readonly(db_, "main") == 1) {
    const int err = access(path.c_str(), W_OK) != 0 ? errno : EACCES;
    return Status{Failure::kUnreadable, std::string(sqlite3_errstr(SQLITE_READONLY)) + " (" + std::strerror(err) + ")"};
  }
  return s;
}

Status Archive::CreateSchema() {
  if (Status s = Exec("BEGIN IMMEDIATE"); !s.ok()) return s;
  Status s = Exec(kSchema);
  if (s.ok()) s = Exec(("PRAGMA user_version=" + std::to_string(kSchemaVersion)).c_str());
  if (!s.ok()) {
    Exec("ROLLBACK");
    return s;
  }
  return Exec("COMMIT");
}

// Version 1 kept lines that are not valid UTF-8 as text, which other SQLite
// clients refuse to read; version 2 keeps the same bytes as blobs, and has
// an index of the records by ID.
Status Archive::StoreInvalidTextAsBlobs() {
  const int rc =
      sqlite3_create_function_v2(db_, "qhx_valid_utf8", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_DIRECTONLY,
                                 nullptr, &ValidUtf8Function, nullptr, nullptr, nullptr);
  if (rc != SQLITE_OK) return FailureOf(rc);
  if (Status s = Exec("BEGIN IMMEDIATE"); !s.ok()) return s;
  Status s = Exec("UPDATE records SET raw = CAST(raw AS BLOB) WHERE typeof(raw) = 'text' AND NOT qhx_valid_utf8(raw)");
  // Reading on from the record the logger put last looks records up by ID.
  if (s.ok()) s = Exec("CREATE INDEX IF NOT EXISTS records_by_id ON records(logger_id, record_id) WHERE parsed = 1");
  if (s.ok()) s = Exec(("PRAGMA user_version=" + std::to_string(kSchemaVersion)).c_str());
  if (!s.ok()) {
    Exec("ROLLBACK");
    return s;
  }
  return Exec("COMMIT");
}

Status Archive::UpsertLogger(const LoggerIdentity& logger, int64_t pcTime, int64_t* loggerRowId) {
  Statement up(
      db_,
      "INSERT INTO loggers(serial, name, firmware, imei, first_seen, last_seen) VALUES(?1, ?2, ?3, ?4, ?5, ?5) "
      "ON CONFLICT(serial) DO UPDATE SET "
      "name = CASE WHEN ?2 <> '' THEN ?2 ELSE name END, "
      "firmware = CASE WHEN ?3 <> '' THEN ?3 ELSE firmware END, "
      "imei = CASE WHEN ?4 <> '' THEN ?4 ELSE imei END, "
      "last_seen = MAX(last_seen, ?5)");
  if (!up.Prepared()) return FailureOf(up.PrepareCode());
  up.Bind(1, logger.serial);
  up.Bind(2, logger.name);
  up.Bind(3, logger.firmware);
  up.Bind(4, logger.imei);
  up.Bind(5, pcTime);
  if (const int rc = up.Step(); rc != SQLITE_DONE) return FailureOf(rc);
  Statement q(db_, "SELECT id FROM loggers WHERE serial = ?1");
  if (!q.Prepared()) return FailureOf(q.PrepareCode());
  q.Bind(1, logger.serial);
  if (const int rc = q.Step(); rc != SQLITE_ROW) return FailureOf(rc == SQLITE_DONE ? SQLITE_CORRUPT : rc);
  *loggerRowId = q.Int(0);
  return {};
}

Status Archive::AddConnect(const ConnectInfo& info, int64_t* connectId) {
  if (Status s = Exec("BEGIN IMMEDIATE"); !s.ok()) return s;
  int64_t logger = 0;
  Status s = UpsertLogger(info.logger, info.pcTime, &logger);
  if (s.ok()) {
    Statement ins(db_,
                  "INSERT INTO connects(logger_id, pc_time, logger_clock, offset_s, synchronised, measuring, "
                  "sampling_s, event_sampling_s, interval, event_interval, battery_alert_mv, upper_threshold, "
                  "lower_threshold, upper_enabled, lower_enabled) "
                  "VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, ?13, ?14, ?15)");
    if (!ins.Prepared()) {
      s = FailureOf(ins.PrepareCode());
    } else {
      ins.Bind(1, logger);
      ins.Bind(2, info.pcTime);
      ins.Bind(3, info.loggerClock);
      ins.Bind(4, info.offset);
      ins.Bind(5, int64_t{info.synchronised});
      ins.Bind(6, int64_t{info.measuring});
      ins.Bind(7, info.samplingS);
      ins.Bind(8, info.eventSamplingS);
      ins.Bind(9, int64_t{info.interval});
      ins.Bind(10, int64_t{info.eventInterval});
      ins.Bind(11, int64_t{info.batteryAlertMv});
      ins.Bind(12, info.upperThreshold);
      ins.Bind(13, info.lowerThreshold);
      ins.Bind(14, int64_t{info.upperEnabled});
      ins.Bind(15, int64_t{info.lowerEnabled});
      const int rc = ins.Step();
      if (rc != SQLITE_DONE) s = FailureOf(rc);
      if (s.ok() && connectId != nullptr) *connectId = sqlite3_last_insert_rowid(db_);
    }
  }
  if (!s.ok()) {
    Exec("ROLLBACK");
    return s;
  }
  return Exec("COMMIT");
}

Status Archive::MarkSynchronised(int64_t connectId) {
  Statement up(db_, "UPDATE connects SET synchronised = 1 WHERE id = ?1");
  if (!up.Prepared()) return FailureOf(up.PrepareCode());
  up.Bind(1, connectId);
  return FailureOf(up.Step());
}

Status Archive::NewestHeldRecord(const std::string& serial, const MemoryIds& held, std::optional<RecordKey>* key) {
  key->reset();
  // The archived record with the highest ID in lo..hi (the latest archived
  // of equal IDs), along the index by ID.
  auto highestIn = [&](int64_t lo, int64_t hi) {
    Statement q(db_,
                "SELECT record_id, logger_time FROM records WHERE parsed = 1 AND "
                "logger_id = (SELECT id FROM loggers WHERE serial = ?1) AND record_id BETWEEN ?2 AND ?3 "
                "ORDER BY record_id DESC, id DESC LIMIT 1");
    if (!q.Prepared()) return FailureOf(q.PrepareCode());
    q.Bind(1, serial);
    q.Bind(2, lo);
    q.Bind(3, hi);
    const int rc = q.Step();
    if (rc == SQLITE_ROW) *key = RecordKey{static_cast<int>(q.Int(0)), q.Int(1)};
    return FailureOf(rc);
  };
  if (HeldCount(held) > 0) {
    // Furthest on from the first held ID: up to the last one, and where the
    // run wraps, its part after 0 before its part up to 99999.
    const bool wraps = held.first > held.last;
    Status s = highestIn(wraps ? 0 : held.first, held.last);
    if (s.ok() && !*key && wraps) s = highestIn(held.first, kRecordIdModulus - 1);
    if (!s.ok() || *key) return s;
  }
  Statement q(db_,
              "SELECT record_id, logger_time FROM records WHERE parsed = 1 AND "
              "logger_id = (SELECT id FROM loggers WHERE serial = ?1) ORDER BY id DESC LIMIT 1");
  if (!q.Prepared()) return FailureOf(q.PrepareCode());
  q.Bind(1, serial);
  const int rc = q.Step();
  if (rc == SQLITE_ROW) *key = RecordKey{static_cast<int>(q.Int(0)), q.Int(1)};
  return FailureOf(rc);
}

Status Archive::ArchivedHeldIds(const std::string& serial, const MemoryIds& held, int64_t from, int64_t to,
                                std::vector<int>* ids) {
  ids->clear();
  // Along the index of parsed records by time; a run that wraps holds the
  // IDs from its first up and those up to its last.
  Statement q(db_,
              "SELECT DISTINCT record_id FROM records WHERE parsed = 1 AND "
              "logger_id = (SELECT id FROM loggers WHERE serial = ?1) AND logger_time BETWEEN ?2 AND ?3 AND "
              "CASE WHEN ?4 <= ?5 THEN record_id BETWEEN ?4 AND ?5 ELSE record_id >= ?4 OR record_id <= ?5 END");
  if (!q.Prepared()) return FailureOf(q.PrepareCode());
  q.Bind(1, serial);
  q.Bind(2, from);
  q.Bind(3, to);
  q.Bind(4, int64_t{held.first});
  q.Bind(5, int64_t{held.last});
  int rc;
  while ((rc = q.Step()) == SQLITE_ROW) ids->push_back(static_cast<int>(q.Int(0)));
  return FailureOf(rc);
}

Status Archive::Connects(const std::string& serial, std::vector<ConnectSample>* out) {
  out->clear();
  Statement q(db_,
              "SELECT c.pc_time, c.offset_s, c.synchronised FROM connects c JOIN loggers l ON l.id = c.logger_id "
              "WHERE l.serial = ?1 ORDER BY c.pc_time, c.id");
  if (!q.Prepared()) return FailureOf(q.PrepareCode());
  q.Bind(1, serial);
  int rc;
  while ((rc = q.Step()) == SQLITE_ROW) out->push_back(ConnectSample{q.Int(0), q.Int(1), q.Int(2) != 0});
  return FailureOf(rc);
}

Status Archive::RecordCount(const std::string& serial, int64_t* count) {
  Statement q(db_, "SELECT COUNT(*) FROM records r JOIN loggers l ON l.id = r.logger_id WHERE l.serial = ?1");
  if (!q.Prepared()) return FailureOf(q.PrepareCode());
  q.Bind(1, serial);
  const int rc = q.Step();
  *count = rc == SQLITE_ROW ? q.Int(0) : 0;
  return FailureOf(rc);
}

Status Archive::Loggers(std::vector<LoggerSummary>* out) {
  out->clear();
  Statement q(db_,
              "SELECT l.serial, l.name, "
              // Counted along the two partial indexes: a count of the
              // logger's rows would read the whole table.
              " (SELECT COUNT(*) FROM records r WHERE r.logger_id = l.id AND r.parsed = 1) + "
              " (SELECT COUNT(*) FROM records r WHERE r.logger_id = l.id AND r.parsed = 0), "
              " (SELECT MIN(logger_time) FROM records r WHERE r.logger_id = l.id AND r.parsed = 1), "
              " (SELECT MAX(logger_time) FROM records r WHERE r.logger_id = l.id AND r.parsed = 1), "
              " l.last_seen, "
              " (SELECT offset_s FROM connects c WHERE c.logger_id = l.id ORDER BY pc_time DESC, id DESC LIMIT 1) "
              "FROM loggers l ORDER BY l.serial");
  if (!q.Prepared()) return FailureOf(q.PrepareCode());
  int rc;
  while ((rc = q.Step()) == SQLITE_ROW) {
    LoggerSummary s;
    s.serial = std::string(q.Text(0));
    s.name = std::string(q.Text(1));
    s.records = q.Int(2);
    if (!q.IsNull(3)) s.firstRecordTime = q.Int(3);
    if (!q.IsNull(4)) s.lastRecordTime = q.Int(4);
    s.lastVisit = q.Int(5);
    if (!q.IsNull(6)) s.lastOffset = q.Int(6);
    out->push_back(std::move(s));
  }
  if (Status s = FailureOf(rc); !s.ok()) return s;
  for (LoggerSummary& s : *out) {
    std::vector<ConnectSample> connects;
    if (Status st = Connects(s.serial, &connects); !st.ok()) return st;
    s.driftPerDay = DriftSecondsPerDay(connects);
  }
  return {};
}

Status Archive::ForEachRecord(const std::string& serial, std::optional<int64_t> from, std::optional<int64_t> to,
                              const std::function<bool(const ArchivedRecord&)>& callback, bool withRaw) {
  // Parsed records along their index in time order, then the unparsed lines.
  static const char* const kParsed =
      "SELECT raw, parsed, record_id, logger_time, battery_v, level_m FROM records "
      "WHERE parsed = 1 AND logger_id = (SELECT id FROM loggers WHERE serial = ?1) "
      "AND logger_time >= ?2 AND logger_time <= ?3 ORDER BY logger_time, record_id";
  static const char* const kUnparsed =
      "SELECT raw, parsed, record_id, logger_time, battery_v, level_m FROM records "
      "WHERE parsed = 0 AND logger_id = (SELECT id FROM loggers WHERE serial = ?1) ORDER BY id";
  const bool unbounded = !from && !to;
  ArchivedRecord r;
  for (const char* sql : {kParsed, kUnparsed}) {
    if (sql == kUnparsed && !unbounded) break;
    Statement q(db_, sql);
    if (!q.Prepared()) return FailureOf(q.PrepareCode());
    q.Bind(1, serial);
    if (sql == kParsed) {
      q.Bind(2, from.value_or(INT64_MIN));
      q.Bind(3, to.value_or(INT64_MAX));
    }
    int rc;
    while ((rc = q.Step()) == SQLITE_ROW) {
      r.parsed = q.Int(1) != 0;
      if (withRaw || !r.parsed) r.raw.assign(q.Bytes(0));
      r.id = q.IsNull(2) ? 0 : static_cast<int>(q.Int(2));
      r.time = q.IsNull(3) ? 0 : q.Int(3);
      r.batteryV = q.Real(4);
      r.levelM = q.Real(5);
      if (!callback(r)) return {};
    }
    if (Status s = FailureOf(rc); !s.ok()) return s;
  }
  return {};
}

}  // namespace archive
