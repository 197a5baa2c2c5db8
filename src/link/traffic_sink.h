#pragma once
// Where the port reports every byte that crosses the serial line. The port
// calls it on the reader thread for received bytes and on the sending thread
// for sent ones, so an implementation must be safe to call from any thread.
#include <cstdint>

enum class TrafficDirection : uint8_t {
  kReceived = 0,
  kSent = 1,   // by the command exchange
  kTyped = 2,  // by the user, in the terminal window
};

class TrafficSink {
 public:
  virtual ~TrafficSink() = default;
  virtual void Capture(const void* bytes, uint32_t length, TrafficDirection direction) = 0;
};
