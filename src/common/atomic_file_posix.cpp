#include "common/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

namespace {

bool Fail(std::string* error, const std::string& what, int err) {
  if (error != nullptr) *error = what + ": " + std::strerror(err);
  return false;
}

// The file the path finally names: symbolic links are resolved so that the
// linked file is replaced, not the link. A path that does not exist yet is
// returned unchanged.
std::string ResolveTarget(const std::string& path) {
  struct stat st {};
  if (lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
  char* real = realpath(path.c_str(), nullptr);
  if (real == nullptr) return path;
  std::string resolved(real);
  std::free(real);
  return resolved;
}

int CreateTemporary(const std::string& target, std::string* tempPath) {
  static std::atomic<unsigned> counter{0};
  for (int attempt = 0; attempt < 100; ++attempt) {
    *tempPath = target + ".tmp" + std::to_string(getpid()) + "_" + std::to_string(counter++);
    // 0666 lets the umask decide, as for any newly created file.
    const int fd = open(tempPath->c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  errno = EEXIST;
  return -1;
}

bool WriteAll(int fd, const std::string& bytes) {
  const char* p = bytes.data();
  size_t left = bytes.size();
  while (left > 0) {
    const ssize_t n = write(fd, p, left);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    p += n;
    left -= static_cast<size_t>(n);
  }
  return true;
}

bool WriteInto(const std::string& target, const std::string& bytes, std::string* error) {
  const int fd = open(target.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) return Fail(error, target, errno);
  int err = WriteAll(fd, bytes) ? 0 : errno;
  if (close(fd) != 0 && err == 0) err = errno;
  return err == 0 ? true : Fail(error, target, err);
}

}  // namespace

bool SaveFileAtomically(const std::string& path, const std::string& bytes, std::string* error) {
  if (path.empty()) return Fail(error, "no file name", ENOENT);
  const std::string target = ResolveTarget(path);

  struct stat existing {};
  const bool exists = stat(target.c_str(), &existing) == 0;
  if (exists) {
    if (S_ISDIR(existing.st_mode)) return Fail(error, target, EISDIR);
    if (access(target.c_str(), W_OK) != 0) return Fail(error, target, errno);
    // A device or pipe (such as /dev/null) is written into, never replaced.
    if (!S_ISREG(existing.st_mode)) return WriteInto(target, bytes, error);
  }

  std::string temp;
  const int fd = CreateTemporary(target, &temp);
  if (fd < 0) return Fail(error, target, errno);

  int err = 0;
  if (exists && fchmod(fd, existing.st_mode & 0777) != 0) err = errno;
  if (err == 0 && !WriteAll(fd, bytes)) err = errno;
  if (err == 0 && fsync(fd) != 0) err = errno;
  if (close(fd) != 0 && err == 0) err = errno;
  if (err == 0 && rename(temp.c_str(), target.c_str()) != 0) err = errno;
  if (err != 0) {
    unlink(temp.c_str());
    return Fail(error, target, err);
  }
  return true;
}
