#include "archive/export_format.h"

#include <cerrno>
#include <charconv>
#include <cstring>

#include "archive/archive.h"
#include "archive/record_line.h"

namespace archive {
namespace {

std::string CsvField(std::string_view text) {
  if (text.find_first_of(",\"\r\n") == std::string_view::npos) return std::string(text);
  std::string out = "\"";
  for (char c : text) {
    if (c == '"') out += '"';
    out += c;
  }
  out += '"';
  return out;
}

std::string JsonString(std::string_view text) {
  std::string out = "\"";
  for (unsigned char c : text) {
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (c < 0x20) {
          char u[8];
          std::snprintf(u, sizeof u, "\\u%04x", c);
          out += u;
        } else {
          out += static_cast<char>(c);
        }
    }
  }
  out += '"';
  return out;
}

// Shortest text that reads back as the same double: 3.612, 1.2345, -0.5.
void AppendNumber(std::string& out, double v) {
  char text[32];
  auto [end, ec] = std::to_chars(text, text + sizeof text, v);
  if (ec != std::errc()) end = text + std::snprintf(text, sizeof text, "%.6f", v);
  out.append(text, end);
  // Always a decimal number, so that a reader keeps it a float ("3.0").
  if (std::string_view(text, static_cast<size_t>(end - text)).find_first_of(".en") == std::string_view::npos)
    out += ".0";
}

void AppendInt(std::string& out, int64_t v) {
  char text[24];
  auto [end, ec] = std::to_chars(text, text + sizeof text, v);
  out.append(text, end);
}

}  // namespace

std::optional<ExportFormat> ParseExportFormat(std::string_view name) {
  if (name == "txt") return ExportFormat::kTxt;
  if (name == "csv") return ExportFormat::kCsv;
  if (name == "jsonl") return ExportFormat::kJsonl;
  return std::nullopt;
}

RecordFormatter::RecordFormatter(ExportFormat format, std::string serial)
    : format_(format), csvSerial_(CsvField(serial)), jsonSerial_(JsonString(serial)) {}

std::string RecordFormatter::Header() const {
  return format_ == ExportFormat::kCsv ? "serial,id,time,battery_v,level_m\r\n" : "";
}

bool RecordFormatter::AppendLine(std::string& out, std::string_view rawLine) const {
  rawLine = StripLineEnd(rawLine);
  if (format_ == ExportFormat::kTxt) {
    out.append(rawLine);
    out += "\r\n";
    return true;
  }
  const std::optional<RecordValues> v = ParseRecordLine(rawLine);
  if (!v) return false;
  AppendRecord(out, *v, rawLine);
  return true;
}

void RecordFormatter::AppendRecord(std::string& out, const RecordValues& v, std::string_view rawLine) const {
  char iso[24];
  char* isoEnd = PutIsoTime(iso, v.time);
  switch (format_) {
    case ExportFormat::kTxt:
      out.append(StripLineEnd(rawLine));
      out += "\r\n";
      return;
    case ExportFormat::kCsv:
      out += csvSerial_;
      out += ',';
      AppendInt(out, v.id);
      out += ',';
      out.append(iso, isoEnd);
      out += ',';
      AppendNumber(out, v.batteryV);
      out += ',';
      AppendNumber(out, v.levelM);
      out += "\r\n";
      return;
    case ExportFormat::kJsonl:
      out += "{\"serial\":";
      out += jsonSerial_;
      out += ",\"id\":";
      AppendInt(out, v.id);
      out += ",\"time\":\"";
      out.append(iso, isoEnd);
      out += "\",\"battery_v\":";
      AppendNumber(out, v.batteryV);
      out += ",\"level_m\":";
      AppendNumber(out, v.levelM);
      out += "}\n";
      return;
  }
}

Status ExportRecords(Archive& archive, const std::string& serial, std::optional<int64_t> from,
                     std::optional<int64_t> to, ExportFormat format, std::FILE* out, int64_t* written) {
  *written = 0;
  const RecordFormatter formatter(format, serial);
  std::string buffer = formatter.Header();
  buffer.reserve(1 << 17);
  bool writeFailed = false;
  auto drain = [&]() {
    if (!buffer.empty() && std::fwrite(buffer.data(), 1, buffer.size(), out) != buffer.size()) writeFailed = true;
    buffer.clear();
  };
  Status s = archive.ForEachRecord(
      serial, from, to,
      [&](const ArchivedRecord& r) {
        if (!r.parsed) {
          if (format != ExportFormat::kTxt) return true;
          buffer.append(r.raw);
          buffer += "\r\n";
        } else {
          formatter.AppendRecord(buffer, RecordValues{r.id, r.time, r.batteryV, r.levelM}, r.raw);
        }
        ++*written;
        if (buffer.size() >= (1 << 16)) drain();
        return !writeFailed;
      },
      format == ExportFormat::kTxt);
  drain();
  if (std::fflush(out) != 0) writeFailed = true;
  if (writeFailed) return Status{Failure::kUnreadable, std::string("write: ") + std::strerror(errno)};
  return s;
}

}  // namespace archive
