#pragma once
// The record readout with the field-data archive: every record that arrives
// goes to the front end's sink and, in batches, to the archive, whether the
// readout completes or breaks off. An archive that cannot be used is named
// once in the message and the readout goes on without it.
//
// Reading only what is new asks for the records from the newest archived one
// of this logger on, and first checks that the logger still holds that record
// with the same time. When it does not (memory cleared or overwritten), the
// whole memory is read and the message says so, with the records lost
// between the visits where that can be told. The front end's sink sees only
// the new records.
#include <optional>

#include "operations/archive_access.h"
#include "operations/record_readout.h"

namespace ops {

struct ArchivedReadoutResult : ReadoutResult {
  bool wholeMemory = false;    // the whole memory was read
  bool memoryMovedOn = false;  // the archived record was no longer held
  std::optional<long> lost;    // records lost between visits, when told
  // Records new to the archive; nothing when no archive took this readout.
  std::optional<long> archived;
  // The archive could not be opened or stopped taking records: what arrived
  // from then on is only in the front end's output.
  bool archiveFailed = false;
  // Records the logger holds from before the new ones that the archive never
  // received (ReadNewRecords; ReadMissingRecords reads them).
  long olderMissing = 0;
};

// The range asked for, archived as it arrives.
ArchivedReadoutResult ReadRecordsArchived(CDeviceSession& session, const ReadoutRequest& request, RecordSink& sink,
                                          ArchiveAccess& archive, const Context& context);

// The records after the newest archived record of the connected logger. Needs
// "RD SYS" read in this connection. Without a usable archive the whole memory
// is read.
ArchivedReadoutResult ReadNewRecords(CDeviceSession& session, RecordSink& sink, ArchiveAccess& archive,
                                     const Context& context);

// Exactly the records the logger holds that the archive lacks (as the check
// before a clear tells them), each run of IDs as one readout. Needs "RD SYS"
// read in this connection and a usable archive.
ArchivedReadoutResult ReadMissingRecords(CDeviceSession& session, RecordSink& sink, ArchiveAccess& archive,
                                         const Context& context);

}  // namespace ops
