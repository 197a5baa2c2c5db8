#pragma once
// The record readout as the recorded-data page runs it: "RD ALL" with the
// range (up to three tries), then the record lines until the logger's end
// line, each kept with CR LF appended. An abort request sends the abort byte
// (ESC) to the logger and goes on reading: the logger then ends the listing,
// and the records that arrived are kept. No line for 30 seconds, or no end
// line within 100 passes after an abort, fails the readout and discards what
// arrived.
#include <functional>
#include <string>

class CDeviceSession;
class ProgressBar;

struct RecordReadout {
  int ok = 0;            // 1 when the logger ended the listing
  bool aborted = false;  // the readout was cut short by an abort request
  std::string text;      // the record lines, each followed by CR LF
};

// abortRequested is polled once per pass; it reports each request once.
// On failure the session's error message is set.
RecordReadout ReadRecords(CDeviceSession& session, int firstId, int count, const std::function<bool()>& abortRequested,
                          ProgressBar& progress);
