#include "operations/unread_check.h"

#include <algorithm>
#include <cstdio>
#include <optional>
#include <string_view>

#include "archive/archive_messages.h"
#include "archive/record_line.h"
#include "common/string_table.h"
#include "operations/listings.h"
#include "operations/record_readout.h"
#include "session/device_session.h"

namespace ops {
namespace {

// Keeps the first record line a readout brings.
class FirstRecordSink : public RecordSink {
 public:
  void Records(const char* text, size_t bytes, long lines) override {
    if (first_ || lines <= 0) return;
    const std::string_view all(text, bytes);
    first_ = archive::ParseRecordLine(all.substr(0, all.find('\n')));
  }
  const std::optional<archive::RecordValues>& First() const { return first_; }

 private:
  std::optional<archive::RecordValues> first_;
};

// The logger time of the held record `id`, read back alone; nothing, with
// the reason in *reason, when the logger does not give that record.
std::optional<int64_t> TimeOfHeld(CDeviceSession& session, int id, const Context& context, std::string* reason) {
  FirstRecordSink sink;
  const ReadoutResult r = ReadRecords(session, {id, 1}, sink, context);
  if (r.Succeeded() && sink.First() && sink.First()->id == id) return sink.First()->time;
  *reason = r.Succeeded() || r.message.empty() ? strings::Text(strings::id::kFailed) : r.message;
  return std::nullopt;
}

UnreadCheck Unchecked(const std::string& reason) {
  UnreadCheck check;
  check.message = JoinMessages(strings::Text(strings::id::kUnreadCheckFailed), reason);
  return check;
}

bool IsRecordId(int id) { return id >= 0 && id < archive::kRecordIdModulus; }

}  // namespace

UnreadCheck CheckUnreadRecords(CDeviceSession& session, ArchiveAccess& archive, const Context& context) {
  if (!session.IsOpen()) return Unchecked(CDeviceSession::MessageForCode(session_rc::kNotConnected));
  if (const Result needed = RequireListings(session, listing_read::kSystem); !needed.Succeeded())
    return Unchecked(needed.message);
  const CVT7SysInfo& sys = session.Current().sys;
  const archive::MemoryIds held{sys.firstId, sys.lastId};
  if (!IsRecordId(held.first) || !IsRecordId(held.last)) return Unchecked(strings::Text(strings::id::kFailed));

  UnreadCheck check;
  check.held = archive::HeldCount(held);
  if (check.held > 0) {
    // Without a message, so that the readouts still tell an archive that
    // cannot be opened; here it is named as the reason.
    archive::Archive* a = archive.Get(nullptr);
    if (a == nullptr)
      return Unchecked(archive.Path().empty() ? strings::Text(strings::id::kNoArchiveInUse)
                                              : archive::FailureMessage(archive.OpenFailure(), archive.Path()));
    std::string reason;
    const std::optional<int64_t> firstTime = TimeOfHeld(session, held.first, context, &reason);
    if (!firstTime) return Unchecked(reason);
    const std::optional<int64_t> lastTime =
        held.last == held.first ? firstTime : TimeOfHeld(session, held.last, context, &reason);
    if (!lastTime) return Unchecked(reason);
    std::vector<int> archived;
    const archive::Status s = a->ArchivedHeldIds(sys.serialNumber, held, std::min(*firstTime, *lastTime),
                                                 std::max(*firstTime, *lastTime), &archived);
    if (!s.ok()) return Unchecked(archive::FailureMessage(s, archive.Path()));
    check.unread = archive::MissingIds(held, archived);
  }
  check.steps.push_back("check unread records");
  check.outcome = Outcome::kSucceeded;
  if (check.UnreadCount() > 0) check.message = UnreadText(strings::id::kUnreadWillBeLost, check);
  return check;
}

std::string UnreadText(uint32_t textId, const UnreadCheck& check) {
  const std::string ids = archive::IdRangesText(check.unread);
  std::string text(strings::Text(textId).size() + ids.size() + 32, '\0');
  const int n = std::snprintf(text.data(), text.size(), strings::Text(textId).c_str(),
                              static_cast<long>(check.UnreadCount()), ids.c_str());
  text.resize(n > 0 ? std::min(static_cast<size_t>(n), text.size() - 1) : 0);
  return text;
}

std::string UnreadErasedText(const UnreadCheck& check) { return UnreadText(strings::id::kUnreadErased, check); }

}  // namespace ops
