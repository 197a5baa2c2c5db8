#pragma once
// A connect as the archive keeps it, from what the session read from the
// logger ("WAKE" identity, "RD SYS", "MAIL DSP") and the PC clock.
#include <cstdint>
#include <string>

#include "archive/archive.h"

struct DeviceRecord;

namespace archive {

// pcTime: seconds since the epoch when "RD SYS" was read.
ConnectInfo ConnectInfoFromRecord(const DeviceRecord& record, const std::string& deviceName, const std::string& version,
                                  int64_t pcTime);

// The logger's identity as the archive keys it (the serial of "RD SYS").
LoggerIdentity IdentityFromRecord(const DeviceRecord& record, const std::string& deviceName,
                                  const std::string& version);

}  // namespace archive
