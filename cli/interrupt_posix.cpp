#include "interrupt.h"

#include <atomic>
#include <csignal>

namespace {

std::atomic<bool> g_interrupted{false};
static_assert(std::atomic<bool>::is_always_lock_free, "the signal handler needs a lock-free flag");

struct sigaction g_previous {};

void OnInterrupt(int) {
  g_interrupted.store(true);
  struct sigaction standard {};
  standard.sa_handler = SIG_DFL;
  sigemptyset(&standard.sa_mask);
  sigaction(SIGINT, &standard, nullptr);
}

}  // namespace

InterruptScope::InterruptScope() {
  g_interrupted.store(false);
  struct sigaction action {};
  action.sa_handler = OnInterrupt;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  sigaction(SIGINT, &action, &g_previous);
}

InterruptScope::~InterruptScope() { sigaction(SIGINT, &g_previous, nullptr); }

bool TakeInterrupt() { return g_interrupted.exchange(false); }
