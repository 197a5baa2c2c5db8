#pragma once
// What went wrong with the archive, kept beside the library's own reason so
// that the user's message can name both.
#include <string>

namespace archive {

enum class Failure {
  kNone,
  kLocked,      // another program holds the archive (busy past the wait)
  kUnreadable,  // cannot be opened, read or written (permissions, I/O, full disk)
  kCorrupt,     // not an archive, or damaged
};

struct Status {
  Failure failure = Failure::kNone;
  std::string reason;  // the library's words, e.g. "database is locked"
  bool ok() const { return failure == Failure::kNone; }
};

}  // namespace archive
