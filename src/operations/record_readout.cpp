#include "operations/record_readout.h"

#include <string>

#include "common/string_table.h"
#include "common/timing.h"
#include "operations/operation_strings.h"
#include "operations/readout_range.h"
#include "operations/record_lines.h"
#include "protocol/com_ctrl_base.h"
#include "session/device_session.h"

namespace ops {

namespace {

constexpr int kStartTries = 3;
constexpr int64_t kSilenceLimitMs = 30000;
constexpr int kAbortResendPass = 10;
constexpr int kAbortPassLimit = 100;
// Records are handed to the sink in batches of this many lines (and at the end).
constexpr long kBatchLines = 256;
// The clock is read on every wait that brought no line and once per this
// many lines, not per record.
constexpr long kClockEveryLines = 64;
// The longest line the protocol layer hands over (longer ones come in pieces).
constexpr int kLineBuffer = 4096;
// A listing that brings more lines that are not records than this (or than
// the records asked for, if more) is line noise, not a listing: the readout
// stops it instead of reading for as long as the noise lasts.
constexpr long kOtherLinesAtLeast = 1000;

class Batch {
 public:
  explicit Batch(RecordSink& sink) : sink_(sink) { text_.reserve(kBatchLines * 64); }
  void Add(const char* line, size_t length) {
    text_.append(line, length);
    text_.append("\r\n", 2);
    ++lines_;
  }
  long Lines() const { return lines_; }
  // Hands the batch to the sink; returns the number of records handed.
  long Flush() {
    const long n = lines_;
    if (n > 0) sink_.Records(text_.data(), text_.size(), n);
    text_.clear();
    lines_ = 0;
    return n;
  }

 private:
  RecordSink& sink_;
  std::string text_;
  long lines_ = 0;
};

}  // namespace

long MaxRecordsOfRequest(const ReadoutRequest& request) {
  return request.count > 0 && request.count < kRecordIdSpan ? request.count : kRecordIdSpan;
}

ReadoutResult ReadRecords(CDeviceSession& session, const ReadoutRequest& request, RecordSink& sink,
                          const Context& context) {
  ReadoutResult result;
  const long limit = MaxRecordsOfRequest(request);
  const long otherLimit = limit > kOtherLinesAtLeast ? limit : kOtherLinesAtLeast;
  result.expected = request.count > 0 ? request.count : 0;
  result.steps.push_back("RD ALL");

  int start = rc::kNoReply;
  for (int i = 0; i < kStartTries && session.IsOpen() && start != rc::kOk; ++i)
    start = session.Protocol().ReadAllStart(session.PortPtr(), request.firstId, request.count);
  context.Total(result.expected);
  if (start != rc::kOk) {
    const int code = session.LineLost() ? session_rc::kLineLost
                     : session.IsOpen() ? session_rc::kFailed
                                        : session_rc::kNotConnected;
    result.message = session.MessageOf(code);
    return result;
  }

  Batch batch(sink);
  char line[kLineBuffer];
  auto lastLine = timing::Clock::now();
  long linesSinceClock = 0;
  long received = 0;  // records taken, including those still in the batch
  int abortPasses = 0;
  bool escSent = false;
  auto sendEsc = [&] {
    CComCtrlBase::SendAbort(session.PortPtr());
    escSent = true;
    result.steps.push_back("ESC");
  };

  for (;;) {
    if (!result.aborted && context.AbortRequested()) {
      result.aborted = true;
      sendEsc();
    }
    if (result.aborted || result.overrun) {
      ++abortPasses;
      if (abortPasses == kAbortResendPass) sendEsc();
      if (abortPasses > kAbortPassLimit) {
        break;
      }
    }
    // A lost line still gives the records it brought.
    if (!session.Port().LinesMayCome()) {
      break;
    }
    const int n = session.Protocol().ReadRawRecordLine(session.PortPtr(), line, sizeof line);
    if (n > 0) {
      const ListingLine kind = ClassifyListingLine(line, static_cast<size_t>(n));
      if (kind == ListingLine::kEnd) {
        result.endLineSeen = true;
        break;
      }
      if (kind == ListingLine::kOther) {
        if (++result.otherLines > otherLimit) {
          sendEsc();
          break;
        }
      } else if (received >= limit) {
        // Past the count asked for: nothing more is taken, and the logger is told to stop.
        if (!result.overrun) {
          result.overrun = true;
          sendEsc();
        }
      } else {
        batch.Add(line, static_cast<size_t>(n));
        ++received;
        if (batch.Lines() >= kBatchLines) {
          result.received += batch.Flush();
          context.Position(result.received);
        }
      }
      if (++linesSinceClock < kClockEveryLines) continue;
    }
    const auto now = timing::Clock::now();
    if (linesSinceClock > 0) {
      lastLine = now;
      linesSinceClock = 0;
    } else if (now - lastLine > timing::Scaled(kSilenceLimitMs)) {
      break;
    }
  }

  result.received += batch.Flush();
  context.Position(result.received);
  // A listing left without its end line may still be running in the logger.
  if (!result.endLineSeen && !escSent) sendEsc();

  std::string message;
  if (result.endLineSeen && !result.aborted) {
    result.outcome = Outcome::kSucceeded;
  } else if (result.endLineSeen && result.aborted) {
    result.outcome = Outcome::kAborted;
    message = strings::Text(strings::id::kAborted);
  } else {
    result.outcome = Outcome::kIncomplete;
    const long expected = result.expected > 0 ? result.expected : result.received;
    message = FormatText(strings::id::kReadoutIncomplete, result.received, expected);
  }
  if (result.overrun) message = JoinMessages(message, strings::Text(strings::id::kReadoutOverrun));
  if (result.otherLines > 0)
    message = JoinMessages(message, FormatText(strings::id::kReadoutDamagedLines, result.otherLines));
  if (!result.endLineSeen && session.LineLost()) message = JoinMessages(message, session.LineLostMessage());
  result.message = message;
  return result;
}

}  // namespace ops
