#pragma once
// The files the commands write. Every file is written as a whole: the bytes
// go to a temporary file that replaces the target only when complete, so a
// failure never leaves a half-written file in place of an existing one.
// The target "-" is standard output.
#include <cstddef>
#include <ctime>
#include <string>

#include "common/atomic_file.h"

constexpr const char* kStandardOutput = "-";

// The local time now.
std::tm LocalNow();

// The saved readout's default name: prefix + "%Y%m%d_%H%M%S" of the time +
// "." + extension, e.g. TXL_ALL_20240131_235959.txt.
std::string TimestampedName(const std::string& prefix, const std::tm& time, const std::string& extension);

// Writes the bytes to the target. False on failure, with the reason in
// *error when given.
bool WriteOutput(const std::string& target, const std::string& bytes, std::string* error);

// A file written as its bytes arrive, so that a long readout is never held
// whole: it takes its place only at Finish(); standard output gets the bytes
// at once.
class StreamedOutput {
 public:
  // False when the file cannot be started, with the reason in *error.
  bool Begin(const std::string& target, std::string* error);
  // Appends bytes; false once a write failed (a closed pipe, a full disk, the
  // file size limit): nothing more can be added, and Finish() tells why.
  bool Write(const char* bytes, size_t size);
  bool Failed() const { return failed_; }
  // Puts the file in place under `finalTarget` (the name given to Begin()
  // when empty; the same folder). On failure *error holds the output and the
  // system's reason for the caller to tell; for standard output the
  // program's closing check then does not tell it again.
  bool Finish(const std::string& finalTarget, std::string* error);
  // Leaves the target as it was.
  void Discard() { file_.Discard(); }

 private:
  bool toStandardOutput_ = false;
  bool failed_ = false;
  int error_ = 0;
  AtomicFileWriter file_;
};
