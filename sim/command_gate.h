#pragma once
// Decides, before the logger interprets a command, whether it refuses it,
// ignores it or drops the link instead (the fault knobs of the tests).
#include <map>
#include <string>

namespace vlogger {

class CommandGate {
 public:
  enum class Verdict { kServe, kRefuse, kSilent, kDrop };

  // Counts: a positive number of times, -1 for always, 0 to switch off.
  void RefuseNext(int count) { refuse_next_ = count; }
  void RefusePrefix(const std::string& prefix, int count);
  void SilenceNext(int count) { silence_next_ = count; }
  void SilencePrefix(const std::string& prefix, int count);
  // The link drops when the next command with this prefix arrives (once).
  void DropOnPrefix(const std::string& prefix) {
    drop_prefix_ = prefix;
    drop_armed_ = true;
  }
  void Reset();

  // Judges one command line and uses up the matching count.
  Verdict Judge(const std::string& line);

 private:
  static bool Take(int& count);
  static bool TakePrefix(std::map<std::string, int>& table, const std::string& line);

  int refuse_next_ = 0;
  int silence_next_ = 0;
  std::map<std::string, int> refuse_prefixes_;
  std::map<std::string, int> silence_prefixes_;
  std::string drop_prefix_;
  bool drop_armed_ = false;
};

}  // namespace vlogger
