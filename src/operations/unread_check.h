#pragma once
// Before a clear or a reset: which records the logger holds that the archive
// lacks. The held run of IDs comes from "RD SYS" of this connection. IDs
// restart at 1 after a clear, so an ID alone names no record: the first and
// the last held record are read back (one record each) for their logger
// times, and an archived record counts as held only with its ID in the run
// and its time between those two.
#include <cstdint>
#include <string>
#include <vector>

#include "archive/held_records.h"
#include "operations/archive_access.h"
#include "operations/operation.h"

class CDeviceSession;

namespace ops {

struct UnreadCheck : Result {
  int64_t held = 0;                      // records the logger holds
  std::vector<archive::IdRange> unread;  // held IDs the archive lacks

  int64_t UnreadCount() const { return archive::IdCount(unread); }
};

// Succeeds when it could tell; its message then names how many records the
// archive lacks and their IDs, or is empty when it lacks none. Fails when it
// could not tell (port closed, "RD SYS" not read in this connection, no
// usable archive, a record not read back): the message says so, with why.
// Nothing is archived and nothing is changed in the logger.
UnreadCheck CheckUnreadRecords(CDeviceSession& session, ArchiveAccess& archive, const Context& context = Context());

// The string table's text `textId` with the count and the IDs of the unread
// records filled in ("%ld" then "%s").
std::string UnreadText(uint32_t textId, const UnreadCheck& check);

// After a clear or reset that went ahead anyway: the unread records it erased.
std::string UnreadErasedText(const UnreadCheck& check);

}  // namespace ops
