#include "operations/archived_readout.h"

#include <cstdio>
#include <limits>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "archive/connect_info.h"
#include "archive/new_records.h"
#include "archive/readout_writer.h"
#include "archive/record_line.h"
#include "common/string_table.h"
#include "common/timing.h"
#include "operations/listings.h"
#include "operations/operation_strings.h"
#include "operations/unread_check.h"
#include "session/device_session.h"

namespace ops {
namespace {

std::optional<archive::RecordKey> KeyOf(std::string_view line) {
  if (const auto v = archive::ParseRecordLine(line)) return archive::RecordKey{v->id, v->time};
  return std::nullopt;
}

// Hands every batch to the archive and the front end's sink. With a record to
// check, the first line is held back: when it is the archived record it is
// not new and is left out; when it is not, nothing of this readout reaches the
// front end (the whole memory is read next).
class ArchivingSink : public RecordSink {
 public:
  ArchivingSink(RecordSink& front, archive::ReadoutWriter* writer, ArchiveAccess& access, std::string* archiveMessage)
      : front_(front), writer_(writer), access_(access), archiveMessage_(archiveMessage) {}

  void CheckFirst(const archive::RecordKey& archived) { check_ = archived; }
  bool Matched() const { return matched_; }
  bool Mismatched() const { return checked_ && !matched_; }
  long Forwarded() const { return forwarded_; }
  const std::optional<archive::RecordKey>& FirstForwarded() const { return firstForwarded_; }

  void Records(const char* text, size_t bytes, long lines) override {
    Archive(text, bytes, lines);
    if (!check_) return Forward(text, bytes, lines);
    if (checked_) {
      if (matched_) Forward(text, bytes, lines);
      return;
    }
    checked_ = true;
    const std::string_view all(text, bytes);
    const size_t end = all.find('\n');
    const size_t firstBytes = end == std::string_view::npos ? bytes : end + 1;
    matched_ = archive::CheckFirstRecord(*check_, KeyOf(all.substr(0, firstBytes)));
    if (matched_) Forward(text + firstBytes, bytes - firstBytes, lines - 1);
  }

 private:
  void Archive(const char* text, size_t bytes, long lines) {
    if (writer_ == nullptr) return;
    if (const archive::Status s = writer_->AddRecordText(text, bytes, lines); !s.ok()) {
      access_.Report(s, archiveMessage_);
      writer_ = nullptr;
    }
  }

  void Forward(const char* text, size_t bytes, long lines) {
    if (lines <= 0) return;
    if (!firstForwarded_) {
      const std::string_view all(text, bytes);
      firstForwarded_ = KeyOf(all.substr(0, all.find('\n')));
    }
    front_.Records(text, bytes, lines);
    forwarded_ += lines;
  }

  RecordSink& front_;
  archive::ReadoutWriter* writer_;
  ArchiveAccess& access_;
  std::string* archiveMessage_;
  std::optional<archive::RecordKey> check_;
  bool checked_ = false;
  bool matched_ = false;
  long forwarded_ = 0;
  std::optional<archive::RecordKey> firstForwarded_;
};

// Ends the check readout as soon as its first record shows that the memory
// moved on: the rest of it is read again with the whole memory.
class CheckAbort : public AbortSource {
 public:
  CheckAbort(const ArchivingSink& sink, const Context& outer) : sink_(sink), outer_(outer) {}
  bool AbortRequested() override {
    userAbort_ = userAbort_ || outer_.AbortRequested();
    return userAbort_ || sink_.Mismatched();
  }
  bool UserAbort() const { return userAbort_; }

 private:
  const ArchivingSink& sink_;
  const Context& outer_;
  bool userAbort_ = false;
};

// One readout row of the archive, begun when the archive can take it.
class ArchivedVisit {
 public:
  ArchivedVisit(CDeviceSession& session, ArchiveAccess& access, const archive::ReadRange& asked) : access_(access) {
    archive::Archive* a = access.Get(&message_);
    if (a == nullptr) return;
    identity_ = archive::IdentityFromRecord(session.Current(), session.DeviceName(), session.Version());
    writer_ = std::make_unique<archive::ReadoutWriter>(*a);
    if (const archive::Status s = writer_->BeginReadout(identity_, asked, timing::NowSeconds()); !s.ok()) {
      access.Report(s, &message_);
      writer_.reset();
    }
  }
  archive::ReadoutWriter* Writer() { return writer_.get(); }
  std::string* Message() { return &message_; }
  ArchiveAccess& Access() { return access_; }

  // Records the outcome and puts what the archive took into the result;
  // returns the archive's message, if any.
  std::string End(long delivered, bool complete, ArchivedReadoutResult* result) {
    if (writer_ != nullptr) {
      const archive::Status s = writer_->EndReadout(delivered, complete, timing::NowSeconds());
      if (!s.ok()) access_.Report(s, &message_);
      result->archived = static_cast<long>(writer_->Added());
      result->archiveFailed = !s.ok() || !writer_->FirstFailure().ok();
    } else {
      result->archiveFailed = !access_.Path().empty();
    }
    return message_;
  }

 private:
  ArchiveAccess& access_;
  archive::LoggerIdentity identity_;
  std::unique_ptr<archive::ReadoutWriter> writer_;
  std::string message_;
};

ArchivedReadoutResult FromReadout(const ReadoutResult& readout) {
  ArchivedReadoutResult result;
  static_cast<ReadoutResult&>(result) = readout;
  return result;
}

bool Complete(const ReadoutResult& r) { return r.endLineSeen && !r.aborted && r.outcome != Outcome::kIncomplete; }

// Whether the archive may lack records held before the newest archived one:
// some ID from the first held up to it is in the archive under no time at
// all. Only then is the exact check (which reads two records back) worth
// its time.
bool MayLackOlder(ArchiveAccess& access, const CDeviceSession& session, const archive::MemoryIds& memory,
                  const archive::RecordKey& newest) {
  archive::Archive* a = access.Get(nullptr);
  if (a == nullptr) return false;
  const archive::MemoryIds upToNewest{memory.first, newest.id};
  std::vector<int> ids;
  if (!a->ArchivedHeldIds(session.Current().sys.serialNumber, upToNewest, std::numeric_limits<int64_t>::min(),
                          std::numeric_limits<int64_t>::max(), &ids)
           .ok())
    return false;
  return !archive::MissingIds(upToNewest, ids).empty();
}

std::string NewRecordsText(long added) {
  return added == 0 ? strings::Text(strings::id::kNoNewRecords)
                    : FormatCount(strings::id::kNewRecordCountOne, strings::id::kNewRecordCount, added);
}

}  // namespace

ArchivedReadoutResult ReadRecordsArchived(CDeviceSession& session, const ReadoutRequest& request, RecordSink& sink,
                                          ArchiveAccess& archive, const Context& context) {
  ArchivedVisit visit(session, archive, {request.firstId, request.count});
  ArchivingSink archiving(sink, visit.Writer(), archive, visit.Message());
  const ReadoutResult readout = ReadRecords(session, request, archiving, context);
  ArchivedReadoutResult result = FromReadout(readout);
  result.wholeMemory = request.firstId < 0;
  result.message = JoinMessages(result.message, visit.End(archiving.Forwarded(), Complete(readout), &result));
  return result;
}

ArchivedReadoutResult ReadNewRecords(CDeviceSession& session, RecordSink& sink, ArchiveAccess& archive,
                                     const Context& context) {
  if (const Result needed = RequireListings(session, listing_read::kSystem); !needed.Succeeded()) {
    ArchivedReadoutResult result;
    static_cast<Result&>(result) = needed;
    return result;
  }
  const archive::MemoryIds memory{session.Current().sys.firstId, session.Current().sys.lastId};
  std::string openMessage;
  std::optional<archive::RecordKey> newest;
  if (archive::Archive* a = archive.Get(&openMessage)) {
    if (const archive::Status s = a->NewestHeldRecord(session.Current().sys.serialNumber, memory, &newest); !s.ok())
      archive.Report(s, &openMessage);
  }
  const archive::ReadPlan plan = archive::PlanNewReadout(newest, memory);
  if (plan.nothingHeld) {
    ArchivedReadoutResult result;
    result.outcome = Outcome::kSucceeded;
    result.endLineSeen = true;
    result.archiveFailed = !archive.Path().empty() && archive.Get(nullptr) == nullptr;
    result.message = JoinMessages(openMessage, strings::Text(strings::id::kNoNewRecords));
    return result;
  }

  ArchivedVisit visit(session, archive, {plan.firstId, plan.count});
  const ReadoutRequest asked{plan.firstId, static_cast<int>(plan.count)};
  ArchivingSink first(sink, visit.Writer(), archive, visit.Message());
  if (plan.fromArchived) first.CheckFirst(*newest);
  CheckAbort checkAbort(first, context);
  Context checkContext = context;
  checkContext.abort = &checkAbort;
  ReadoutResult readout = ReadRecords(session, asked, first, checkContext);
  // The archived record read back first is no new record.
  long heldBack = first.Matched() ? 1 : 0;
  long forwarded = first.Forwarded();
  std::optional<archive::RecordKey> oldestShown = first.FirstForwarded();
  bool wholeMemory = plan.wholeMemory, movedOn = false;
  const bool checkFailed = first.Mismatched() || (plan.fromArchived && Complete(readout) && !first.Matched());
  if (plan.fromArchived && checkFailed && !checkAbort.UserAbort() && readout.endLineSeen) {
    // Cleared or overwritten since the last visit: the whole memory.
    movedOn = wholeMemory = true;
    heldBack = 0;
    ArchivingSink whole(sink, visit.Writer(), archive, visit.Message());
    readout = ReadRecords(session, {memory.first, static_cast<int>(archive::HeldCount(memory))}, whole, context);
    forwarded = whole.Forwarded();
    oldestShown = whole.FirstForwarded();
  } else if (first.Mismatched() && !checkAbort.UserAbort()) {
    // The check readout was ended by this operation, not by the user, and
    // never reached its end line: a readout that broke off.
    readout.aborted = false;
    readout.outcome = Outcome::kIncomplete;
    readout.message = ReadoutMessage(readout);
  }

  ArchivedReadoutResult result = FromReadout(readout);
  result.received = readout.received > heldBack ? readout.received - heldBack : 0;
  if (heldBack > 0) {
    // The first and last new record, not the archived one read back.
    result.firstId = result.received > 0 && oldestShown ? oldestShown->id : -1;
    if (result.received == 0) result.lastId = -1;
  }
  if (readout.expected > 0 && heldBack > 0) result.expected = readout.expected - heldBack;
  result.wholeMemory = wholeMemory;
  result.memoryMovedOn = movedOn;
  if (wholeMemory && newest && oldestShown) {
    if (const auto lost = archive::LostBetweenVisits(*newest, *oldestShown)) result.lost = static_cast<long>(*lost);
  }
  std::string message = JoinMessages(openMessage, visit.End(forwarded, Complete(readout), &result));
  if (movedOn) message = JoinMessages(message, strings::Text(strings::id::kMemoryClearedReadingAll));
  if (result.lost && *result.lost > 0)
    message = JoinMessages(message, FormatCount(strings::id::kRecordsLostBetweenVisitsOne,
                                                strings::id::kRecordsLostBetweenVisits, *result.lost));
  message = JoinMessages(message, readout.message);
  if (result.outcome == Outcome::kSucceeded) {
    // New is what the archive did not hold yet; without an archive, what was read.
    const long added = result.archived ? *result.archived : result.received;
    message = JoinMessages(message, NewRecordsText(added));
    // Reading on from the newest archived record leaves out older records
    // the archive may never have received (a readout of part of the memory).
    if (plan.fromArchived && !movedOn && result.archived && MayLackOlder(archive, session, memory, *newest)) {
      const UnreadCheck older = CheckUnreadRecords(session, archive, context);
      if (older.Succeeded() && older.UnreadCount() > 0) {
        result.olderMissing = static_cast<long>(older.UnreadCount());
        message = JoinMessages(message, UnreadText(strings::id::kOlderRecordsNotArchived, older));
      }
    }
  }
  result.message = message;
  return result;
}

ArchivedReadoutResult ReadMissingRecords(CDeviceSession& session, RecordSink& sink, ArchiveAccess& archive,
                                         const Context& context) {
  ArchivedReadoutResult total;
  const UnreadCheck check = CheckUnreadRecords(session, archive, context);
  if (!check.Succeeded()) {
    static_cast<Result&>(total) = check;
    total.archiveFailed = archive.Get(nullptr) == nullptr;
    return total;
  }
  total.outcome = Outcome::kSucceeded;
  total.endLineSeen = true;
  total.archived = 0;
  std::string message;
  for (const archive::IdRange& range : check.unread) {
    const int count = static_cast<int>(archive::IdCount({range}));
    const ArchivedReadoutResult r = ReadRecordsArchived(session, {range.first, count}, sink, archive, context);
    total.expected += r.expected;
    total.received += r.received;
    total.duplicates += r.duplicates;
    total.unparsed += r.unparsed;
    total.outOfRange += r.outOfRange;
    total.otherLines += r.otherLines;
    if (total.firstId < 0) total.firstId = r.firstId;
    if (r.lastId >= 0) total.lastId = r.lastId;
    total.overrun = total.overrun || r.overrun;
    total.flooded = total.flooded || r.flooded;
    total.archiveFailed = total.archiveFailed || r.archiveFailed;
    if (r.archived) *total.archived += *r.archived;
    total.steps.insert(total.steps.end(), r.steps.begin(), r.steps.end());
    message = JoinMessages(message, r.message);
    if (!r.Succeeded()) {
      total.outcome = r.outcome;
      total.endLineSeen = r.endLineSeen;
      total.refused = r.refused;
      total.aborted = r.aborted;
      break;
    }
  }
  if (!total.archived || total.archiveFailed) total.archived.reset();
  if (total.outcome == Outcome::kSucceeded)
    message = JoinMessages(message, NewRecordsText(total.archived ? *total.archived : total.received));
  total.message = message;
  return total;
}

}  // namespace ops
