#pragma once
// The field-data archive as the device operations use it: opened at its path
// on first use and kept open. A failure (locked, unreadable, damaged) is put
// in a message once; the operation goes on without the archive.
#include <cstdint>
#include <string>
#include <utility>

#include "archive/archive.h"

class CDeviceSession;

namespace ops {

class ArchiveAccess {
 public:
  ArchiveAccess() = default;  // no archive: nothing is kept
  explicit ArchiveAccess(std::string path) : path_(std::move(path)) {}
  ArchiveAccess(const ArchiveAccess&) = delete;
  ArchiveAccess& operator=(const ArchiveAccess&) = delete;

  const std::string& Path() const { return path_; }

  // The open archive, or nullptr when there is none or it cannot be opened.
  archive::Archive* Get(std::string* message);
  // Why the archive could not be opened (ok while it could, or was not tried).
  const archive::Status& OpenFailure() const { return openFailure_; }

  // Records the connect just made: the logger as last seen, its clock's
  // offset from the PC clock and the settings read.
  void RecordConnect(const CDeviceSession& session, std::string* message);
  // The logger's clock was set after the connect recorded last.
  void MarkSynchronised(std::string* message);

  // Appends the failure's text to *message, once in this access's life
  // (without a message it stays to be told later).
  void Report(const archive::Status& status, std::string* message);

 private:
  std::string path_;
  archive::Archive archive_;
  bool openFailed_ = false;
  archive::Status openFailure_;
  bool reported_ = false;
  int64_t lastConnect_ = 0;
};

}  // namespace ops
