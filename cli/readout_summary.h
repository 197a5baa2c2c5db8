#pragma once
// What a readout brought, for scripts: the exit status that tells the
// outcome, and one JSON object with the numbers (--summary-json).
#include <optional>
#include <string>

#include <nlohmann/json.hpp>

#include "operations/record_readout.h"

// What the archive made of a readout, where the build and the command use one.
struct ReadoutArchiveFacts {
  std::optional<long> archived;  // records new to the archive
  bool archiveFailed = false;    // the archive could not take the readout (or all of it)
  std::optional<long> lost;      // records lost between visits, where told
  bool memoryMovedOn = false;    // cleared or overwritten since the last readout
  bool wholeMemory = false;
  long olderMissing = 0;  // older records held that the archive lacks
};

// 0 when every record asked for arrived with nothing else to tell; 3 when a
// signal or Ctrl+C cut it short; 1 when the listing was refused, ended early,
// broke off or the output could not be saved; 4 when it completed with
// something the operator must know (repeats, lines that are no records,
// records outside the range, records the archive did not take, records lost
// between visits, older records held that the archive lacks).
int ReadoutExitStatus(const ops::ReadoutResult& readout, const ReadoutArchiveFacts& facts, bool saved);

nlohmann::ordered_json ReadoutSummaryObject(const ops::ReadoutResult& readout, const ReadoutArchiveFacts& facts,
                                            const std::string& file, int exitStatus);

// Writes the object as one line to the file ("-": standard error). Returns
// false with the system's reason when it cannot.
bool WriteReadoutSummary(const std::string& target, const nlohmann::ordered_json& summary, std::string* error);
