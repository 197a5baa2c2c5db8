#pragma once
// Archives one readout as its records arrive: the readout row at the start,
// the record lines in batches, each batch one transaction, and the outcome at
// the end. A crash or a cut line keeps every batch committed before it.
// After the archive fails (locked, full, damaged) the writer keeps the first
// failure, stops writing and lets the readout go on without it.
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "archive/archive.h"

namespace archive {

class Statement;

// The part of the logger's memory that was asked for ("RD ALL first count").
struct ReadRange {
  int firstId = 0;
  int64_t count = 0;  // 0: to the last record
};

struct WriterOptions {
  size_t batchLines = 2000;                  // commit after this many lines ...
  std::chrono::milliseconds batchAge{1000};  // ... or when the oldest waits this long
};

class ReadoutWriter {
 public:
  explicit ReadoutWriter(Archive& archive, WriterOptions options = {});
  ~ReadoutWriter();
  ReadoutWriter(const ReadoutWriter&) = delete;
  ReadoutWriter& operator=(const ReadoutWriter&) = delete;

  Status BeginReadout(const LoggerIdentity& logger, const ReadRange& asked, int64_t pcTime);
  // Whole record lines as received (a trailing CR LF is dropped).
  Status AddRecordLines(const std::vector<std::string>& lines);
  // Commits what is pending and records the outcome of the readout.
  Status EndReadout(int64_t delivered, bool complete, int64_t pcTime);

  // Lines handed over / records new to the archive, committed so far.
  int64_t Committed() const { return committed_; }
  int64_t Added() const { return added_; }
  const Status& FirstFailure() const { return failure_; }

 private:
  Status Flush();
  Status Fail(Status s);

  Archive& archive_;
  WriterOptions options_;
  int64_t loggerRow_ = 0;
  int64_t readoutRow_ = 0;
  bool begun_ = false;
  // The lines waiting for the next commit, end to end in one buffer that
  // keeps its capacity from batch to batch; pendingEnds_ holds where each ends.
  std::string pendingText_;
  std::vector<size_t> pendingEnds_;
  std::chrono::steady_clock::time_point oldestPending_;
  std::unique_ptr<Statement> insert_;
  std::unique_ptr<Statement> countBatch_;
  int64_t committed_ = 0;
  int64_t added_ = 0;
  Status failure_;
};

}  // namespace archive
