// The serial device on POSIX: termios, an exclusive lock and an eventfd that
// ends the reader's wait at once.
#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <vector>

#include "link/rs_port.h"
#include "link/serial_device.h"

namespace {

bool BaudConstant(uint32_t baud, speed_t* out) {
  switch (baud) {
    case 1200: *out = B1200; return true;
    case 2400: *out = B2400; return true;
    case 4800: *out = B4800; return true;
    case 9600: *out = B9600; return true;
    case 19200: *out = B19200; return true;
    case 38400: *out = B38400; return true;
    case 57600: *out = B57600; return true;
    case 115200: *out = B115200; return true;
    default: return false;
  }
}

// Applies the caller's baud rate, data bits, parity and stop bits on top of a
// raw line without flow control. Returns false when the driver cannot do it.
bool ConfigureLine(termios* tio, const SerialSettings& s) {
  speed_t speed;
  if (!BaudConstant(s.baudRate, &speed)) return false;
  cfmakeraw(tio);
  tio->c_cflag |= CLOCAL | CREAD;
  tio->c_cflag &= ~(CSIZE | PARENB | PARODD | CSTOPB | CRTSCTS);
  switch (s.dataBits) {
    case 5: tio->c_cflag |= CS5; break;
    case 6: tio->c_cflag |= CS6; break;
    case 7: tio->c_cflag |= CS7; break;
    default: tio->c_cflag |= CS8; break;
  }
  if (s.parity == SerialSettings::kOddParity) tio->c_cflag |= PARENB | PARODD;
  if (s.parity == SerialSettings::kEvenParity) tio->c_cflag |= PARENB;
  if (s.stopBits == SerialSettings::kTwoStopBits) tio->c_cflag |= CSTOPB;
  tio->c_iflag &= ~(IXON | IXOFF | IXANY);
  tio->c_cc[VMIN] = 0;
  tio->c_cc[VTIME] = 0;
  return cfsetispeed(tio, speed) == 0 && cfsetospeed(tio, speed) == 0;
}

std::string GroupName(gid_t gid) {
  std::vector<char> buf(4096);
  group g{};
  group* found = nullptr;
  if (getgrgid_r(gid, &g, buf.data(), buf.size(), &found) != 0 || found == nullptr) return std::string();
  return found->gr_name;
}

PortOpenError::Fault FaultOfOpen(int err, const std::string& path, std::string* group) {
  struct stat st {};
  const bool exists = stat(path.c_str(), &st) == 0;
  switch (err) {
    case ENOENT:
    case ENXIO:
    case ENODEV:
    case ENOTDIR: return PortOpenError::kNoSuchDevice;
    case EBUSY: return PortOpenError::kInUse;
    case EISDIR: return PortOpenError::kNotSerial;
    case EACCES:
    case EPERM:
    case EROFS:
      if (exists && !S_ISCHR(st.st_mode)) return PortOpenError::kNotSerial;
      if (exists) *group = GroupName(st.st_gid);
      return PortOpenError::kPermissionDenied;
    default: return PortOpenError::kOther;
  }
}

void Fail(PortOpenError* error, int code, PortOpenError::Fault fault, int err) {
  if (error == nullptr) return;
  error->code = code;
  error->fault = fault;
  error->systemError = err;
  error->reason = std::strerror(err);
}

class PosixSerialDevice final : public SerialDevice {
 public:
  ~PosixSerialDevice() override { Close(); }

  int Open(const std::string& given, const SerialSettings& settings, PortOpenError* error) override {
    Close();
    // A bare port name ("ttyUSB0", as the port list names it) is the device
    // of that name, as "COM3" is on Windows.
    const std::string path = given.find('/') == std::string::npos && !given.empty() ? "/dev/" + given : given;
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
      const int err = errno;
      std::string group;
      const PortOpenError::Fault fault = FaultOfOpen(err, path, &group);
      Fail(error, CRSPort::kOpenFailed, fault, err);
      if (error != nullptr) error->group = group;
      return CRSPort::kOpenFailed;
    }
    // No sharing: TIOCEXCL keeps other openers out (except privileged ones), the
    // lock keeps out every other program that honours it, root included.
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
      const int err = errno == EWOULDBLOCK ? EBUSY : errno;
      ::close(fd);
      Fail(error, CRSPort::kOpenFailed, err == EBUSY ? PortOpenError::kInUse : PortOpenError::kOther, err);
      return CRSPort::kOpenFailed;
    }
    wake_fd_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (wake_fd_ < 0) {
      const int err = errno;
      ::close(fd);
      Fail(error, CRSPort::kOpenFailed, PortOpenError::kOther, err);
      return CRSPort::kOpenFailed;
    }
    fd_.store(fd);

    termios tio{};
    if (tcgetattr(fd, &tio) != 0) {
      const int err = errno;
      Close();
      Fail(error, CRSPort::kSettingsUnreadable, err == ENOTTY ? PortOpenError::kNotSerial : PortOpenError::kOther, err);
      return CRSPort::kSettingsUnreadable;
    }
    ioctl(fd, TIOCEXCL);
    if (!ConfigureLine(&tio, settings)) {
      Close();
      Fail(error, CRSPort::kConfigFailed, PortOpenError::kOther, EINVAL);
      return CRSPort::kConfigFailed;
    }
    tcsetattr(fd, TCSANOW, &tio);  // the outcome is not used, as on the original driver
    return CRSPort::kOpenOk;
  }

  void Close() override {
    const int fd = fd_.exchange(-1);
    if (fd >= 0) {
      // Input only: flushing the output of a pseudo-terminal discards what
      // its other side has not read yet, even after the driver reported it sent.
      tcflush(fd, TCIFLUSH);
      ::close(fd);
    }
    if (wake_fd_ >= 0) {
      ::close(wake_fd_);
      wake_fd_ = -1;
    }
  }

  bool IsOpen() const override { return fd_.load() >= 0; }
  intptr_t NativeHandle() const override { return fd_.load(); }

  void PurgeInput() override {
    const int fd = fd_.load();
    if (fd >= 0) tcflush(fd, TCIFLUSH);
  }

  void PurgeOutput() override {
    const int fd = fd_.load();
    if (fd >= 0) tcflush(fd, TCOFLUSH);
  }

  bool DrainOutput(std::chrono::steady_clock::duration limit) override {
    // tcdrain() cannot be bounded: the output queue is watched instead.
    const int fd = fd_.load();
    if (fd < 0) return false;
    const auto deadline = std::chrono::steady_clock::now() + limit;
    for (;;) {
      int queued = 0;
      if (ioctl(fd, TIOCOUTQ, &queued) != 0) return false;
      if (queued <= 0) return true;
      if (std::chrono::steady_clock::now() >= deadline) return false;
      pollfd w{wake_fd_, 0, 0};
      poll(&w, 1, kDrainPollMs);
    }
  }

  void ReaderStarted() override {}

  int Read(uint8_t* buffer, size_t size, int sliceMs, int* systemError) override {
    const int fd = fd_.load();
    pollfd fds[2] = {{fd, POLLIN, 0}, {wake_fd_, POLLIN, 0}};
    const int pr = poll(fds, 2, sliceMs);
    if (pr <= 0) return 0;  // slice over (or EINTR)
    if (fds[1].revents & POLLIN) {
      uint64_t count;
      ssize_t ignored = ::read(wake_fd_, &count, sizeof count);
      (void)ignored;
      return 0;
    }
    const bool hungUp = (fds[0].revents & (POLLHUP | POLLNVAL)) != 0;
    if ((fds[0].revents & (POLLIN | POLLHUP | POLLERR | POLLNVAL)) == 0) return 0;
    // What arrived before a hang-up is read first; the loss shows on the next call.
    const ssize_t n = ::read(fd, buffer, size);
    if (n > 0) return static_cast<int>(n);
    const int err = n < 0 ? errno : 0;
    const bool readable = (fds[0].revents & POLLIN) != 0;
    if (readable && (err == EAGAIN || err == EINTR)) return 0;  // spurious wake-up: nothing lost
    if (err == EIO || err == ENXIO || err == ENODEV || (n == 0 && hungUp)) {
      *systemError = err != 0 ? err : ErrorOfHungUpLine(fd);
      return kLineLost;
    }
    // Any other outcome brings nothing this time; the slice is waited out on
    // the wake-up descriptor alone, so that the reader never spins.
    pollfd w{wake_fd_, POLLIN, 0};
    poll(&w, 1, sliceMs);
    return 0;
  }

  void WakeReader() override {
    if (wake_fd_ < 0) return;
    const uint64_t one = 1;
    ssize_t ignored = ::write(wake_fd_, &one, sizeof one);
    (void)ignored;
  }

  bool Write(const uint8_t* data, uint32_t length, std::chrono::steady_clock::duration limit) override {
    const int fd = fd_.load();
    if (fd < 0) return false;
    const auto deadline = std::chrono::steady_clock::now() + limit;
    uint32_t done = 0;
    while (done < length) {
      const ssize_t n = ::write(fd, data + done, length - done);
      if (n > 0) {
        done += static_cast<uint32_t>(n);
        continue;
      }
      if (n < 0 && errno == EINTR) continue;
      if (n < 0 && errno != EAGAIN) break;
      const auto left =
          std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
      if (left.count() <= 0) break;
      pollfd p{fd, POLLOUT, 0};
      const int pr = poll(&p, 1, static_cast<int>(left.count()));
      if (pr < 0 && errno != EINTR) break;
      if (pr > 0 && (p.revents & (POLLERR | POLLHUP | POLLNVAL))) break;
    }
    return done == length;
  }

 private:
  static constexpr int kDrainPollMs = 5;

  // A hung-up terminal reads as end of file; a write, even of nothing, is
  // refused with the system's own reason.
  static int ErrorOfHungUpLine(int fd) {
    const ssize_t n = ::write(fd, "", 0);
    return n < 0 && errno != EAGAIN && errno != EINTR ? errno : EIO;
  }

  std::atomic<int> fd_{-1};
  int wake_fd_ = -1;
};

}  // namespace

std::unique_ptr<SerialDevice> CreateSerialDevice() { return std::make_unique<PosixSerialDevice>(); }
