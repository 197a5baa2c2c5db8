#include "link/rs_port.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "common/timing.h"
#include "common/ui_hooks.h"
#include "log/traffic_capture.h"

namespace {

constexpr int kReadChunk = 4096;
constexpr int kReaderSliceMs = 200;
constexpr int64_t kWriteLimitMs = 10000;
constexpr int64_t kSettleMs = 500;

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

}  // namespace

CRSPort::CRSPort() = default;

CRSPort::~CRSPort() { Close(); }

int CRSPort::Open(const std::string& path, const SerialSettings& settings) {
  if (IsOpen()) {
    if (path.empty()) return kOpenOk;
    if (path == path_ && settings.SameLine(settings_)) return kOpenOk;
  }
  settings_ = settings;
  path_ = path;
  Close();

  if (!line_buffer_) {
    line_buffer_ = std::make_unique<CReadData>();
    if (!line_buffer_->Init()) {
      line_buffer_.reset();
      return kOpenFailed;
    }
  }

  const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return kOpenFailed;
  // No sharing: TIOCEXCL keeps other openers out (except privileged ones), the
  // lock keeps out every other program that honours it, root included.
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    ::close(fd);
    return kOpenFailed;
  }
  ioctl(fd, TIOCEXCL);
  fd_.store(fd);

  termios tio{};
  if (tcgetattr(fd, &tio) != 0) {
    Close();
    return kSettingsUnreadable;
  }
  if (!ConfigureLine(&tio, settings)) {
    Close();
    return kConfigFailed;
  }
  tcsetattr(fd, TCSANOW, &tio);  // the outcome is not used, as on the original driver

  Purge();
  line_buffer_->Resume();
  if (!reader_.joinable()) {
    wake_fd_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    running_.store(1);
    reader_ = std::thread(&CRSPort::ReadThread, this);
  }
  timing::SleepMs(kSettleMs);
  return kOpenOk;
}

int CRSPort::Close() {
  running_.store(0);
  // Waits for a reply end now: nothing more can arrive.
  if (line_buffer_) line_buffer_->Abandon();
  if (reader_.joinable()) {
    timing::SleepMs(kSettleMs);
    WakeReader();
    reader_.join();
  }
  if (wake_fd_ >= 0) {
    ::close(wake_fd_);
    wake_fd_ = -1;
  }
  std::lock_guard<std::mutex> io(io_lock_);
  const int fd = fd_.load();
  if (fd < 0) return 1;
  tcflush(fd, TCIOFLUSH);
  if (line_buffer_) line_buffer_->Reset();
  fd_.store(-1);
  ::close(fd);
  return 1;
}

int CRSPort::Write(const void* bytes, uint32_t length, int purge) {
  const auto* data = static_cast<const uint8_t*>(bytes);
  if (data == nullptr) return 0;
  if (length == 0) length = static_cast<uint32_t>(std::strlen(static_cast<const char*>(bytes)));

  if (line_buffer_) {
    // A write never starts while another thread is inside a line wait.
    line_buffer_->WaitLock().lock();
    line_buffer_->WaitLock().unlock();
  }

  int result = 0;
  {
    std::lock_guard<std::mutex> io(io_lock_);
    const int fd = fd_.load();
    if (fd >= 0) {
      if (purge == 1) Purge();
      const auto deadline = timing::Clock::now() + timing::Scaled(kWriteLimitMs);
      uint32_t done = 0;
      while (done < length) {
        const ssize_t n = ::write(fd, data + done, length - done);
        if (n > 0) {
          done += static_cast<uint32_t>(n);
          continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno != EAGAIN) break;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - timing::Clock::now());
        if (left.count() <= 0) break;
        pollfd p{fd, POLLOUT, 0};
        const int pr = poll(&p, 1, static_cast<int>(left.count()));
        if (pr < 0 && errno != EINTR) break;
        if (pr > 0 && (p.revents & (POLLERR | POLLHUP | POLLNVAL))) break;
      }
      result = (done == length) ? 1 : 0;
    }
  }
  ui_hooks::PumpMessages();
  return result;
}

void CRSPort::Purge() {
  const int fd = fd_.load();
  if (fd >= 0) tcflush(fd, TCIOFLUSH);
  if (line_buffer_) line_buffer_->Reset();
}

void CRSPort::WakeReader() {
  if (wake_fd_ >= 0) {
    const uint64_t one = 1;
    ssize_t ignored = ::write(wake_fd_, &one, sizeof one);
    (void)ignored;
  }
}

void CRSPort::ReadThread() {
  uint8_t buffer[kReadChunk];
  Purge();
  while (running_.load() != 0) {
    const int fd = fd_.load();
    pollfd fds[2] = {{fd, POLLIN, 0}, {wake_fd_, POLLIN, 0}};
    const int pr = poll(fds, 2, kReaderSliceMs);
    if (running_.load() == 0) break;
    if (pr <= 0) continue;  // slice over (or EINTR): check running again
    bool got_data = false;
    if (fds[0].revents & POLLIN) {
      const ssize_t n = ::read(fd, buffer, sizeof buffer);
      if (n > 0) {
        got_data = true;
        // The line buffer receives each chunk before the traffic capture.
        line_buffer_->Append(buffer, static_cast<size_t>(n));
        CaptureTraffic(buffer, static_cast<uint32_t>(n), 0);
      } else if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
        got_data = true;  // spurious wake-up: nothing lost, poll again
      }
    }
    if (!got_data && (fds[0].revents & (POLLIN | POLLERR | POLLHUP | POLLNVAL))) {
      // The device went away (hang-up, EIO, or 0 bytes): this pass brings no
      // data. Wait out the slice on the wake-up descriptor alone, so that a
      // vanished device never makes this thread spin.
      pollfd w{wake_fd_, POLLIN, 0};
      poll(&w, 1, kReaderSliceMs);
    }
  }
  if (IsOpen()) Purge();
}
