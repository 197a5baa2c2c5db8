#include "pty_pair.h"

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>
#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace vlogger {

PtyPair::~PtyPair() { Close(); }

bool PtyPair::Open(std::string* error) {
  Close();
  const int fd = posix_openpt(O_RDWR | O_NOCTTY);
  if (fd < 0) {
    *error = std::string("posix_openpt: ") + std::strerror(errno);
    return false;
  }
  const char* name = nullptr;
  if (grantpt(fd) != 0 || unlockpt(fd) != 0 || (name = ptsname(fd)) == nullptr) {
    *error = std::string("pseudo-terminal setup: ") + std::strerror(errno);
    ::close(fd);
    return false;
  }
  const int flags = fcntl(fd, F_GETFL);
  if (flags < 0 || fcntl(fd, F_SETFL, flags | O_NONBLOCK) != 0 || fcntl(fd, F_SETFD, FD_CLOEXEC) != 0) {
    *error = std::string("fcntl: ") + std::strerror(errno);
    ::close(fd);
    return false;
  }
  master_ = fd;
  slave_path_ = name;
  MakeRaw();
  return true;
}

void PtyPair::Close() {
  if (master_ >= 0) ::close(master_);
  master_ = -1;
}

void PtyPair::MakeRaw() {
  if (master_ < 0) return;
  termios tio{};
  if (tcgetattr(master_, &tio) != 0) return;
  cfmakeraw(&tio);
  tio.c_cc[VMIN] = 1;
  tio.c_cc[VTIME] = 0;
  tcsetattr(master_, TCSANOW, &tio);
}

bool PtyPair::EchoIsOn() const {
  termios tio{};
  if (master_ < 0 || tcgetattr(master_, &tio) != 0) return false;
  return (tio.c_lflag & (ECHO | ECHONL)) != 0;
}

}  // namespace vlogger
