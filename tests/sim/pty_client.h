#pragma once
// A tiny raw serial client for the virtual logger's tests: opens the slave
// side of the pseudo-terminal, writes bytes and reads lines with a deadline.
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace simtest {

using namespace std::chrono_literals;

class PtyClient {
 public:
  explicit PtyClient(const std::string& path) {
    fd_ = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd_ < 0) return;
    termios tio{};
    tcgetattr(fd_, &tio);
    cfmakeraw(&tio);
    tcsetattr(fd_, TCSANOW, &tio);
  }
  ~PtyClient() { Close(); }
  PtyClient(const PtyClient&) = delete;
  PtyClient& operator=(const PtyClient&) = delete;

  bool IsOpen() const { return fd_ >= 0; }
  void Close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
  }

  bool Write(const std::string& bytes) {
    size_t done = 0;
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    while (done < bytes.size() && std::chrono::steady_clock::now() < deadline) {
      const ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
      if (n > 0) {
        done += static_cast<size_t>(n);
      } else if (n < 0 && errno != EAGAIN && errno != EINTR) {
        return false;
      } else {
        pollfd p{fd_, POLLOUT, 0};
        ::poll(&p, 1, 50);
      }
    }
    return done == bytes.size();
  }

  // The next line without its CR LF; no value at the deadline or a hang-up.
  std::optional<std::string> ReadLine(std::chrono::milliseconds timeout = 5s) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
      const size_t lf = buffer_.find('\n');
      if (lf != std::string::npos) {
        std::string line = buffer_.substr(0, lf);
        buffer_.erase(0, lf + 1);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        return line;
      }
      if (!Fill(deadline)) return std::nullopt;
    }
  }

  // Lines up to and including the first one that begins with `last`.
  std::vector<std::string> ReadUntil(const std::string& last, std::chrono::milliseconds timeout = 5s) {
    std::vector<std::string> lines;
    while (auto line = ReadLine(timeout)) {
      lines.push_back(*line);
      if (line->compare(0, last.size(), last) == 0) break;
    }
    return lines;
  }

  // Sends one command line and reads its reply up to `last`.
  std::vector<std::string> Exchange(const std::string& command, const std::string& last = "YES END") {
    Write(command + "\r\n");
    return ReadUntil(last);
  }

  // True once the other side has closed the line (read gives 0 or EIO).
  bool WaitForHangUp(std::chrono::milliseconds timeout = 5s) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (Fill(deadline)) {
    }
    return hung_up_;
  }

  // Sizes of the reads that brought data, and every byte read.
  const std::vector<size_t>& ReadSizes() const { return read_sizes_; }
  const std::string& Raw() const { return raw_; }

 private:
  // Reads what is there, waiting until the deadline; false when nothing came.
  bool Fill(std::chrono::steady_clock::time_point deadline) {
    while (fd_ >= 0 && !hung_up_) {
      char chunk[65536];
      const ssize_t n = ::read(fd_, chunk, sizeof chunk);
      if (n > 0) {
        buffer_.append(chunk, static_cast<size_t>(n));
        raw_.append(chunk, static_cast<size_t>(n));
        read_sizes_.push_back(static_cast<size_t>(n));
        return true;
      }
      if (n == 0 || (errno != EAGAIN && errno != EINTR)) {
        hung_up_ = true;
        break;
      }
      const auto left =
          std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
      if (left.count() <= 0) break;
      pollfd p{fd_, POLLIN, 0};
      ::poll(&p, 1, static_cast<int>(left.count()));
    }
    return false;
  }

  int fd_ = -1;
  bool hung_up_ = false;
  std::string buffer_;
  std::string raw_;
  std::vector<size_t> read_sizes_;
};

}  // namespace simtest
