#include <windows.h>

#include <atomic>

#include "interrupt.h"

namespace {

std::atomic<bool> g_interrupted{false};
std::atomic<bool> g_stepped_aside{false};

// Runs on a thread of its own. The first Ctrl+C only sets the flag; after
// that the default handler ends the program.
BOOL WINAPI OnConsoleEvent(DWORD event) {
  if (event != CTRL_C_EVENT || g_stepped_aside.exchange(true)) return FALSE;
  g_interrupted.store(true);
  return TRUE;
}

}  // namespace

InterruptScope::InterruptScope() {
  g_interrupted.store(false);
  g_stepped_aside.store(false);
  SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}

InterruptScope::~InterruptScope() { SetConsoleCtrlHandler(OnConsoleEvent, FALSE); }

bool TakeInterrupt() { return g_interrupted.exchange(false); }
