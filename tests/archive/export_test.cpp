#include "archive/export_format.h"

#include <cstdio>

#include "archive_fixture.h"

namespace {

using archive::ExportFormat;

class ExportTest : public ArchiveTest {
 protected:
  std::string Export(archive::Archive& a, const std::string& serial, ExportFormat format,
                     std::optional<int64_t> from = std::nullopt, std::optional<int64_t> to = std::nullopt,
                     int64_t* written = nullptr) {
    std::string out;
    archive::ExportCounts counts;
    EXPECT_TRUE(archive::ExportRecords(
                    a, serial, from, to, format,
                    [&out](const char* bytes, size_t size) {
                      out.append(bytes, size);
                      return true;
                    },
                    &counts)
                    .ok());
    if (written != nullptr) *written = counts.written;
    return out;
  }

  // Runs a Python script on the file; returns what it printed.
  std::string Python(const std::string& script, const std::string& file) {
    const std::string scriptPath = dir + "/check.py";
    std::ofstream(scriptPath) << script;
    std::FILE* p = popen(("python3 '" + scriptPath + "' '" + file + "' 2>&1").c_str(), "r");
    std::string out;
    char buf[512];
    while (std::fgets(buf, sizeof buf, p) != nullptr) out += buf;
    EXPECT_EQ(pclose(p), 0) << out;
    return out;
  }

  // A serial that needs quoting, the wrap, a negative level, a noise line.
  void Fill(archive::Archive& a) {
    std::vector<std::string> lines = {Line(99999, 0, 3612, "1.2345"), "#>RX:$NOISE", Line(0, 10, 3598, "-0.0500"),
                                      Line(1, 20, 3000, "12.0000")};
    archive::ReadoutWriter w(a);
    ASSERT_TRUE(w.BeginReadout({serial, "", "", ""}, {0, 0}, 1).ok());
    ASSERT_TRUE(w.AddRecordLines(lines).ok());
    ASSERT_TRUE(w.EndReadout(4, true, 2).ok());
  }

  const std::string serial = "S\"1,2\"";
};

TEST_F(ExportTest, CsvReadsBackInPythonsCsvModuleWithTheRightTypes) {
  archive::Archive a;
  ASSERT_TRUE(a.Open(path).ok());
  Fill(a);
  int64_t written = 0;
  const std::string csv = Export(a, serial, ExportFormat::kCsv, std::nullopt, std::nullopt, &written);
  EXPECT_EQ(written, 4);
  EXPECT_EQ(csv.rfind("serial,id,time,battery_v,level_m,parsed,raw\r\n", 0), 0u);
  std::ofstream(dir + "/out.csv", std::ios::binary) << csv;
  const std::string got = Python(R"py(
import csv, sys, datetime
with open(sys.argv[1], newline='', encoding='utf-8') as f:
    rows = list(csv.reader(f, strict=True))
assert rows[0] == ['serial', 'id', 'time', 'battery_v', 'level_m', 'parsed', 'raw'], rows[0]
for serial, id_, time, battery, level, parsed, raw in rows[1:]:
    if parsed == '0':
        print(repr(serial), repr(raw), id_ + time + battery + level)
        continue
    t = datetime.datetime.fromisoformat(time)
    print(repr(serial), int(id_), t.isoformat(), float(battery), float(level), parsed, repr(raw))
)py",
                                 dir + "/out.csv");
  EXPECT_EQ(got,
            "'S\"1,2\"' 99999 2026-01-03T00:00:00 3.612 1.2345 1 ''\n"
            "'S\"1,2\"' 0 2026-01-03T00:10:00 3.598 -0.05 1 ''\n"
            "'S\"1,2\"' 1 2026-01-03T00:20:00 3.0 12.0 1 ''\n"
            "'S\"1,2\"' '#>RX:$NOISE' \n");
}

TEST_F(ExportTest, JsonLinesCarryTheSameFields) {
  archive::Archive a;
  ASSERT_TRUE(a.Open(path).ok());
  Fill(a);
  std::ofstream(dir + "/out.jsonl", std::ios::binary) << Export(a, serial, ExportFormat::kJsonl);
  const std::string got = Python(R"py(
import json, sys
for line in open(sys.argv[1], encoding='utf-8'):
    o = json.loads(line)
    assert list(o) == ['serial', 'id', 'time', 'battery_v', 'level_m', 'parsed', 'raw'], o
    if not o['parsed']:
        print(o['serial'], o['id'], o['time'], o['battery_v'], o['level_m'], o['raw'])
        continue
    assert type(o['id']) is int and type(o['battery_v']) is float and o['raw'] is None, o
    print(o['serial'], o['id'], o['time'], o['level_m'])
)py",
                                 dir + "/out.jsonl");
  EXPECT_EQ(got,
            "S\"1,2\" 99999 2026-01-03T00:00:00 1.2345\n"
            "S\"1,2\" 0 2026-01-03T00:10:00 -0.05\n"
            "S\"1,2\" 1 2026-01-03T00:20:00 12.0\n"
            "S\"1,2\" None None None None #>RX:$NOISE\n");
}

TEST_F(ExportTest, TxtIsTheLoggersLinesIncludingThoseThatDoNotParse) {
  archive::Archive a;
  ASSERT_TRUE(a.Open(path).ok());
  Fill(a);
  EXPECT_EQ(Export(a, serial, ExportFormat::kTxt), Line(99999, 0, 3612, "1.2345") + "\r\n" +
                                                       Line(0, 10, 3598, "-0.0500") + "\r\n" +
                                                       Line(1, 20, 3000, "12.0000") + "\r\n#>RX:$NOISE\r\n");
}

TEST_F(ExportTest, TimeBoundsAreInclusiveAndLeaveUnparsedLinesOut) {
  archive::Archive a;
  ASSERT_TRUE(a.Open(path).ok());
  Fill(a);
  const auto t10 = archive::ParseIsoTime("2026-01-03T00:10:00");
  EXPECT_EQ(Export(a, serial, ExportFormat::kTxt, t10, t10), Line(0, 10, 3598, "-0.0500") + "\r\n");
  EXPECT_EQ(Export(a, serial, ExportFormat::kTxt, t10, std::nullopt),
            Line(0, 10, 3598, "-0.0500") + "\r\n" + Line(1, 20, 3000, "12.0000") + "\r\n");
  EXPECT_EQ(Export(a, "unknown", ExportFormat::kCsv), "serial,id,time,battery_v,level_m,parsed,raw\r\n");
}

TEST_F(ExportTest, ReadoutFormatterForTheReadCommand) {
  archive::RecordFormatter csv(ExportFormat::kCsv, "S1");
  archive::RecordFormatter jsonl(ExportFormat::kJsonl, "S1");
  archive::RecordFormatter txt(ExportFormat::kTxt, "S1");
  std::string out;
  EXPECT_TRUE(csv.AppendLine(out, "00091,26/01/03 08:30:00,3.612,1.2345\r\n"));
  EXPECT_FALSE(csv.AppendLine(out, "#>RX:$NOISE\r\n"));
  EXPECT_EQ(out, "S1,91,2026-01-03T08:30:00,3.612,1.2345,1,\r\nS1,,,,,0,#>RX:$NOISE\r\n");
  EXPECT_EQ(csv.UnparsedLines(), 1);
  out.clear();
  EXPECT_TRUE(jsonl.AppendLine(out, "00091,26/01/03 08:30:00,3.612,1.2345"));
  EXPECT_EQ(out,
            "{\"serial\":\"S1\",\"id\":91,\"time\":\"2026-01-03T08:30:00\",\"battery_v\":3.612,\"level_m\":1.2345,"
            "\"parsed\":true,\"raw\":null}\n");
  out.clear();
  EXPECT_FALSE(txt.AppendLine(out, "#>RX:$NOISE\r\n"));
  EXPECT_EQ(out, "#>RX:$NOISE\r\n");
  EXPECT_EQ(txt.UnparsedLines(), 0);
  EXPECT_EQ(txt.Header(), "");
  EXPECT_EQ(archive::ParseExportFormat("xls"), std::nullopt);
}

// The lines a noisy readout brings, each of which must come out as exactly
// one row that Python's csv (strict) and json modules read from UTF-8; the
// raw text, its escape undone, gives the line's bytes.
TEST_F(ExportTest, EveryLineIsOneRowThatCsvAndJsonReadersTake) {
  const std::vector<std::string> lines = {
      "00091,26/01/03 08:30:00,3.612,1.2345",
      "00092,26/01/03 08:40:00,3.612,1.2345\xA0\xFE",  // two 8-bit bytes after a record
      "a,\"quoted\",with\rCR",
      "00001,garbled#$%",
      "",
      "back\\slash \\x41 \xE6\x97\xA5 \x7F\t\x01",  // a backslash that looks like the escape, UTF-8, controls
      "cut \xE6\x97",                               // a UTF-8 character cut off
      "\xED\xA0\x80 \xC0\xAF \xF4\x90\x80\x80",     // a surrogate, an overlong form, above U+10FFFF
  };
  std::string expected;
  for (const std::string& line : lines) {
    const std::optional<archive::RecordValues> v = archive::ParseRecordLine(line);
    if (v) {
      expected += "1 " + std::to_string(v->id) + "\n";
      continue;
    }
    expected += "0 ";
    for (unsigned char c : line) {
      char hex[3];
      std::snprintf(hex, sizeof hex, "%02x", c);
      expected += hex;
    }
    expected += "\n";
  }
  const std::string unescape = R"py(
import csv, json, sys
def raw_bytes(text):
    out, i = bytearray(), 0
    while i < len(text):
        if text[i] == '\\':
            if text[i + 1] == '\\':
                out += b'\\'
                i += 2
            else:
                assert text[i + 1] == 'x', text
                out.append(int(text[i + 2:i + 4], 16))
                i += 4
        else:
            out += text[i].encode('utf-8')
            i += 1
    return bytes(out)
def show(parsed, id_, raw):
    print('1 %d' % int(id_) if parsed else '0 ' + raw_bytes(raw).hex())
)py";
  const std::string readCsv = unescape + R"py(
with open(sys.argv[1], newline='', encoding='utf-8', errors='strict') as f:
    rows = list(csv.reader(f, strict=True))
assert rows[0] == ['serial', 'id', 'time', 'battery_v', 'level_m', 'parsed', 'raw'], rows[0]
for row in rows[1:]:
    assert len(row) == 7 and row[0] == 'S\\x9F', row
    assert row[5] == '1' or row[1:5] == ['', '', '', ''], row
    show(row[5] == '1', row[1], row[6])
)py";
  const std::string readJson = unescape + R"py(
for line in open(sys.argv[1], encoding='utf-8', errors='strict', newline=''):
    assert line.endswith('\n') and '\r' not in line, repr(line)
    o = json.loads(line)
    assert o['serial'] == 'S\\x9F', o
    assert o['parsed'] or (o['id'], o['time'], o['battery_v'], o['level_m']) == (None, None, None, None), o
    show(o['parsed'], o['id'], o['raw'])
)py";
  const struct {
    ExportFormat format;
    const char* file;
    const std::string& script;
  } cases[] = {{ExportFormat::kCsv, "/rows.csv", readCsv}, {ExportFormat::kJsonl, "/rows.jsonl", readJson}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    archive::RecordFormatter formatter(c.format, "S\x9F");  // a serial with a byte that is not UTF-8
    std::string out = formatter.Header();
    for (const std::string& line : lines) formatter.AppendLine(out, line + "\r\n");
    EXPECT_EQ(formatter.UnparsedLines(), static_cast<int64_t>(lines.size()) - 1);
    std::ofstream(dir + c.file, std::ios::binary) << out;
    EXPECT_EQ(Python(c.script, dir + c.file), expected);
  }
}

}  // namespace

namespace {

// Lines with bytes that are not UTF-8 are archived as they came; another
// SQLite client (Python's, which refuses text that is not UTF-8) reads every
// row, and the export writes as many rows as "loggers" counts.
TEST_F(ExportTest, NoisyLinesAreArchivedReadableByOtherClientsAndExportedAll) {
  archive::Archive a;
  ASSERT_TRUE(a.Open(path).ok());
  const std::vector<std::string> lines = {Line(1, 0) + "\xA0\xFE", Line(2, 10), "00003,\xE6\x97\xA5", "\xFF"};
  Readout(a, lines);
  const std::string got = Python(R"py(
import sqlite3, sys
rows = sqlite3.connect(sys.argv[1]).execute('SELECT raw FROM records ORDER BY id').fetchall()
print(' '.join((r if isinstance(r, bytes) else r.encode('utf-8')).hex() for (r,) in rows))
)py",
                                 path);
  std::string expected;
  for (const std::string& line : lines) {
    for (unsigned char c : line) {
      char hex[3];
      std::snprintf(hex, sizeof hex, "%02x", c);
      expected += hex;
    }
    expected += line == lines.back() ? "\n" : " ";
  }
  EXPECT_EQ(got, expected);
  std::vector<archive::LoggerSummary> loggers;
  ASSERT_TRUE(a.Loggers(&loggers).ok());
  for (const ExportFormat format : {ExportFormat::kCsv, ExportFormat::kJsonl, ExportFormat::kTxt}) {
    int64_t written = 0;
    Export(a, "S100", format, std::nullopt, std::nullopt, &written);
    EXPECT_EQ(written, loggers.at(0).records);
  }
}

}  // namespace
