#pragma once
// The line of --simulate: a virtual logger started in-process on a
// pseudo-terminal, for as long as the command runs. Where the system has no
// pseudo-terminals (Windows), Start() fails with a reason.
#include <cstddef>
#include <memory>
#include <string>

class SimulatedLine {
 public:
  SimulatedLine();
  ~SimulatedLine();
  SimulatedLine(const SimulatedLine&) = delete;
  SimulatedLine& operator=(const SimulatedLine&) = delete;

  // Starts the virtual logger with `records` records in its memory (paced:
  // at the speed of 9600 baud). False, with the reason in *error, when it
  // cannot run.
  bool Start(size_t records, bool paced, std::string* error);
  // The device path the port opens.
  std::string PortPath() const;
  void Stop();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};
