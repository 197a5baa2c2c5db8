#pragma once
// Ids of the texts of the device operations in the string table.
#include <cstdint>

namespace strings::id {
constexpr uint32_t kListingNotRead = 7400;  // "%s": the listing's command
constexpr uint32_t kNoValueRead = 7401;
constexpr uint32_t kReadoutIncomplete = 7402;    // broke off without its end line: records kept, asked for
constexpr uint32_t kReadoutDamagedLines = 7403;  // lines that were not records
constexpr uint32_t kReadoutOverrun = 7404;
constexpr uint32_t kMeasurementRestarted = 7405;
constexpr uint32_t kMeasurementLeftStopped = 7406;
constexpr uint32_t kOfferRestartMeasurement = 7407;
constexpr uint32_t kValueNotRead = 7408;                 // mark of a field not read from the logger
constexpr uint32_t kReadoutRepeats = 7420;               // records that arrived again
constexpr uint32_t kReadoutUnparsed = 7421;              // record-shaped lines that are no record
constexpr uint32_t kReadoutOutOfRange = 7422;            // records outside the range asked for
constexpr uint32_t kReadoutRefused = 7423;               // records kept, records asked for
constexpr uint32_t kReadoutEndedEarly = 7424;            // records kept, records asked for
constexpr uint32_t kReadoutBrokeOffUnknownCount = 7425;  // records kept
constexpr uint32_t kReadoutFlooded = 7426;
constexpr uint32_t kReadoutLastNotHeld = 7427;  // the ID asked for, the memory's first and last ID
// The same texts for a count of exactly one.
constexpr uint32_t kReadoutRepeatsOne = 7430;
constexpr uint32_t kReadoutUnparsedOne = 7431;
constexpr uint32_t kReadoutOutOfRangeOne = 7432;
constexpr uint32_t kReadoutDamagedLinesOne = 7433;
constexpr uint32_t kReadoutBrokeOffUnknownCountOne = 7434;
}  // namespace strings::id
