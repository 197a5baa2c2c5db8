#include "readout_summary.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "command_line.h"

namespace {

const char* OutcomeName(const ops::ReadoutResult& r) {
  switch (r.outcome) {
    case ops::Outcome::kSucceeded: return "complete";
    case ops::Outcome::kAborted: return "aborted";
    case ops::Outcome::kIncomplete:
      if (r.aborted) return "aborted";
      if (r.refused) return "refused";
      return r.endLineSeen ? "ended_early" : "broke_off";
    default: return "failed";
  }
}

template <typename T>
nlohmann::ordered_json OrNull(const std::optional<T>& v) {
  return v ? nlohmann::ordered_json(*v) : nlohmann::ordered_json(nullptr);
}

}  // namespace

int ReadoutExitStatus(const ops::ReadoutResult& readout, const ReadoutArchiveFacts& facts, bool saved) {
  if (!saved) return exit_status::kFailed;
  if (readout.aborted) return exit_status::kIncomplete;
  if (!readout.Succeeded()) return exit_status::kFailed;
  if (readout.Irregular() || facts.archiveFailed || (facts.lost && *facts.lost > 0) || facts.olderMissing > 0)
    return exit_status::kAttention;
  return exit_status::kOk;
}

nlohmann::ordered_json ReadoutSummaryObject(const ops::ReadoutResult& r, const ReadoutArchiveFacts& facts,
                                            const std::string& file, int exitStatus) {
  nlohmann::ordered_json o;
  o["outcome"] = OutcomeName(r);
  o["exit_status"] = exitStatus;
  o["asked"] = r.expected > 0 ? nlohmann::ordered_json(r.expected) : nlohmann::ordered_json(nullptr);
  o["arrived"] = r.received + r.duplicates + r.unparsed + r.outOfRange + r.otherLines;
  o["kept"] = r.received;
  o["duplicates"] = r.duplicates;
  o["unparsed"] = r.unparsed;
  o["out_of_range"] = r.outOfRange;
  o["not_records"] = r.otherLines;
  o["archived"] = OrNull(facts.archived);
  o["archive_failed"] = facts.archiveFailed;
  o["lost_since_last_visit"] = OrNull(facts.lost);
  o["memory_cleared"] = facts.memoryMovedOn;
  o["whole_memory"] = facts.wholeMemory;
  o["older_missing"] = facts.olderMissing;
  o["first_id"] = r.firstId >= 0 ? nlohmann::ordered_json(r.firstId) : nlohmann::ordered_json(nullptr);
  o["last_id"] = r.lastId >= 0 ? nlohmann::ordered_json(r.lastId) : nlohmann::ordered_json(nullptr);
  o["end_line"] = r.endLineSeen;
  o["file"] = file.empty() ? nlohmann::ordered_json(nullptr) : nlohmann::ordered_json(file);
  return o;
}

bool WriteReadoutSummary(const std::string& target, const nlohmann::ordered_json& summary, std::string* error) {
  const std::string line = summary.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace) + "\n";
  if (target == "-") {
    if (std::fwrite(line.data(), 1, line.size(), stderr) != line.size() || std::fflush(stderr) != 0) {
      *error = std::strerror(errno);
      return false;
    }
    return true;
  }
  std::FILE* f = std::fopen(target.c_str(), "wb");
  if (f == nullptr) {
    *error = std::strerror(errno);
    return false;
  }
  const bool written = std::fwrite(line.data(), 1, line.size(), f) == line.size();
  const int writeErrno = errno;
  if (std::fclose(f) != 0 || !written) {
    *error = std::strerror(written ? errno : writeErrno);
    return false;
  }
  return true;
}
