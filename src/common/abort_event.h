#pragma once
// A flag that one thread sets to ask an operation on another thread to stop;
// the operation polls it between its waits.
#include <atomic>

class AbortEvent {
 public:
  void Set() { set_.store(true); }
  void Reset() { set_.store(false); }
  bool IsSet() const { return set_.load(); }

 private:
  std::atomic<bool> set_{false};
};
