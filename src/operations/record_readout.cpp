#include "operations/record_readout.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/string_table.h"
#include "common/timing.h"
#include "link/read_data.h"
#include "operations/operation_strings.h"
#include "operations/readout_range.h"
#include "operations/record_lines.h"
#include "protocol/com_ctrl_base.h"
#include "protocol/record_line.h"
#include "session/device_session.h"

namespace ops {

namespace {

constexpr int kStartTries = 3;
constexpr int64_t kSilenceLimitMs = 30000;
// After ESC the logger ends its listing at once; one that stays quiet this
// long is given up on, so an abort never waits out the silence limit.
constexpr int64_t kQuietAfterEscMs = 1000;
// One wait for a line: short, so that an abort request is noticed soon.
constexpr uint32_t kLineWaitMs = 250;
constexpr int kAbortResendPass = 10;
constexpr int kAbortPassLimit = 100;
// Lines are handed to the sink in batches of this many, or once the oldest
// line of a batch is this old, and whenever a wait brought no line.
constexpr long kBatchLines = 256;
constexpr int64_t kBatchAgeMs = 1000;
// The clock is read on every wait that brought no line and once per this
// many lines, not per line.
constexpr long kClockEveryLines = 16;
// The longest line the protocol layer hands over (longer ones come in pieces).
constexpr int kLineBuffer = 4096;
// Lines that are no kept record beyond this many times the records asked
// for (at least 1000) are line noise, not a listing: room for a logger that
// repeats, garbles and interleaves module noise with every record.
constexpr long kOtherLinesAtLeast = 1000;
constexpr long kOtherLinesPerRecord = 4;

class Batch {
 public:
  explicit Batch(RecordSink& sink) : sink_(sink) { text_.reserve(kBatchLines * 64); }
  void Add(const char* line, size_t length) {
    text_.append(line, length);
    text_.append("\r\n", 2);
    ++lines_;
  }
  long Lines() const { return lines_; }
  void Flush() {
    if (lines_ > 0) sink_.Records(text_.data(), text_.size(), lines_);
    text_.clear();
    lines_ = 0;
  }

 private:
  RecordSink& sink_;
  std::string text_;
  long lines_ = 0;
};

// The records kept so far, by their place in the range asked for: a
// fingerprint of each kept line tells a repeat (the same bytes again) from
// another text under the same ID. A range of known count needs only that
// many places, so a one-record readout does not clear a table for them all.
class KeptRecords {
 public:
  explicit KeptRecords(long places) : fingerprints_(static_cast<size_t>(places), 0) {}
  enum class Seen { kNew, kRepeat, kOther };
  Seen Check(long place, std::string_view line) const {
    const uint64_t held = fingerprints_[static_cast<size_t>(place)];
    if (held == 0) return Seen::kNew;
    return held == Fingerprint(line) ? Seen::kRepeat : Seen::kOther;
  }
  void Keep(long place, std::string_view line) { fingerprints_[static_cast<size_t>(place)] = Fingerprint(line); }

 private:
  // FNV-1a, never 0 (0 marks a place not kept).
  static uint64_t Fingerprint(std::string_view line) {
    uint64_t h = 1469598103934665603ULL;
    for (const char c : line) h = (h ^ static_cast<unsigned char>(c)) * 1099511628211ULL;
    return h == 0 ? 1 : h;
  }
  std::vector<uint64_t> fingerprints_;
};

// The record's place in the range asked for, counted from its first ID (the
// ID itself for the whole memory); nothing when it lies outside the range.
std::optional<long> PlaceInRange(const ReadoutRequest& request, int id) {
  if (id < 0 || id >= kRecordIdSpan) return std::nullopt;
  if (request.firstId < 0 || request.count <= 0) return id;
  const long forward = ((static_cast<long>(id) - request.firstId) % kRecordIdSpan + kRecordIdSpan) % kRecordIdSpan;
  if (forward >= request.count) return std::nullopt;
  return forward;
}

}  // namespace

long MaxRecordsOfRequest(const ReadoutRequest& request) {
  return request.count > 0 && request.count < kRecordIdSpan ? request.count : kRecordIdSpan;
}

std::string ReadoutMessage(const ReadoutResult& r) {
  std::string message;
  if (r.outcome == Outcome::kAborted) {
    message = strings::Text(strings::id::kAborted);
  } else if (r.outcome == Outcome::kIncomplete) {
    if (r.refused)
      message = FormatText(strings::id::kReadoutRefused, r.received, r.expected);
    else if (r.endLineSeen)
      message = FormatText(strings::id::kReadoutEndedEarly, r.received, r.expected);
    else if (r.expected > 0)
      message = FormatText(strings::id::kReadoutIncomplete, r.received, r.expected);
    else
      message = FormatCount(strings::id::kReadoutBrokeOffUnknownCountOne, strings::id::kReadoutBrokeOffUnknownCount,
                            r.received);
  }
  if (r.flooded) message = JoinMessages(message, strings::Text(strings::id::kReadoutFlooded));
  if (r.overrun) message = JoinMessages(message, strings::Text(strings::id::kReadoutOverrun));
  if (r.duplicates > 0)
    message =
        JoinMessages(message, FormatCount(strings::id::kReadoutRepeatsOne, strings::id::kReadoutRepeats, r.duplicates));
  if (r.unparsed > 0)
    message =
        JoinMessages(message, FormatCount(strings::id::kReadoutUnparsedOne, strings::id::kReadoutUnparsed, r.unparsed));
  if (r.outOfRange > 0)
    message = JoinMessages(
        message, FormatCount(strings::id::kReadoutOutOfRangeOne, strings::id::kReadoutOutOfRange, r.outOfRange));
  if (r.otherLines > 0)
    message = JoinMessages(
        message, FormatCount(strings::id::kReadoutDamagedLinesOne, strings::id::kReadoutDamagedLines, r.otherLines));
  return message;
}

ReadoutResult ReadRecords(CDeviceSession& session, const ReadoutRequest& request, RecordSink& sink,
                          const Context& context) {
  ReadoutResult result;
  const long limit = MaxRecordsOfRequest(request);
  const long otherLimit = kOtherLinesPerRecord * (limit > kOtherLinesAtLeast ? limit : kOtherLinesAtLeast);
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
  KeptRecords kept(request.firstId >= 0 && request.count > 0 ? limit : kRecordIdSpan);
  char line[kLineBuffer];
  auto lastLine = timing::Clock::now();
  auto batchStart = lastLine;
  auto escAt = lastLine;
  long linesSinceClock = 0;
  int passesAfterEsc = 0;
  bool escSent = false;
  auto sendEsc = [&] {
    CComCtrlBase::SendAbort(session.PortPtr());
    escSent = true;
    escAt = timing::Clock::now();
    result.steps.push_back("ESC");
  };
  auto flush = [&] {
    batch.Flush();
    context.Position(result.received);
  };
  auto extras = [&] { return result.duplicates + result.unparsed + result.outOfRange + result.otherLines; };

  enum class Taken { kGoOn, kEnd, kFlooded };
  // One line of the listing: kept, delivered or counted as it is.
  auto take = [&](int n) {
    const std::string_view text(line, static_cast<size_t>(n));
    const ListingLine kind = ClassifyListingLine(line, text.size());
    if (kind == ListingLine::kEnd || kind == ListingLine::kRefusal) {
      result.endLineSeen = true;
      result.refused = kind == ListingLine::kRefusal;
      return Taken::kEnd;
    }
    const auto record = kind == ListingLine::kRecord ? records::ParseRecordLine(text) : std::nullopt;
    if (kind == ListingLine::kRecord && result.received >= limit && !result.overrun) {
      // Every record asked for is here and the logger goes on: past the count.
      result.overrun = true;
      sendEsc();
    }
    if (kind == ListingLine::kOther) {
      ++result.otherLines;
    } else if (!record) {
      ++result.unparsed;
      batch.Add(line, text.size());
    } else if (const std::optional<long> place = PlaceInRange(request, record->id); !place) {
      ++result.outOfRange;
    } else {
      switch (kept.Check(*place, text)) {
        case KeptRecords::Seen::kNew:
          kept.Keep(*place, text);
          batch.Add(line, text.size());
          if (result.received == 0) result.firstId = record->id;
          result.lastId = record->id;
          ++result.received;
          break;
        case KeptRecords::Seen::kRepeat: ++result.duplicates; break;
        case KeptRecords::Seen::kOther:
          ++result.unparsed;
          batch.Add(line, text.size());
          break;
      }
    }
    if (extras() > otherLimit) {
      result.flooded = true;  // ESC below, with the end
      return Taken::kFlooded;
    }
    return Taken::kGoOn;
  };

  for (;;) {
    if (!result.aborted && context.AbortRequested()) {
      result.aborted = true;
      flush();
      sendEsc();
    }
    if (result.aborted || result.overrun) {
      ++passesAfterEsc;
      if (passesAfterEsc == kAbortResendPass) sendEsc();
      if (passesAfterEsc > kAbortPassLimit) break;
    }
    // A lost line still gives the records it brought.
    if (!session.Port().LinesMayCome()) break;
    const int n = session.Protocol().ReadRawRecordLine(session.PortPtr(), line, sizeof line, kLineWaitMs);
    if (n > 0) {
      if (take(n) != Taken::kGoOn) break;
      if (batch.Lines() >= kBatchLines) {
        flush();
        batchStart = timing::Clock::now();
      }
      if (++linesSinceClock < kClockEveryLines) continue;
    }
    const auto now = timing::Clock::now();
    if (n <= 0 || now - batchStart > timing::Scaled(kBatchAgeMs)) {
      // The line paused, or the batch has waited long enough: hand it on.
      if (batch.Lines() > 0) flush();
      batchStart = now;
    }
    if (linesSinceClock > 0) {
      lastLine = now;
      linesSinceClock = 0;
    } else if (now - lastLine > timing::Scaled(kSilenceLimitMs)) {
      break;
    } else if (escSent && (result.aborted || result.overrun) && now - lastLine > timing::Scaled(kQuietAfterEscMs) &&
               now - escAt > timing::Scaled(kQuietAfterEscMs)) {
      break;
    }
  }

  // Given up on before its end line: what already reached the program is
  // taken all the same, though no more is waited for.
  if (!result.endLineSeen && !result.flooded) {
    if (CReadData* stored = session.Port().LineBuffer()) {
      for (int32_t left = stored->LineCount(); left > 0; --left) {
        const int n = session.Protocol().ReadRawRecordLine(session.PortPtr(), line, sizeof line, 0);
        if (n > 0 && take(n) != Taken::kGoOn) break;
      }
    }
  }
  flush();
  // A listing left without its end line may still be running in the logger.
  if (!result.endLineSeen && !escSent) sendEsc();

  if (result.endLineSeen && result.aborted) {
    result.outcome = Outcome::kAborted;
  } else if (result.endLineSeen && !result.refused && !result.flooded &&
             (result.expected == 0 || result.received >= result.expected)) {
    result.outcome = Outcome::kSucceeded;
  } else {
    result.outcome = Outcome::kIncomplete;
  }
  result.message = ReadoutMessage(result);
  if (!result.endLineSeen && session.LineLost())
    result.message = JoinMessages(result.message, session.LineLostMessage());
  return result;
}

}  // namespace ops
