#include "app/simulated_logger.h"

#include "sim/virtual_logger.h"

std::unique_ptr<vlogger::VirtualLogger> StartSimulatedLogger(const SimulatedLoggerOptions& options, QString* error) {
  vlogger::Options logger_options;
  logger_options.preset_records = static_cast<size_t>(options.records);
  logger_options.paced = options.paced;
  logger_options.clock_offset_seconds = options.clockOffsetSeconds;
  auto logger = std::make_unique<vlogger::VirtualLogger>(logger_options);
  if (!logger->Start()) {
    *error = QString::fromStdString(logger->LastError());
    return nullptr;
  }
  return logger;
}
