#include "archive/readout_writer.h"

#include <sqlite3.h>

#include "archive/record_line.h"
#include "archive/statement.h"

namespace archive {

ReadoutWriter::ReadoutWriter(Archive& archive, WriterOptions options) : archive_(archive), options_(options) {}

ReadoutWriter::~ReadoutWriter() = default;

Status ReadoutWriter::Fail(Status s) {
  if (failure_.ok()) failure_ = s;
  pendingText_.clear();
  pendingEnds_.clear();
  return failure_;
}

Status ReadoutWriter::BeginReadout(const LoggerIdentity& logger, const ReadRange& asked, int64_t pcTime) {
  if (!archive_.IsOpen()) return Fail(Status{Failure::kUnreadable, "archive not open"});
  if (Status s = archive_.Exec("BEGIN IMMEDIATE"); !s.ok()) return Fail(s);
  Status s = archive_.UpsertLogger(logger, pcTime, &loggerRow_);
  if (s.ok()) {
    Statement ins(archive_.Handle(),
                  "INSERT INTO readouts(logger_id, started, first_id_asked, count_asked) VALUES(?1, ?2, ?3, ?4)");
    if (!ins.Prepared()) {
      s = archive_.FailureOf(ins.PrepareCode());
    } else {
      ins.Bind(1, loggerRow_);
      ins.Bind(2, pcTime);
      ins.Bind(3, int64_t{asked.firstId});
      ins.Bind(4, asked.count);
      if (const int rc = ins.Step(); rc != SQLITE_DONE) s = archive_.FailureOf(rc);
      readoutRow_ = sqlite3_last_insert_rowid(archive_.Handle());
    }
  }
  if (!s.ok()) {
    archive_.Exec("ROLLBACK");
    return Fail(s);
  }
  if (s = archive_.Exec("COMMIT"); !s.ok()) {
    archive_.Exec("ROLLBACK");
    return Fail(s);
  }
  insert_ = std::make_unique<Statement>(
      archive_.Handle(),
      "INSERT OR IGNORE INTO records(logger_id, readout_id, raw, parsed, record_id, logger_time, battery_v, level_m) "
      "VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8)");
  if (!insert_->Prepared()) return Fail(archive_.FailureOf(insert_->PrepareCode()));
  countBatch_ = std::make_unique<Statement>(
      archive_.Handle(), "UPDATE readouts SET delivered = delivered + ?2, added = added + ?3 WHERE id = ?1");
  if (!countBatch_->Prepared()) return Fail(archive_.FailureOf(countBatch_->PrepareCode()));
  pendingEnds_.reserve(options_.batchLines);
  begun_ = true;
  return {};
}

Status ReadoutWriter::AddRecordLines(const std::vector<std::string>& lines) {
  if (!failure_.ok()) return failure_;
  if (!begun_) return Fail(Status{Failure::kUnreadable, "readout not begun"});
  if (lines.empty()) return {};
  if (pendingEnds_.empty()) oldestPending_ = std::chrono::steady_clock::now();
  for (const std::string& line : lines) {
    pendingText_.append(StripLineEnd(line));
    pendingEnds_.push_back(pendingText_.size());
  }
  if (pendingEnds_.size() >= options_.batchLines ||
      std::chrono::steady_clock::now() - oldestPending_ >= options_.batchAge)
    return Flush();
  return {};
}

Status ReadoutWriter::Flush() {
  if (pendingEnds_.empty()) return {};
  if (Status s = archive_.Exec("BEGIN IMMEDIATE"); !s.ok()) return Fail(s);
  int64_t added = 0;
  Statement& ins = *insert_;
  // Every parameter is bound for each line; the lines stay in pendingText_
  // until the commit, so SQLite need not copy them.
  ins.Bind(1, loggerRow_);
  ins.Bind(2, readoutRow_);
  size_t begin = 0;
  for (const size_t end : pendingEnds_) {
    const std::string_view line(pendingText_.data() + begin, end - begin);
    begin = end;
    ins.BindUnchanged(3, line);
    if (const std::optional<RecordValues> v = ParseRecordLine(line)) {
      ins.Bind(4, int64_t{1});
      ins.Bind(5, int64_t{v->id});
      ins.Bind(6, v->time);
      ins.Bind(7, v->batteryV);
      ins.Bind(8, v->levelM);
    } else {
      ins.Bind(4, int64_t{0});
      for (int i = 5; i <= 8; ++i) ins.BindNull(i);
    }
    const int rc = ins.Step();
    ins.ResetKeepingBindings();
    if (rc != SQLITE_DONE) {
      const Status s = archive_.FailureOf(rc);
      ins.Reset();
      archive_.Exec("ROLLBACK");
      return Fail(s);
    }
    added += sqlite3_changes(archive_.Handle());
  }
  ins.Reset();
  Statement& up = *countBatch_;
  up.Bind(1, readoutRow_);
  up.Bind(2, static_cast<int64_t>(pendingEnds_.size()));
  up.Bind(3, added);
  const int upRc = up.Step();
  up.Reset();
  if (upRc != SQLITE_DONE) {
    const Status s = archive_.FailureOf(upRc);
    archive_.Exec("ROLLBACK");
    return Fail(s);
  }
  if (Status s = archive_.Exec("COMMIT"); !s.ok()) {
    archive_.Exec("ROLLBACK");
    return Fail(s);
  }
  committed_ += static_cast<int64_t>(pendingEnds_.size());
  added_ += added;
  pendingText_.clear();
  pendingEnds_.clear();
  return {};
}

Status ReadoutWriter::EndReadout(int64_t delivered, bool complete, int64_t pcTime) {
  if (!failure_.ok()) return failure_;
  if (!begun_) return Fail(Status{Failure::kUnreadable, "readout not begun"});
  if (Status s = Flush(); !s.ok()) return s;
  Statement up(archive_.Handle(), "UPDATE readouts SET finished = ?2, delivered = ?3, complete = ?4 WHERE id = ?1");
  up.Bind(1, readoutRow_);
  up.Bind(2, pcTime);
  up.Bind(3, delivered);
  up.Bind(4, int64_t{complete});
  if (const int rc = up.Step(); rc != SQLITE_DONE) return Fail(archive_.FailureOf(rc));
  insert_.reset();
  countBatch_.reset();
  begun_ = false;
  return {};
}

}  // namespace archive
