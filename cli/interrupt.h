#pragma once
// Ctrl+C (SIGINT), SIGTERM and SIGHUP (the terminal closed) while records are
// read out: the signal handler only sets a flag, which the readout loop polls
// and answers by sending the abort byte to the logger, keeping what arrived
// and releasing the port. The handler then steps aside for that signal, so a
// second one ends the program at once.

// Installs the handler for its lifetime and restores the previous ones after.
class InterruptScope {
 public:
  InterruptScope();
  ~InterruptScope();
  InterruptScope(const InterruptScope&) = delete;
  InterruptScope& operator=(const InterruptScope&) = delete;
};

// True once per signal: reading the flag clears it.
bool TakeInterrupt();
