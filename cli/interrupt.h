#pragma once
// Ctrl+C (SIGINT), SIGTERM and SIGHUP (the terminal closed) while records are
// read out: the signal handler only records the request, which the readout
// polls and answers by sending the abort byte to the logger, keeping what
// arrived and releasing the port. Every such signal does only that, the
// second one too: the abort ends within its bound, and ending the program
// before it would lose the records that arrived. A signal that was ignored
// when the program started (nohup) stays ignored.
//
// On Windows the console's Ctrl+C, Ctrl+Break and close do the same.
#include <functional>

// A closed pipe (SIGPIPE) or the file size limit (SIGXFSZ) makes the write
// fail with its reason instead of ending the program, so that the failure
// takes the usual path: what arrived is kept and the failure is told. Called
// once at the start of the program.
void IgnoreWriteSignals();

// Installs the handlers for its lifetime and restores the previous ones after.
class InterruptScope {
 public:
  InterruptScope();
  ~InterruptScope();
  InterruptScope(const InterruptScope&) = delete;
  InterruptScope& operator=(const InterruptScope&) = delete;

  // From now on each request also calls `wake` (on a thread of the scope,
  // never inside the signal handler), so that a wait in progress ends at once
  // and the request is seen without waiting out the wait.
  void SetWake(std::function<void()> wake);
};

// True once per request: reading it clears it.
bool TakeInterrupt();
