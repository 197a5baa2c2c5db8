#include "time_range_options.h"

#include "archive/record_line.h"

namespace {

enum class End { kFirstSecond, kLastSecond };

// The full form of a date, or a date and minutes, at the given end of what
// it names; other texts are left for the parser to refuse.
std::string Completed(std::string text, End end) {
  const bool last = end == End::kLastSecond;
  if (text.size() > 10 && text[10] == ' ') text[10] = 'T';
  if (text.size() == 10) return text + (last ? "T23:59:59" : "T00:00:00");
  if (text.size() == 16) return text + (last ? ":59" : ":00");
  return text;
}

std::optional<int64_t> Parse(const std::string& text, End end) {
  const std::string full = Completed(text, end);
  if (full.size() != 19) return std::nullopt;
  return archive::ParseIsoTime(full);
}

}  // namespace

TimeRangeParse ParseTimeRange(const std::string& command, const std::string& from, const std::string& to) {
  TimeRangeParse result;
  const char* kForms =
      " is not a date (2026-01-03), a date and minutes (2026-01-03T08:30) or a time "
      "(2026-01-03T08:30:00): ";
  auto bad = [&](const char* option, const std::string& text) {
    if (!result.problem.empty()) result.problem += "\n";
    result.problem += command + ": " + option + kForms + text;
  };
  if (!from.empty() && !(result.range.from = Parse(from, End::kFirstSecond))) bad("--from", from);
  if (!to.empty() && !(result.range.to = Parse(to, End::kLastSecond))) bad("--to", to);
  if (result.problem.empty() && result.range.from && result.range.to && *result.range.to < *result.range.from)
    result.problem = command + ": --to " + to + " lies before --from " + from + "; no record could be in the range";
  return result;
}
