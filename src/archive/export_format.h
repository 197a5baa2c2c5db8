#pragma once
// Record lines as files for other programs: CSV (RFC 4180, UTF-8, CR LF,
// header "serial,id,time,battery_v,level_m,parsed,raw"), JSON Lines with the
// same fields, or the logger's own line form (txt). Times are the logger's
// clock in ISO 8601 without a zone. Every line becomes a row: a line that
// parses as a record has parsed 1 (JSON true) and its values; one that does
// not has parsed 0 (false), empty values (JSON null) and its text in raw,
// written with the escape of raw_text.h (the serial too), so the file stays
// valid UTF-8 and no byte is lost. txt carries every line as it came.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "archive/archive_status.h"
#include "archive/record_line.h"

namespace archive {

class Archive;

enum class ExportFormat { kTxt, kCsv, kJsonl };

// "txt", "csv" or "jsonl".
std::optional<ExportFormat> ParseExportFormat(std::string_view name);

class RecordFormatter {
 public:
  RecordFormatter(ExportFormat format, std::string_view serial);

  // What comes before the first record (the CSV header row).
  std::string Header() const;
  // Appends one record line (CR and LF at its end dropped) in the format.
  // True when the line parsed as a record; a line that does not is written
  // all the same (and counted in UnparsedLines() for CSV and JSON Lines).
  bool AppendLine(std::string& out, std::string_view rawLine);
  // Appends the record's values (CSV, JSON Lines) or its raw line (txt).
  void AppendRecord(std::string& out, const RecordValues& values, std::string_view rawLine) const;
  // Appends a line that is not a record: its text, no values.
  void AppendUnparsed(std::string& out, std::string_view rawLine);
  // The rows written with parsed 0 (CSV, JSON Lines; always 0 for txt).
  int64_t UnparsedLines() const { return unparsed_; }

 private:
  ExportFormat format_;
  std::string csvSerial_;   // quoted where RFC 4180 needs it
  std::string jsonSerial_;  // as a JSON string
  int64_t unparsed_ = 0;
};

// Where an export's bytes go; false when they could not be written.
using ByteSink = std::function<bool(const char* bytes, size_t size)>;

struct ExportCounts {
  int64_t written = 0;      // rows (txt: lines) written
  int64_t unparsed = 0;     // of them, lines that are not records (CSV, JSON Lines)
  bool sinkFailed = false;  // the sink refused bytes; its owner knows why
};

// Streams the logger's archived records, with a logger time in [from, to]
// when given, to `sink` in the format (lines that are not records only
// without a bound, as they have no time).
Status ExportRecords(Archive& archive, const std::string& serial, std::optional<int64_t> from,
                     std::optional<int64_t> to, ExportFormat format, const ByteSink& sink, ExportCounts* counts);

}  // namespace archive
