#pragma once
// The records of a readout's text (the logger's record lines) as the chart's
// arrays, with gaps marked where IDs skip or time steps exceed `maxStep`
// seconds (the sampling interval; 0: the most common step is taken).
// Lines that are not record lines are left out.
#include <string>

#include "chart/record_series.h"

namespace chart {
RecordSeries RecordsOfText(const std::string& text, int64_t maxStep);
}
