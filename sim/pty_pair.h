#pragma once
// The master side of a pseudo-terminal pair. The program under test opens
// the slave path like a serial device; the logger serves the master side.
#include <string>

namespace vlogger {

class PtyPair {
 public:
  PtyPair() = default;
  ~PtyPair();
  PtyPair(const PtyPair&) = delete;
  PtyPair& operator=(const PtyPair&) = delete;

  // Opens a fresh pair with a non-blocking master in raw mode (no echo, no
  // CR/LF translation). On failure returns false and sets *error.
  bool Open(std::string* error);
  void Close();

  bool IsOpen() const { return master_ >= 0; }
  int MasterFd() const { return master_; }
  const std::string& SlavePath() const { return slave_path_; }

  // Puts the line back into raw mode. The slave's settings return to the
  // system defaults whenever its last user closes it, and their echo would
  // send the logger's own replies back to it as commands.
  void MakeRaw();
  bool EchoIsOn() const;

 private:
  int master_ = -1;
  std::string slave_path_;
};

}  // namespace vlogger
