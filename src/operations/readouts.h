#pragma once
// Readouts that bring one reply: the error log, the current values, the
// antenna level and the IMEI. A reply with nothing readable in it is
// kNoValue with a message saying so, never an empty success.
#include <optional>
#include <string>
#include <vector>

#include "operations/operation.h"

class CDeviceSession;

namespace ops {

struct TextResult : Result {
  std::string text;  // the error log: each line followed by CR LF
};
// "RD ERR", up to three tries.
TextResult ReadErrorLog(CDeviceSession& session);

struct CurrentValuesResult : Result {
  // ID, date, battery, level, as the logger wrote them (its code page).
  std::vector<std::string> fields;
};
// "RD REL": the first line's first four fields.
CurrentValuesResult ReadCurrentValues(CDeviceSession& session);

struct AntennaResult : Result {
  std::optional<int> signalDbm;
};
// "RD ANT". An empty listing is kNoValue (no reading).
AntennaResult ReadAntenna(CDeviceSession& session);

struct ImeiResult : Result {
  std::string imei;
};
// "MAIL IMEI". A listing without an IMEI line is kNoValue.
ImeiResult ReadImei(CDeviceSession& session);

}  // namespace ops
