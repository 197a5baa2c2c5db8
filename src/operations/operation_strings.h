#pragma once
// Ids of the texts of the device operations in the string table.
#include <cstdint>

namespace strings::id {
constexpr uint32_t kListingNotRead = 7400;  // "%s": the listing's command
constexpr uint32_t kNoValueRead = 7401;
constexpr uint32_t kReadoutIncomplete = 7402;    // records arrived, records asked for
constexpr uint32_t kReadoutDamagedLines = 7403;  // lines that were not records
constexpr uint32_t kReadoutOverrun = 7404;
constexpr uint32_t kMeasurementRestarted = 7405;
constexpr uint32_t kMeasurementLeftStopped = 7406;
constexpr uint32_t kOfferRestartMeasurement = 7407;
constexpr uint32_t kValueNotRead = 7408;  // mark of a field not read from the logger
}  // namespace strings::id
