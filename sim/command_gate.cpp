#include "command_gate.h"

namespace vlogger {

void CommandGate::RefusePrefix(const std::string& prefix, int count) {
  if (count == 0) {
    refuse_prefixes_.erase(prefix);
  } else {
    refuse_prefixes_[prefix] = count;
  }
}

void CommandGate::SilencePrefix(const std::string& prefix, int count) {
  if (count == 0) {
    silence_prefixes_.erase(prefix);
  } else {
    silence_prefixes_[prefix] = count;
  }
}

void CommandGate::Reset() { *this = CommandGate(); }

bool CommandGate::Take(int& count) {
  if (count == 0) return false;
  if (count > 0) --count;
  return true;
}

bool CommandGate::TakePrefix(std::map<std::string, int>& table, const std::string& line) {
  for (auto it = table.begin(); it != table.end(); ++it) {
    if (line.compare(0, it->first.size(), it->first) != 0) continue;
    if (it->second > 0 && --it->second == 0) table.erase(it);
    return true;
  }
  return false;
}

CommandGate::Verdict CommandGate::Judge(const std::string& line) {
  if (drop_armed_ && line.compare(0, drop_prefix_.size(), drop_prefix_) == 0) {
    drop_armed_ = false;
    return Verdict::kDrop;
  }
  if (Take(silence_next_) || TakePrefix(silence_prefixes_, line)) return Verdict::kSilent;
  if (Take(refuse_next_) || TakePrefix(refuse_prefixes_, line)) return Verdict::kRefuse;
  return Verdict::kServe;
}

}  // namespace vlogger
