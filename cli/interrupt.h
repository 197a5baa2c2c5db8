#pragma once
// Ctrl+C while records are read out: the signal handler only sets a flag,
// which the readout loop polls and answers by sending the abort byte to the
// logger. The handler then steps aside, so a second Ctrl+C ends the program
// at once.

// Installs the handler for its lifetime and restores the previous one after.
class InterruptScope {
 public:
  InterruptScope();
  ~InterruptScope();
  InterruptScope(const InterruptScope&) = delete;
  InterruptScope& operator=(const InterruptScope&) = delete;
};

// True once per Ctrl+C: reading the flag clears it.
bool TakeInterrupt();
