#include "simulated_line.h"

struct SimulatedLine::Impl {};

SimulatedLine::SimulatedLine() : impl_(std::make_unique<Impl>()) {}
SimulatedLine::~SimulatedLine() = default;

bool SimulatedLine::Start(size_t, bool, std::string* error) {
  *error = "the simulated logger needs a pseudo-terminal, which this system does not have";
  return false;
}

std::string SimulatedLine::PortPath() const { return std::string(); }

void SimulatedLine::Stop() {}
