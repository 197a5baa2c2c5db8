#include "chart/archived_series.h"

#include <sqlite3.h>

#include "archive/record_line.h"
#include "archive/statement.h"

namespace chart {

namespace {

// Both statements walk the index of parsed records by logger and time; the
// count reads the index alone.
const char* const kCount =
    "SELECT COUNT(*) FROM records WHERE parsed = 1 AND logger_id = (SELECT id FROM loggers WHERE serial = ?1) "
    "AND logger_time >= ?2 AND logger_time <= ?3";
const char* const kColumns =
    "SELECT record_id, logger_time, level_m, battery_v FROM records "
    "WHERE parsed = 1 AND logger_id = (SELECT id FROM loggers WHERE serial = ?1) "
    "AND logger_time >= ?2 AND logger_time <= ?3 ORDER BY logger_time, record_id";

const char* const kLimits =
    "SELECT c.upper_threshold, c.lower_threshold, c.upper_enabled, c.lower_enabled FROM connects c "
    "JOIN loggers l ON l.id = c.logger_id WHERE l.serial = ?1 AND c.upper_threshold IS NOT NULL "
    "AND c.lower_threshold IS NOT NULL ORDER BY c.pc_time DESC, c.id DESC LIMIT 1";

}  // namespace

archive::Status ReadArchivedSeries(archive::Archive& store, const std::string& serial, int64_t from, int64_t to,
                                   RecordSeries* series) {
  *series = RecordSeries();
  sqlite3* db = store.Handle();
  if (db == nullptr) return archive::Status{archive::Failure::kUnreadable, "archive not open"};

  archive::Statement count(db, kCount);
  if (!count.Prepared()) return store.FailureOf(count.PrepareCode());
  count.Bind(1, serial);
  count.Bind(2, from);
  count.Bind(3, to);
  int rc = count.Step();
  if (rc != SQLITE_ROW) return store.FailureOf(rc);
  const auto expected = static_cast<size_t>(count.Int(0));

  archive::Statement q(db, kColumns);
  if (!q.Prepared()) return store.FailureOf(q.PrepareCode());
  q.Bind(1, serial);
  q.Bind(2, from);
  q.Bind(3, to);
  RecordSeries out;
  out.Reserve(expected);
  sqlite3_stmt* s = q.get();
  while ((rc = q.Step()) == SQLITE_ROW) {
    out.id.push_back(sqlite3_column_int(s, 0));
    out.time.push_back(sqlite3_column_int64(s, 1));
    out.levelM.push_back(sqlite3_column_double(s, 2));
    out.batteryV.push_back(sqlite3_column_double(s, 3));
  }
  if (rc != SQLITE_DONE) return store.FailureOf(rc);
  out.breakBefore.assign(out.time.size(), 0);
  // Across readouts the sampling interval may change: the usual step decides.
  MarkGaps(out, archive::kRecordIdModulus, TypicalStep(out));
  *series = std::move(out);
  return {};
}

archive::Status ReadArchivedLimits(archive::Archive& store, const std::string& serial,
                                   std::optional<ArchivedLimits>* limits) {
  limits->reset();
  sqlite3* db = store.Handle();
  if (db == nullptr) return archive::Status{archive::Failure::kUnreadable, "archive not open"};
  archive::Statement q(db, kLimits);
  if (!q.Prepared()) return store.FailureOf(q.PrepareCode());
  q.Bind(1, serial);
  const int rc = q.Step();
  if (rc == SQLITE_ROW) *limits = ArchivedLimits{q.Real(0), q.Real(1), q.Int(2) != 0, q.Int(3) != 0};
  return rc == SQLITE_ROW ? archive::Status{} : store.FailureOf(rc);
}

}  // namespace chart
