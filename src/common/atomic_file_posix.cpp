#include "common/atomic_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
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

// The file the path finally names: symbolic links are followed so that the
// linked file is replaced (or, for a dangling link, created), not the link.
// A path that is no link is returned unchanged.
std::string ResolveTarget(const std::string& path) {
  std::string current = path;
  for (int hop = 0; hop < 40; ++hop) {
    struct stat st {};
    if (lstat(current.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return current;
    char text[PATH_MAX];
    const ssize_t n = readlink(current.c_str(), text, sizeof text - 1);
    if (n <= 0) return current;
    const std::string link(text, static_cast<size_t>(n));
    if (link[0] == '/') {
      current = link;
    } else {
      const size_t slash = current.rfind('/');
      current = (slash == std::string::npos ? std::string() : current.substr(0, slash + 1)) + link;
    }
  }
  return current;  // a loop: opening it reports the error
}

std::string DirectoryOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string BaseName(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

const char kTempMark[] = ".tmp";

// Named temporaries are left behind only by a process that was killed while
// saving: remove those of this target whose process is gone.
void RemoveStaleTemporaries(const std::string& target) {
  const std::string dir = DirectoryOf(target);
  const std::string prefix = BaseName(target) + kTempMark;
  DIR* d = opendir(dir.c_str());
  if (d == nullptr) return;
  while (const dirent* e = readdir(d)) {
    const std::string name = e->d_name;
    if (name.compare(0, prefix.size(), prefix) != 0) continue;
    char* end = nullptr;
    const long pid = std::strtol(name.c_str() + prefix.size(), &end, 10);
    if (pid <= 0 || end == nullptr || *end != '_') continue;
    if (kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH) continue;
    unlinkat(dirfd(d), name.c_str(), 0);
  }
  closedir(d);
}

int CreateNamedTemporary(const std::string& target, std::string* tempPath) {
  static std::atomic<unsigned> counter{0};
  for (int attempt = 0; attempt < 100; ++attempt) {
    *tempPath = target + kTempMark + std::to_string(getpid()) + "_" + std::to_string(counter++);
    // 0666 lets the umask decide, as for any newly created file.
    const int fd = open(tempPath->c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  errno = EEXIST;
  return -1;
}

// A file without a name in the target's directory: nothing is left behind
// whenever the program ends before it is linked into place. -1 where the
// file system cannot make one.
int CreateUnnamedTemporary(const std::string& target) {
#ifdef O_TMPFILE
  return open(DirectoryOf(target).c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
#else
  (void)target;
  errno = EOPNOTSUPP;
  return -1;
#endif
}

// Gives the unnamed file fd the name `name`. False (errno set) on failure.
bool LinkUnnamed(int fd, const std::string& name) {
  const std::string self = "/proc/self/fd/" + std::to_string(fd);
  return linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0;
}

bool WriteAll(int fd, const char* p, size_t left) {
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

}  // namespace

struct AtomicFileWriter::Impl {
  std::string target;  // the path of Begin() with its links followed
  int fd = -1;
  bool direct = false;   // a device or pipe, written into
  bool unnamed = false;  // the temporary has no name yet
  std::string temp;      // the named temporary, if any
  int err = 0;           // the first write failure
};

AtomicFileWriter::AtomicFileWriter() : impl_(std::make_unique<Impl>()) {}

AtomicFileWriter::~AtomicFileWriter() { Discard(); }

bool AtomicFileWriter::Begun() const { return impl_->fd >= 0; }

void AtomicFileWriter::Discard() {
  Impl& f = *impl_;
  if (f.fd >= 0) close(f.fd);
  if (!f.temp.empty()) unlink(f.temp.c_str());
  f = Impl();
}

bool AtomicFileWriter::Begin(const std::string& path, std::string* error) {
  Discard();
  Impl& f = *impl_;
  if (path.empty()) return Fail(error, "no file name", ENOENT);
  f.target = ResolveTarget(path);

  struct stat existing {};
  if (stat(f.target.c_str(), &existing) == 0) {
    if (S_ISDIR(existing.st_mode)) return Fail(error, f.target, EISDIR);
    if (access(f.target.c_str(), W_OK) != 0) return Fail(error, f.target, errno);
    // A device or pipe (such as /dev/null) is written into, never replaced.
    if (!S_ISREG(existing.st_mode)) {
      f.fd = open(f.target.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
      if (f.fd < 0) return Fail(error, f.target, errno);
      f.direct = true;
      return true;
    }
  }

  RemoveStaleTemporaries(f.target);
  f.fd = CreateUnnamedTemporary(f.target);
  f.unnamed = f.fd >= 0;
  if (!f.unnamed) f.fd = CreateNamedTemporary(f.target, &f.temp);
  if (f.fd < 0) {
    const int err = errno;
    f.temp.clear();
    return Fail(error, f.target, err);
  }
  return true;
}

bool AtomicFileWriter::Write(const char* bytes, size_t size) {
  Impl& f = *impl_;
  if (f.fd < 0 || f.err != 0) return false;
  if (!WriteAll(f.fd, bytes, size)) f.err = errno != 0 ? errno : EIO;
  return f.err == 0;
}

bool AtomicFileWriter::Commit(std::string* error, const std::string& finalPath) {
  Impl& f = *impl_;
  if (f.fd < 0) return Fail(error, finalPath.empty() ? "no file" : finalPath, EBADF);
  if (!finalPath.empty() && !f.direct) f.target = ResolveTarget(finalPath);
  const std::string target = f.target;
  int err = f.err;
  if (f.direct) {
    if (close(f.fd) != 0 && err == 0) err = errno;
    f = Impl();
    return err == 0 ? true : Fail(error, target, err);
  }

  struct stat existing {};
  const bool exists = stat(target.c_str(), &existing) == 0;
  if (err == 0 && exists && !S_ISREG(existing.st_mode)) err = S_ISDIR(existing.st_mode) ? EISDIR : EEXIST;
  if (err == 0 && exists && access(target.c_str(), W_OK) != 0) err = errno;
  if (err == 0 && exists && fchmod(f.fd, existing.st_mode & 0777) != 0) err = errno;
  if (err == 0 && fsync(f.fd) != 0) err = errno;
  if (err == 0 && f.unnamed) {
    // A new target gets the name at once; an existing one is replaced by a
    // rename, which needs a name for a moment.
    if (!exists && LinkUnnamed(f.fd, target)) {
      close(f.fd);
      f = Impl();
      return true;
    }
    if (!exists && errno != EEXIST) err = errno;
    if (err == 0) {
      static std::atomic<unsigned> counter{0};
      f.temp = target + kTempMark + std::to_string(getpid()) + "_u" + std::to_string(counter++);
      if (!LinkUnnamed(f.fd, f.temp)) err = errno;
      if (err != 0) f.temp.clear();
    }
  }
  if (close(f.fd) != 0 && err == 0) err = errno;
  f.fd = -1;
  if (err == 0 && rename(f.temp.c_str(), target.c_str()) != 0) err = errno;
  if (err == 0) f.temp.clear();
  Discard();  // removes a temporary left by a failure
  return err == 0 ? true : Fail(error, target, err);
}

bool SaveFileAtomically(const std::string& path, const std::string& bytes, std::string* error) {
  AtomicFileWriter file;
  if (!file.Begin(path, error)) return false;
  file.Write(bytes.data(), bytes.size());
  return file.Commit(error);
}
