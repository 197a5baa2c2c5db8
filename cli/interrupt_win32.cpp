#include <windows.h>

#include <atomic>
#include <mutex>

#include "interrupt.h"

namespace {

std::atomic<bool> g_interrupted{false};

std::mutex g_wake_lock;
std::function<void()> g_wake;

// Set when the scope ends. A console that is closed ends the program as soon
// as the handler returns, so the handler waits for the readout to end and
// keep what arrived, within the time the system grants (about 5 s). Made once
// and kept, so that a handler still waiting never waits on a closed handle.
HANDLE g_scope_ended = nullptr;
constexpr DWORD kCloseWaitMs = 4500;

// Runs on a thread of its own, so it may call the wake itself.
BOOL WINAPI OnConsoleEvent(DWORD event) {
  if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT && event != CTRL_CLOSE_EVENT) return FALSE;
  g_interrupted.store(true);
  {
    std::lock_guard<std::mutex> lock(g_wake_lock);
    if (g_wake) g_wake();
  }
  if (event == CTRL_CLOSE_EVENT && g_scope_ended != nullptr) WaitForSingleObject(g_scope_ended, kCloseWaitMs);
  return TRUE;
}

}  // namespace

// The C library raises no signal for a closed pipe or a full disk: the write
// fails (EPIPE for a pipe whose reader went away) and takes the usual path.
void IgnoreWriteSignals() {}

// A console started with Ctrl+C ignored (inherited from the parent) does not
// call the handler for it, so an ignored Ctrl+C stays ignored.
InterruptScope::InterruptScope() {
  g_interrupted.store(false);
  if (g_scope_ended == nullptr) g_scope_ended = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  if (g_scope_ended != nullptr) ResetEvent(g_scope_ended);
  SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}

InterruptScope::~InterruptScope() {
  if (g_scope_ended != nullptr) SetEvent(g_scope_ended);
  SetConsoleCtrlHandler(OnConsoleEvent, FALSE);
  std::lock_guard<std::mutex> lock(g_wake_lock);
  g_wake = nullptr;
}

void InterruptScope::SetWake(std::function<void()> wake) {
  std::lock_guard<std::mutex> lock(g_wake_lock);
  g_wake = std::move(wake);
}

bool TakeInterrupt() { return g_interrupted.exchange(false); }
