#pragma once
// The virtual logger that "quorvane-hx --simulate" runs inside the program:
// it answers on a pseudo-terminal like a logger on a serial port, with some
// recorded data in its memory so that the data page has something to read.
#include <QString>

#include <cstdint>
#include <memory>

namespace vlogger {
class VirtualLogger;
}

// Records in the simulated logger's memory at start unless told otherwise.
inline constexpr int kSimulatedPresetRecords = 2000;

struct SimulatedLoggerOptions {
  int records = kSimulatedPresetRecords;
  bool paced = false;              // send at the pace of 9600 baud
  int64_t clockOffsetSeconds = 0;  // the logger clock ahead of the PC clock by this much
};

// Starts the logger; none, with a message in `error`, when no
// pseudo-terminal could be made.
std::unique_ptr<vlogger::VirtualLogger> StartSimulatedLogger(const SimulatedLoggerOptions& options, QString* error);
