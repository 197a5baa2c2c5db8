#pragma once
// Archives one readout as its records arrive: the readout row at the start,
// the record lines in batches, each batch one transaction, and the outcome at
// the end. A crash or a cut line keeps every batch committed before it.
// After the archive fails (locked, full, damaged) the writer keeps the first
// failure, stops writing and lets the readout go on without it.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
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

// The inserts run on a thread of the writer's own, started by BeginReadout
// and joined by EndReadout (or the destructor), so that a readout does not
// wait for the archive. The archive's connection is used by that thread only
// between the two; nothing else may use it meanwhile.
class ReadoutWriter {
 public:
  explicit ReadoutWriter(Archive& archive, WriterOptions options = {});
  // Commits what was handed over and joins the writer's thread.
  ~ReadoutWriter();
  ReadoutWriter(const ReadoutWriter&) = delete;
  ReadoutWriter& operator=(const ReadoutWriter&) = delete;

  Status BeginReadout(const LoggerIdentity& logger, const ReadRange& asked, int64_t pcTime);
  // Whole record lines as received (a trailing CR LF is dropped). Hands them
  // over and returns at once; a failure shows in a later call.
  Status AddRecordLines(const std::vector<std::string>& lines);
  // The same for `lines` whole lines as one block of text, each ending in LF.
  Status AddRecordText(const char* text, size_t bytes, long lines);
  // Waits until every line handed over is committed (or the archive failed).
  Status WaitCommitted();
  // Commits what is pending and records the outcome of the readout.
  Status EndReadout(int64_t delivered, bool complete, int64_t pcTime);

  // Lines handed over / records new to the archive, committed so far.
  int64_t Committed() const { return committed_.load(); }
  int64_t Added() const { return added_.load(); }
  Status FirstFailure() const;

 private:
  void Run();
  void StopThread();
  Status Flush(const std::vector<std::string>& blocks);
  Status Fail(Status s);

  Archive& archive_;
  WriterOptions options_;
  int64_t loggerRow_ = 0;
  int64_t readoutRow_ = 0;
  bool begun_ = false;
  bool settingsChanged_ = false;  // the archive runs with the writer's settings
  std::unique_ptr<Statement> insert_;
  std::atomic<int64_t> committed_{0};
  std::atomic<int64_t> added_{0};

  // Shared with the writer's thread, under lock_.
  mutable std::mutex lock_;
  std::condition_variable wake_;  // lines, a wait or the end for the thread
  std::condition_variable idle_;  // the thread took and committed everything
  // Lines handed over, each ending in LF, as the blocks they came in: a
  // backlog of a fast readout is freed block by block as it is committed,
  // never copied into one growing text.
  struct Block {
    std::string text;
    int64_t lines = 0;
  };
  std::deque<Block> incoming_;
  int64_t incomingLines_ = 0;
  bool busy_ = false;      // the thread commits a block
  bool flushNow_ = false;  // someone waits for the lines handed over
  bool stopping_ = false;
  Status failure_;
  std::thread thread_;
};

}  // namespace archive
