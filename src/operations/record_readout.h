#pragma once
// The record readout: "RD ALL" with the range (up to three tries), then the
// record lines until the logger's end line. Lines go to a sink in batches as
// they arrive (at the latest a second after they arrived, and whenever the
// line pauses), so nothing that arrived is lost when the listing breaks off.
//
// Records are counted by identity, so that no line can push a real record
// out of the readout:
// - A record is kept when it is a well-formed record line whose ID lies in
//   the range asked for and has not arrived before in this readout. Only
//   kept records count toward the records asked for.
// - A line identical to a record already kept is a repeat: left out, counted.
// - A line shaped like a record (ID and comma) that is no well-formed record,
//   or another text under an ID already kept, is delivered as it arrived
//   (the archive and the exports keep its raw text) and counted, never as a
//   record.
// - A well-formed record outside the range asked for is counted, not kept.
// - Any line shaped like a record after every record asked for was kept is
//   the logger going on past the count: ESC.
// - Lines that are not records at all (module noise) are counted, not
//   delivered.
// - All that is not a kept record is bounded: more of it than four times the
//   records the request could bring (at least 1000) is noise, not a
//   listing: ESC, and the readout ends incomplete.
//
// The end: the listing ends with "YES END", or with a refusal ("NOT END",
// "NG"), which leaves the readout incomplete like an end before the count.
// An abort request sends ESC and reads on until the end line; a logger that
// then stays quiet for a second, or goes on for 100 lines, is given up on
// (ESC once more after 10). No line for 30 s gives up too. A readout given up
// on while the logger may still be sending sends ESC first. A lost line ends
// it at once, after the records it brought, and the message says so.
#include <cstddef>

#include "operations/operation.h"

class CDeviceSession;

namespace ops {

// Receives the lines kept: `text` holds `lines` whole lines, each ended by
// CR LF, exactly as they arrived, in the order they arrived: the records and
// the record-shaped lines that are no records (a sink that needs to tell them
// apart parses them).
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
  long received = 0;    // distinct records of the range kept
  long expected = 0;    // records asked for (0: not known, the whole memory)
  long duplicates = 0;  // repeats of a record already kept, left out
  long unparsed = 0;    // record-shaped lines that are no record of the range, delivered as they are
  long outOfRange = 0;  // well-formed records outside the range asked for, not kept
  long otherLines = 0;  // lines that were not records, not delivered
  int firstId = -1;     // the first and last record kept, in order of arrival (-1: none)
  int lastId = -1;
  bool endLineSeen = false;  // "YES END" or a refusal ended the listing
  bool refused = false;      // the listing ended with "NOT END" or "NG"
  bool overrun = false;      // the logger went on past the records asked for
  bool flooded = false;      // too many lines that are no records: stopped
  bool aborted = false;      // an abort request cut the readout short
  // Lines handed to the sink.
  long Delivered() const { return received + unparsed; }
  // Something arrived that the operator must be told of, although the
  // records asked for may all be there.
  bool Irregular() const { return duplicates > 0 || unparsed > 0 || outOfRange > 0 || otherLines > 0 || overrun; }
};

ReadoutResult ReadRecords(CDeviceSession& session, const ReadoutRequest& request, RecordSink& sink,
                          const Context& context);

// The count a readout of the whole memory can bring: the logger's ID span.
long MaxRecordsOfRequest(const ReadoutRequest& request);

// The readout's own text for its outcome and for what arrived besides the
// records (repeats, lines that are no records, ...), one sentence each.
std::string ReadoutMessage(const ReadoutResult& result);

}  // namespace ops
