#pragma once
// Record lines as files for other programs: CSV (RFC 4180, UTF-8, CR LF,
// header "serial,id,time,battery_v,level_m"), JSON Lines with the same
// fields, or the logger's own line form (txt). Times are the logger's clock
// in ISO 8601 without a zone. CSV and JSON Lines carry only lines that parse
// as records; txt carries every line as it came.
#include <cstdint>
#include <cstdio>
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
  RecordFormatter(ExportFormat format, std::string serial);

  // What comes before the first record (the CSV header row).
  std::string Header() const;
  // Appends one record line in the format; false (nothing appended) for a
  // line that does not parse, in CSV and JSON Lines.
  bool AppendLine(std::string& out, std::string_view rawLine) const;
  // Appends the record's values (CSV, JSON Lines) or its raw line (txt).
  void AppendRecord(std::string& out, const RecordValues& values, std::string_view rawLine) const;

 private:
  ExportFormat format_;
  std::string csvSerial_;   // quoted where RFC 4180 needs it
  std::string jsonSerial_;  // as a JSON string
};

// Streams the logger's archived records, with a logger time in [from, to]
// when given, to `out` in the format. *written counts the records written.
// Status reason "write: ..." when the output failed.
Status ExportRecords(Archive& archive, const std::string& serial, std::optional<int64_t> from,
                     std::optional<int64_t> to, ExportFormat format, std::FILE* out, int64_t* written);

}  // namespace archive
