#pragma once
// Saving a file as a whole. The bytes go to a temporary file beside the
// target, which replaces the target only once everything is written and
// flushed; a failure at any point leaves an existing file exactly as it was
// and no temporary file behind. The temporary file has no name while it is
// written where the file system allows it, so a program killed meanwhile
// leaves nothing; elsewhere a save removes the temporaries that killed
// saves of the same target left behind.
#include <cstddef>
#include <memory>
#include <string>

// Writes `bytes` to `path`, replacing the file if it exists (a symbolic link
// is followed and the file it names is replaced, or created when the link
// dangles; the replaced file's permissions are kept). An existing file that the process may not write is
// not replaced. Returns true on success; on failure returns false and, if
// `error` is given, stores a short description there.
bool SaveFileAtomically(const std::string& path, const std::string& bytes, std::string* error);

// The same save, written piece by piece as the bytes arrive, so that a long
// text is never held whole in memory. Begin() makes the temporary file (a
// device or pipe such as /dev/null is written into directly), Write() adds
// bytes, Commit() puts the file in place. Dropping the writer, or Discard(),
// before Commit() leaves the target exactly as it was and nothing behind.
class AtomicFileWriter {
 public:
  AtomicFileWriter();
  ~AtomicFileWriter();
  AtomicFileWriter(const AtomicFileWriter&) = delete;
  AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

  // Starts the file that is to become `path`. False on failure, with a short
  // description in *error when given.
  bool Begin(const std::string& path, std::string* error);
  // Appends bytes. A failure is kept and reported by Commit(); false then.
  bool Write(const char* bytes, size_t size);
  // Flushes the file and gives it its name: `path` of Begin(), or
  // `finalPath` when given (in the same folder).
  bool Commit(std::string* error, const std::string& finalPath = std::string());
  void Discard();
  bool Begun() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};
