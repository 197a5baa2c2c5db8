#include "simulated_line.h"

#include "virtual_logger.h"

struct SimulatedLine::Impl {
  std::unique_ptr<vlogger::VirtualLogger> logger;
};

SimulatedLine::SimulatedLine() : impl_(std::make_unique<Impl>()) {}
SimulatedLine::~SimulatedLine() { Stop(); }

bool SimulatedLine::Start(size_t records, bool paced, std::string* error) {
  vlogger::Options options;
  options.preset_records = records;
  options.paced = paced;
  impl_->logger = std::make_unique<vlogger::VirtualLogger>(options);
  if (impl_->logger->Start()) return true;
  *error = impl_->logger->LastError();
  return false;
}

std::string SimulatedLine::PortPath() const { return impl_->logger ? impl_->logger->PortPath() : std::string(); }

void SimulatedLine::Stop() {
  if (impl_->logger) impl_->logger->Stop();
}
