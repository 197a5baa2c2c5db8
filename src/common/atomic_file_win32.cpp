// Saving a file as a whole on Windows: a temporary file beside the target,
// flushed, then moved over the target in one step. Paths are in the
// process's narrow code page, as the command line gives them.
#include <windows.h>

#include <atomic>

#include "common/atomic_file.h"
#include "common/os_error.h"

namespace {

bool Fail(std::string* error, const std::string& what, DWORD err) {
  if (error != nullptr) *error = what + ": " + OsErrorText(static_cast<int>(err));
  return false;
}

bool WriteAll(HANDLE file, const std::string& bytes) {
  const char* p = bytes.data();
  size_t left = bytes.size();
  while (left > 0) {
    const DWORD chunk = left > 0x40000000 ? 0x40000000 : static_cast<DWORD>(left);
    DWORD written = 0;
    if (!WriteFile(file, p, chunk, &written, nullptr) || written == 0) return false;
    p += written;
    left -= written;
  }
  return true;
}

}  // namespace

bool SaveFileAtomically(const std::string& path, const std::string& bytes, std::string* error) {
  if (path.empty()) return Fail(error, "no file name", ERROR_FILE_NOT_FOUND);

  const DWORD attributes = GetFileAttributesA(path.c_str());
  const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
  if (exists) {
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return Fail(error, path, ERROR_DIRECTORY);
    if (attributes & FILE_ATTRIBUTE_READONLY) return Fail(error, path, ERROR_ACCESS_DENIED);
  }

  static std::atomic<unsigned> counter{0};
  std::string temp;
  HANDLE file = INVALID_HANDLE_VALUE;
  for (int attempt = 0; attempt < 100 && file == INVALID_HANDLE_VALUE; ++attempt) {
    temp = path + ".tmp" + std::to_string(GetCurrentProcessId()) + "_" + std::to_string(counter++);
    file = CreateFileA(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS) break;
  }
  if (file == INVALID_HANDLE_VALUE) return Fail(error, path, GetLastError());

  DWORD err = 0;
  if (!WriteAll(file, bytes)) err = GetLastError();
  if (err == 0 && !FlushFileBuffers(file)) err = GetLastError();
  if (!CloseHandle(file) && err == 0) err = GetLastError();
  if (err == 0 && !MoveFileExA(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    err = GetLastError();
  if (err != 0) {
    DeleteFileA(temp.c_str());
    return Fail(error, path, err);
  }
  return true;
}

// Here the pieces are gathered and saved as a whole by Commit().
struct AtomicFileWriter::Impl {
  std::string path;
  std::string bytes;
  bool begun = false;
};

AtomicFileWriter::AtomicFileWriter() : impl_(std::make_unique<Impl>()) {}

AtomicFileWriter::~AtomicFileWriter() = default;

bool AtomicFileWriter::Begun() const { return impl_->begun; }

void AtomicFileWriter::Discard() { *impl_ = Impl(); }

bool AtomicFileWriter::Begin(const std::string& path, std::string* error) {
  Discard();
  if (path.empty()) return Fail(error, "no file name", ERROR_FILE_NOT_FOUND);
  impl_->path = path;
  impl_->begun = true;
  return true;
}

bool AtomicFileWriter::Write(const char* bytes, size_t size) {
  if (!impl_->begun) return false;
  impl_->bytes.append(bytes, size);
  return true;
}

bool AtomicFileWriter::Commit(std::string* error, const std::string& finalPath) {
  if (!impl_->begun) return Fail(error, finalPath.empty() ? "no file" : finalPath, ERROR_INVALID_HANDLE);
  const bool saved = SaveFileAtomically(finalPath.empty() ? impl_->path : finalPath, impl_->bytes, error);
  Discard();
  return saved;
}
