#include "archive/export_format.h"

#include <charconv>
#include <cstdio>

#include "archive/archive.h"
#include "archive/raw_text.h"
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

std::string Escaped(std::string_view bytes) {
  std::string out;
  AppendEscapedRaw(out, bytes);
  return out;
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

RecordFormatter::RecordFormatter(ExportFormat format, std::string_view serial)
    : format_(format), csvSerial_(CsvField(Escaped(serial))), jsonSerial_(JsonString(Escaped(serial))) {}

std::string RecordFormatter::Header() const {
  return format_ == ExportFormat::kCsv ? "serial,id,time,battery_v,level_m,parsed,raw\r\n" : "";
}

bool RecordFormatter::AppendLine(std::string& out, std::string_view rawLine) {
  rawLine = StripLineEnd(rawLine);
  const std::optional<RecordValues> v = ParseRecordLine(rawLine);
  if (v) {
    AppendRecord(out, *v, rawLine);
  } else {
    AppendUnparsed(out, rawLine);
  }
  return v.has_value();
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
      out += ",1,\r\n";
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
      out += ",\"parsed\":true,\"raw\":null}\n";
      return;
  }
}

void RecordFormatter::AppendUnparsed(std::string& out, std::string_view rawLine) {
  rawLine = StripLineEnd(rawLine);
  switch (format_) {
    case ExportFormat::kTxt:
      out.append(rawLine);
      out += "\r\n";
      return;
    case ExportFormat::kCsv:
      ++unparsed_;
      out += csvSerial_;
      out += ",,,,,0,";
      out += CsvField(Escaped(rawLine));
      out += "\r\n";
      return;
    case ExportFormat::kJsonl:
      ++unparsed_;
      out += "{\"serial\":";
      out += jsonSerial_;
      out += ",\"id\":null,\"time\":null,\"battery_v\":null,\"level_m\":null,\"parsed\":false,\"raw\":";
      out += JsonString(Escaped(rawLine));
      out += "}\n";
      return;
  }
}

Status ExportRecords(Archive& archive, const std::string& serial, std::optional<int64_t> from,
                     std::optional<int64_t> to, ExportFormat format, const ByteSink& sink, ExportCounts* counts) {
  *counts = ExportCounts();
  RecordFormatter formatter(format, serial);
  std::string buffer = formatter.Header();
  buffer.reserve(1 << 17);
  auto drain = [&]() {
    if (!buffer.empty() && !counts->sinkFailed && !sink(buffer.data(), buffer.size())) counts->sinkFailed = true;
    buffer.clear();
  };
  const Status s = archive.ForEachRecord(
      serial, from, to,
      [&](const ArchivedRecord& r) {
        if (r.parsed) {
          formatter.AppendRecord(buffer, RecordValues{r.id, r.time, r.batteryV, r.levelM}, r.raw);
        } else {
          formatter.AppendUnparsed(buffer, r.raw);
        }
        ++counts->written;
        if (buffer.size() >= (1 << 16)) drain();
        return !counts->sinkFailed;
      },
      format == ExportFormat::kTxt);
  drain();
  counts->unparsed = formatter.UnparsedLines();
  return s;
}

}  // namespace archive
