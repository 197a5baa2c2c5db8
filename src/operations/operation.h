#pragma once
// What every device operation shares: how it reports progress and learns of
// an abort request (small interfaces the caller passes in), and the result
// value it returns. An operation never shows anything itself; the front end
// shows the result's message.
#include <cstdint>
#include <string>
#include <vector>

namespace ops {

// Progress of a long operation, in units the operation names (records).
class ProgressSink {
 public:
  virtual ~ProgressSink() = default;
  virtual void Total(long total) = 0;
  virtual void Position(long done) = 0;
};

// Polled by an operation between its waits.
class AbortSource {
 public:
  virtual ~AbortSource() = default;
  virtual bool AbortRequested() = 0;
};

struct Context {
  ProgressSink* progress = nullptr;
  AbortSource* abort = nullptr;

  void Total(long total) const {
    if (progress) progress->Total(total);
  }
  void Position(long done) const {
    if (progress) progress->Position(done);
  }
  bool AbortRequested() const { return abort != nullptr && abort->AbortRequested(); }
};

enum class Outcome {
  kSucceeded,
  kFailed,      // refused, no answer, or not connected
  kAborted,     // the user asked to stop
  kIncomplete,  // a readout that broke off; what arrived is in the result
  kNotRead,     // a listing the operation relies on was not read in this connection
  kNoValue,     // the logger answered, but with nothing readable
};

struct Result {
  Outcome outcome = Outcome::kFailed;
  // The text for the user (UTF-8, lines ended by CR LF as in the string
  // table); on success it may be empty.
  std::string message;
  // The commands or steps that ran, in order, e.g. "ST STP", "ST BAT".
  std::vector<std::string> steps;

  bool Succeeded() const { return outcome == Outcome::kSucceeded; }
};

// Joins two messages with a line break, skipping an empty one.
std::string JoinMessages(const std::string& first, const std::string& second);

// The string table's text `id` with its one or two numbers filled in.
std::string FormatText(uint32_t id, long a, long b = 0);
// A count with its noun: `oneId` for exactly one, `manyId` otherwise (the
// languages that need no singular give both ids the same text).
std::string FormatCount(uint32_t oneId, uint32_t manyId, long n);

}  // namespace ops
