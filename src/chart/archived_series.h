#pragma once
// The archived records of one logger as the chart's arrays: read with one
// prepared statement straight into the columns (no raw text, no record
// objects), then the gaps marked where IDs skip or the time step exceeds the
// usual one.
#include <cstdint>
#include <optional>
#include <string>

#include "archive/archive.h"
#include "chart/record_series.h"

namespace chart {

// The parsed records of `serial` whose logger time lies in [from, to], in
// order of logger time. *series is replaced; on failure it is left empty.
archive::Status ReadArchivedSeries(archive::Archive& store, const std::string& serial, int64_t from, int64_t to,
                                   RecordSeries* series);

// The judgement limits the logger reported at its latest archived connect.
struct ArchivedLimits {
  double upper = 0;
  double lower = 0;
  bool upperOn = false;
  bool lowerOn = false;
};

// *limits is left empty when no connect of `serial` recorded them.
archive::Status ReadArchivedLimits(archive::Archive& store, const std::string& serial,
                                   std::optional<ArchivedLimits>* limits);

}  // namespace chart
