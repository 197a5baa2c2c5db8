#include "app/simulated_logger.h"

#include "sim/virtual_logger.h"

std::unique_ptr<vlogger::VirtualLogger> StartSimulatedLogger(QString* error) {
  vlogger::Options options;
  options.preset_records = kSimulatedPresetRecords;
  auto logger = std::make_unique<vlogger::VirtualLogger>(options);
  if (!logger->Start()) {
    *error = QString::fromStdString(logger->LastError());
    return nullptr;
  }
  return logger;
}
