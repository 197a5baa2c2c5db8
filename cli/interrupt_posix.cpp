#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <iterator>
#include <mutex>
#include <thread>

#include "interrupt.h"

namespace {

constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};

std::atomic<bool> g_interrupted{false};
static_assert(std::atomic<bool>::is_always_lock_free, "the signal handler needs a lock-free flag");

// The handler tells the scope's thread through this pipe, one byte per
// request. Made once and kept for the whole run, so that a handler still
// running while a scope ends never writes into a closed or reused descriptor.
int g_pipe[2] = {-1, -1};
constexpr char kRequest = 'r';
constexpr char kStop = 's';

struct sigaction g_previous[std::size(kSignals)]{};
bool g_installed[std::size(kSignals)]{};

std::mutex g_wake_lock;
std::function<void()> g_wake;
std::thread g_watcher;

void OnInterrupt(int) {
  const int saved = errno;
  g_interrupted.store(true);
  if (g_pipe[1] >= 0) {
    const char byte = kRequest;
    const ssize_t written = write(g_pipe[1], &byte, 1);
    (void)written;  // a full pipe already holds a request
  }
  errno = saved;
}

// The scope's thread: calls the wake for each request until the scope ends.
void Watch() {
  for (;;) {
    pollfd p{g_pipe[0], POLLIN, 0};
    if (poll(&p, 1, -1) < 0 && errno != EINTR) return;
    char bytes[64];
    const ssize_t n = read(g_pipe[0], bytes, sizeof bytes);
    if (n < 0 && errno != EINTR && errno != EAGAIN) return;
    bool request = false, stop = false;
    for (ssize_t i = 0; i < n; ++i) (bytes[i] == kStop ? stop : request) = true;
    if (request) {
      std::lock_guard<std::mutex> lock(g_wake_lock);
      if (g_wake) g_wake();
    }
    if (stop) return;
  }
}

bool Ignored(int signal) {
  struct sigaction current {};
  return sigaction(signal, nullptr, &current) == 0 && (current.sa_flags & SA_SIGINFO) == 0 &&
         current.sa_handler == SIG_IGN;
}

}  // namespace

void IgnoreWriteSignals() {
  struct sigaction ignore {};
  ignore.sa_handler = SIG_IGN;
  sigemptyset(&ignore.sa_mask);
  sigaction(SIGPIPE, &ignore, nullptr);
  sigaction(SIGXFSZ, &ignore, nullptr);
}

InterruptScope::InterruptScope() {
  g_interrupted.store(false);
  if (g_pipe[0] < 0 && pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0) g_pipe[0] = g_pipe[1] = -1;
  if (g_pipe[0] >= 0) {
    char stale[64];  // requests that reached an earlier scope too late
    while (read(g_pipe[0], stale, sizeof stale) > 0) {
    }
    g_watcher = std::thread(Watch);
  }

  struct sigaction action {};
  action.sa_handler = OnInterrupt;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (size_t i = 0; i < std::size(kSignals); ++i)
    g_installed[i] = !Ignored(kSignals[i]) && sigaction(kSignals[i], &action, &g_previous[i]) == 0;
}

InterruptScope::~InterruptScope() {
  for (size_t i = 0; i < std::size(kSignals); ++i)
    if (g_installed[i]) sigaction(kSignals[i], &g_previous[i], nullptr);
  if (g_watcher.joinable()) {
    const char byte = kStop;
    while (write(g_pipe[1], &byte, 1) < 0 && (errno == EINTR || errno == EAGAIN)) std::this_thread::yield();
    g_watcher.join();
  }
  std::lock_guard<std::mutex> lock(g_wake_lock);
  g_wake = nullptr;
}

void InterruptScope::SetWake(std::function<void()> wake) {
  std::lock_guard<std::mutex> lock(g_wake_lock);
  g_wake = std::move(wake);
}

bool TakeInterrupt() { return g_interrupted.exchange(false); }
