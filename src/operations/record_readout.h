#pragma once
// The record readout: "RD ALL" with the range (up to three tries), then the
// record lines until the logger's end line. Records go to a sink in batches
// of whole lines as they arrive, so nothing that arrived is lost when the
// listing breaks off.
//
// The one partial-data policy:
// - An abort request sends ESC and goes on reading until the end line; the
//   ESC goes out once more after 10 passes, and after 100 passes without the
//   end line the readout gives up.
// - No line for 30 s gives up too. Giving up, or a closed port, leaves the
//   result kIncomplete with the records that arrived; a readout given up on
//   while the logger may still be sending sends ESC first. A lost line ends
//   it at once, after the records it brought, and the message says so.
// - Never more records than were asked for: a record beyond the count sends
//   ESC, is not delivered, and the result says so.
// - Lines that are not records are counted, not delivered, and make the
//   result say the data may be damaged; more of them than the request could
//   bring records (at least 1000) is noise, not a listing: ESC, and the
//   readout ends incomplete.
#include <cstddef>

#include "operations/operation.h"

class CDeviceSession;

namespace ops {

// Receives the records: `text` holds `lines` whole record lines, each ended
// by CR LF, exactly as they arrived.
class RecordSink {
 public:
  virtual ~RecordSink() = default;
  virtual void Records(const char* text, size_t bytes, long lines) = 0;
};

struct ReadoutRequest {
  int firstId = -1;  // below 0: the whole memory
  int count = 0;     // records asked for; 0 with firstId < 0: the whole memory
};

struct ReadoutResult : Result {
  long received = 0;    // records delivered to the sink
  long expected = 0;    // records asked for
  long otherLines = 0;  // lines that were not records
  bool endLineSeen = false;
  bool overrun = false;  // the logger went on past the count asked for
  bool aborted = false;  // an abort request cut the readout short
};

ReadoutResult ReadRecords(CDeviceSession& session, const ReadoutRequest& request, RecordSink& sink,
                          const Context& context);

// The count a readout of the whole memory can bring: the logger's ID span.
long MaxRecordsOfRequest(const ReadoutRequest& request);

}  // namespace ops
