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
    const std::string out = dir + "/export.out";
    std::FILE* f = std::fopen(out.c_str(), "wb");
    int64_t n = 0;
    EXPECT_TRUE(archive::ExportRecords(a, serial, from, to, format, f, &n).ok());
    std::fclose(f);
    if (written != nullptr) *written = n;
    return ReadFile(out);
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
  EXPECT_EQ(written, 3);
  EXPECT_EQ(csv.rfind("serial,id,time,battery_v,level_m\r\n", 0), 0u);
  std::ofstream(dir + "/out.csv", std::ios::binary) << csv;
  const std::string got = Python(R"py(
import csv, sys, datetime
with open(sys.argv[1], newline='', encoding='utf-8') as f:
    rows = list(csv.reader(f, strict=True))
assert rows[0] == ['serial', 'id', 'time', 'battery_v', 'level_m'], rows[0]
for serial, id_, time, battery, level in rows[1:]:
    t = datetime.datetime.fromisoformat(time)
    print(repr(serial), int(id_), t.isoformat(), float(battery), float(level))
)py",
                                 dir + "/out.csv");
  EXPECT_EQ(got,
            "'S\"1,2\"' 99999 2026-01-03T00:00:00 3.612 1.2345\n"
            "'S\"1,2\"' 0 2026-01-03T00:10:00 3.598 -0.05\n"
            "'S\"1,2\"' 1 2026-01-03T00:20:00 3.0 12.0\n");
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
    assert list(o) == ['serial', 'id', 'time', 'battery_v', 'level_m'], o
    assert type(o['id']) is int and type(o['battery_v']) is float, o
    print(o['serial'], o['id'], o['time'], o['level_m'])
)py",
                                 dir + "/out.jsonl");
  EXPECT_EQ(got,
            "S\"1,2\" 99999 2026-01-03T00:00:00 1.2345\n"
            "S\"1,2\" 0 2026-01-03T00:10:00 -0.05\n"
            "S\"1,2\" 1 2026-01-03T00:20:00 12.0\n");
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
  EXPECT_EQ(Export(a, "unknown", ExportFormat::kCsv), "serial,id,time,battery_v,level_m\r\n");
}

TEST_F(ExportTest, ReadoutFormatterForTheReadCommand) {
  const archive::RecordFormatter csv(ExportFormat::kCsv, "S1");
  const archive::RecordFormatter jsonl(ExportFormat::kJsonl, "S1");
  const archive::RecordFormatter txt(ExportFormat::kTxt, "S1");
  std::string out;
  EXPECT_TRUE(csv.AppendLine(out, "00091,26/01/03 08:30:00,3.612,1.2345\r\n"));
  EXPECT_FALSE(csv.AppendLine(out, "#>RX:$NOISE\r\n"));
  EXPECT_EQ(out, "S1,91,2026-01-03T08:30:00,3.612,1.2345\r\n");
  out.clear();
  EXPECT_TRUE(jsonl.AppendLine(out, "00091,26/01/03 08:30:00,3.612,1.2345"));
  EXPECT_EQ(out,
            "{\"serial\":\"S1\",\"id\":91,\"time\":\"2026-01-03T08:30:00\",\"battery_v\":3.612,\"level_m\":1.2345}\n");
  out.clear();
  EXPECT_TRUE(txt.AppendLine(out, "#>RX:$NOISE\r\n"));
  EXPECT_EQ(out, "#>RX:$NOISE\r\n");
  EXPECT_EQ(txt.Header(), "");
  EXPECT_EQ(archive::ParseExportFormat("xls"), std::nullopt);
}

}  // namespace
