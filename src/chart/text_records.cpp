#include "chart/text_records.h"

#include <string_view>

#include "archive/record_line.h"

namespace chart {

RecordSeries RecordsOfText(const std::string& text, int64_t maxStep) {
  RecordSeries series;
  series.Reserve(text.size() / 32);
  const std::string_view all(text);
  for (size_t at = 0; at < all.size();) {
    size_t end = all.find('\n', at);
    end = end == std::string_view::npos ? all.size() : end + 1;
    if (const auto values = archive::ParseRecordLine(all.substr(at, end - at)))
      series.Append(values->id, values->time, values->levelM, values->batteryV);
    at = end;
  }
  MarkGaps(series, archive::kRecordIdModulus, maxStep > 0 ? maxStep : TypicalStep(series));
  return series;
}

}  // namespace chart
