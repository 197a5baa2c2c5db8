#include "archive/connect_info.h"

#include "archive/clock_drift.h"
#include "archive/record_line.h"
#include "protocol/device_record.h"

namespace archive {

LoggerIdentity IdentityFromRecord(const DeviceRecord& record, const std::string& deviceName,
                                  const std::string& version) {
  return LoggerIdentity{record.sys.serialNumber, deviceName, version, record.mail.imei};
}

ConnectInfo ConnectInfoFromRecord(const DeviceRecord& record, const std::string& deviceName, const std::string& version,
                                  int64_t pcTime) {
  const CVT7SysInfo& sys = record.sys;
  ConnectInfo c;
  c.logger = IdentityFromRecord(record, deviceName, version);
  c.pcTime = pcTime;
  c.loggerClock = CalendarSeconds(sys.clock.year, sys.clock.month, sys.clock.day, sys.clock.hour, sys.clock.minute,
                                  sys.clock.second);
  // The logger's fields read as local standard time, as the session does.
  c.offset = ClockOffset(sys.clock.ToTime(), pcTime);
  c.measuring = sys.measuring != 0;
  c.samplingS = sys.sampling;
  c.eventSamplingS = sys.eventSampling;
  c.interval = sys.interval;
  c.eventInterval = sys.eventInterval;
  c.batteryAlertMv = sys.batteryAlert;
  c.upperThreshold = sys.upperThreshold;
  c.lowerThreshold = sys.lowerThreshold;
  c.upperEnabled = sys.upperEnabled != 0;
  c.lowerEnabled = sys.lowerEnabled != 0;
  return c;
}

}  // namespace archive
