#include "archive/readout_writer.h"

#include <sqlite3.h>

#include "archive/raw_text.h"
#include "archive/record_line.h"
#include "archive/statement.h"

namespace archive {

ReadoutWriter::ReadoutWriter(Archive& archive, WriterOptions options) : archive_(archive), options_(options) {}

ReadoutWriter::~ReadoutWriter() {
  StopThread();
  if (settingsChanged_) archive_.UseWriterSettings(false);
}

Status ReadoutWriter::Fail(Status s) {
  std::lock_guard<std::mutex> l(lock_);
  if (failure_.ok()) failure_ = s;
  incoming_.clear();
  incomingLines_ = 0;
  return failure_;
}

Status ReadoutWriter::FirstFailure() const {
  std::lock_guard<std::mutex> l(lock_);
  return failure_;
}

Status ReadoutWriter::BeginReadout(const LoggerIdentity& logger, const ReadRange& asked, int64_t pcTime) {
  if (!archive_.IsOpen()) return Fail(Status{Failure::kUnreadable, "archive not open"});
  archive_.UseWriterSettings(true);
  settingsChanged_ = true;
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
  begun_ = true;
  thread_ = std::thread([this] { Run(); });
  return {};
}

Status ReadoutWriter::AddRecordLines(const std::vector<std::string>& lines) {
  std::string block;
  for (const std::string& line : lines) {
    block += line;
    if (line.empty() || line.back() != '\n') block += '\n';
  }
  return AddRecordText(block.data(), block.size(), static_cast<long>(lines.size()));
}

Status ReadoutWriter::AddRecordText(const char* text, size_t bytes, long lines) {
  if (!begun_) return Fail(Status{Failure::kUnreadable, "readout not begun"});
  std::lock_guard<std::mutex> l(lock_);
  if (!failure_.ok()) return failure_;
  if (bytes == 0) return {};
  Block block;
  block.text.reserve(bytes + 1);
  block.text.append(text, bytes);
  if (text[bytes - 1] != '\n') block.text += '\n';
  block.lines = lines;
  incoming_.push_back(std::move(block));
  incomingLines_ += lines;
  if (incomingLines_ >= static_cast<int64_t>(options_.batchLines)) wake_.notify_one();
  return {};
}

Status ReadoutWriter::WaitCommitted() {
  std::unique_lock<std::mutex> l(lock_);
  if (!thread_.joinable()) return failure_;
  flushNow_ = true;
  wake_.notify_one();
  idle_.wait(l, [this] { return (incoming_.empty() && !busy_) || !failure_.ok(); });
  return failure_;
}

void ReadoutWriter::Run() {
  std::unique_lock<std::mutex> l(lock_);
  for (;;) {
    // A whole batch, a waiter or the end; otherwise what arrived within the
    // batch age.
    wake_.wait_for(l, options_.batchAge, [this] {
      return stopping_ || flushNow_ || incomingLines_ >= static_cast<int64_t>(options_.batchLines);
    });
    if (incoming_.empty()) {
      flushNow_ = false;
      idle_.notify_all();
      if (stopping_) return;
      continue;
    }
    // One transaction takes blocks up to a batch's worth of lines.
    std::vector<std::string> blocks;
    int64_t taken = 0;
    while (!incoming_.empty() &&
           (blocks.empty() || taken + incoming_.front().lines <= static_cast<int64_t>(options_.batchLines))) {
      taken += incoming_.front().lines;
      blocks.push_back(std::move(incoming_.front().text));
      incoming_.pop_front();
    }
    incomingLines_ -= taken;
    busy_ = true;
    l.unlock();
    Flush(blocks);
    blocks.clear();
    l.lock();
    busy_ = false;
    if (incoming_.empty()) {
      flushNow_ = false;
      idle_.notify_all();
    }
  }
}

void ReadoutWriter::StopThread() {
  {
    std::lock_guard<std::mutex> l(lock_);
    if (!thread_.joinable()) return;
    stopping_ = true;
  }
  wake_.notify_one();
  thread_.join();
  stopping_ = false;
}

Status ReadoutWriter::Flush(const std::vector<std::string>& blocks) {
  if (Status f = FirstFailure(); !f.ok()) return f;
  if (Status s = archive_.Exec("BEGIN IMMEDIATE"); !s.ok()) return Fail(s);
  int64_t handed = 0;
  int64_t added = 0;
  Statement& ins = *insert_;
  for (const std::string& block : blocks) {
    for (std::string_view rest(block); !rest.empty();) {
      const size_t end = rest.find('\n');
      const size_t n = end == std::string_view::npos ? rest.size() : end + 1;
      const std::string_view line = StripLineEnd(rest.substr(0, n));
      rest.remove_prefix(n);
      ++handed;
      ins.Reset();
      ins.Bind(1, loggerRow_);
      ins.Bind(2, readoutRow_);
      ins.BindRawUnchanged(3, line, IsValidUtf8(line));  // the block outlives the step
      if (const std::optional<RecordValues> v = ParseRecordLine(line)) {
        ins.Bind(4, int64_t{1});
        ins.Bind(5, int64_t{v->id});
        ins.Bind(6, v->time);
        ins.Bind(7, v->batteryV);
        ins.Bind(8, v->levelM);
      } else {
        ins.Bind(4, int64_t{0});
      }
      const int rc = ins.Step();
      if (rc != SQLITE_DONE) {
        const Status s = archive_.FailureOf(rc);
        ins.Reset();
        archive_.Exec("ROLLBACK");
        return Fail(s);
      }
      added += sqlite3_changes(archive_.Handle());
    }
  }
  ins.Reset();
  Statement up(archive_.Handle(), "UPDATE readouts SET delivered = delivered + ?2, added = added + ?3 WHERE id = ?1");
  up.Bind(1, readoutRow_);
  up.Bind(2, handed);
  up.Bind(3, added);
  if (const int rc = up.Step(); rc != SQLITE_DONE) {
    const Status s = archive_.FailureOf(rc);
    archive_.Exec("ROLLBACK");
    return Fail(s);
  }
  if (Status s = archive_.Exec("COMMIT"); !s.ok()) {
    archive_.Exec("ROLLBACK");
    return Fail(s);
  }
  committed_ += handed;
  added_ += added;
  return {};
}

Status ReadoutWriter::EndReadout(int64_t delivered, bool complete, int64_t pcTime) {
  if (!begun_) return Fail(Status{Failure::kUnreadable, "readout not begun"});
  // What is pending is committed by the thread before it ends.
  StopThread();
  if (Status f = FirstFailure(); !f.ok()) return f;
  Statement up(archive_.Handle(), "UPDATE readouts SET finished = ?2, delivered = ?3, complete = ?4 WHERE id = ?1");
  up.Bind(1, readoutRow_);
  up.Bind(2, pcTime);
  up.Bind(3, delivered);
  up.Bind(4, int64_t{complete});
  const int rc = up.Step();
  up.Reset();
  insert_.reset();
  begun_ = false;
  archive_.UseWriterSettings(false);
  settingsChanged_ = false;
  if (rc != SQLITE_DONE) return Fail(archive_.FailureOf(rc));
  return {};
}

}  // namespace archive
