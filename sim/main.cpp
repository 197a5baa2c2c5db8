// quorvane-sim: serves a virtual logger on a pseudo-terminal until SIGINT,
// SIGTERM or the end of standard input. The first line of standard output is
// the device path to open. --drop-after-bytes N hangs the line up after N
// bytes sent, as if the cable were pulled part way.
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "virtual_logger.h"

namespace {

int g_signal_pipe[2] = {-1, -1};

void OnSignal(int) {
  const int saved = errno;
  const char byte = 1;
  [[maybe_unused]] const ssize_t n = write(g_signal_pipe[1], &byte, 1);
  errno = saved;
}

void Usage(const char* program) {
  std::fprintf(stderr, "usage: %s [--records N] [--paced] [--seed S] [--drop-after-bytes N]\n", program);
}

bool ParseNumber(const char* text, unsigned long long* value) {
  char* end = nullptr;
  errno = 0;
  *value = std::strtoull(text, &end, 10);
  return errno == 0 && end != text && *end == '\0';
}

}  // namespace

int main(int argc, char** argv) {
  vlogger::Options options;
  long long drop_after_bytes = -1;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    unsigned long long value = 0;
    if (arg == "--paced") {
      options.paced = true;
    } else if ((arg == "--records" || arg == "--seed" || arg == "--drop-after-bytes") && i + 1 < argc &&
               ParseNumber(argv[i + 1], &value)) {
      if (arg == "--records") {
        options.preset_records = static_cast<size_t>(value);
      } else if (arg == "--drop-after-bytes") {
        drop_after_bytes = static_cast<long long>(value);
      } else {
        options.seed = static_cast<uint32_t>(value);
      }
      ++i;
    } else {
      Usage(argv[0]);
      return 2;
    }
  }

  if (pipe(g_signal_pipe) != 0) {
    std::perror("pipe");
    return 1;
  }
  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
  signal(SIGPIPE, SIG_IGN);

  vlogger::VirtualLogger logger(options);
  if (!logger.Start()) {
    std::fprintf(stderr, "quorvane-sim: %s\n", logger.LastError().c_str());
    return 1;
  }
  if (drop_after_bytes >= 0) logger.DropAfterBytes(drop_after_bytes);
  std::printf("%s\n", logger.PortPath().c_str());
  std::fflush(stdout);

  pollfd fds[2] = {{g_signal_pipe[0], POLLIN, 0}, {STDIN_FILENO, POLLIN, 0}};
  for (;;) {
    if (poll(fds, 2, -1) < 0) {
      if (errno == EINTR) continue;
      break;
    }
    if (fds[0].revents & POLLIN) break;
    if (fds[1].revents & (POLLIN | POLLHUP | POLLERR | POLLNVAL)) {
      char buffer[256];
      const ssize_t n = read(STDIN_FILENO, buffer, sizeof buffer);
      if (n == 0 || (n < 0 && errno != EINTR && errno != EAGAIN)) break;
    }
  }
  logger.Stop();
  return 0;
}
