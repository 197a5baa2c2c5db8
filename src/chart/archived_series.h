#pragma once
// The archived records of one logger as the chart's arrays: read with one
// prepared statement straight into the columns (no raw text, no record
// objects), then the gaps marked where IDs skip or the time step exceeds the
// usual one.
#include <cstdint>
#include <string>

#include "archive/archive.h"
#include "chart/record_series.h"

namespace chart {

// The parsed records of `serial` whose logger time lies in [from, to], in
// order of logger time. *series is replaced; on failure it is left empty.
archive::Status ReadArchivedSeries(archive::Archive& store, const std::string& serial, int64_t from, int64_t to,
                                   RecordSeries* series);

}  // namespace chart
