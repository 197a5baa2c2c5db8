// Every command of quorvane-ctl end to end against the virtual logger that
// --simulate starts inside the tool; --help and the usage errors.
#include <algorithm>
#include <functional>

#include "ctl_fixture.h"

namespace {

// What a command prints: a number of lines, each ended the same way and
// each of the expected form.
struct SimulatedCase {
  std::vector<std::string> args;
  size_t lines;
  std::function<bool(const std::string& line)> lineOk;
  std::string lineEnd = "\n";
};

std::vector<std::string> Split(const std::string& text, const std::string& separator) {
  std::vector<std::string> parts;
  size_t pos = 0;
  for (size_t next; (next = text.find(separator, pos)) != std::string::npos; pos = next + separator.size())
    parts.push_back(text.substr(pos, next - pos));
  if (pos < text.size()) parts.push_back(text.substr(pos));  // an unended last line fails the count
  return parts;
}

bool StartsWith(const std::string& text, const std::string& prefix) {
  return text.compare(0, prefix.size(), prefix) == 0;
}

bool AllDigits(const std::string& text) {
  return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::function<bool(const std::string&)> Is(const std::string& expected) {
  return [expected](const std::string& line) { return line == expected; };
}

class CtlSimulateTest : public CtlTest, public ::testing::WithParamInterface<SimulatedCase> {};

TEST_P(CtlSimulateTest, CommandSucceeds) {
  const SimulatedCase& c = GetParam();
  std::vector<std::string> args{"--simulate"};
  args.insert(args.end(), c.args.begin(), c.args.end());
  const ChildResult r = Ctl(args);
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.err, "");
  const std::vector<std::string> lines = Split(r.out, c.lineEnd);
  EXPECT_EQ(lines.size(), c.lines) << r.out;
  EXPECT_TRUE(r.out.size() >= c.lineEnd.size() && r.out.substr(r.out.size() - c.lineEnd.size()) == c.lineEnd);
  for (const std::string& line : lines) EXPECT_TRUE(c.lineOk(line)) << line;
}

bool KeyLine(const std::string& line) {
  const size_t colon = line.find(": ");
  return colon != std::string::npos && colon > 0 &&
         std::all_of(line.begin(), line.begin() + colon, [](char c) { return (c >= 'a' && c <= 'z') || c == '_'; });
}

bool AntennaLine(const std::string& line) {
  if (StartsWith(line, "signal_dbm: ")) {
    const std::string v = line.substr(12);
    return AllDigits(v[0] == '-' ? v.substr(1) : v);
  }
  return line.size() == 8 && StartsWith(line, "level: ") && line[7] >= '0' && line[7] <= '4';
}

bool CurrentValueRow(const std::string& line) {
  const std::vector<std::string> cells = Split(line + "\t", "\t");
  static const std::vector<std::vector<std::string>> kRows = {
      {"1", "ID", ""}, {"2", "Date", ""}, {"3", "Bat.", "[V]"}, {"4", "WL", "[m]"}};
  return cells.size() == 4 && !cells[2].empty() &&
         std::find(kRows.begin(), kRows.end(), std::vector<std::string>{cells[0], cells[1], cells[3]}) != kRows.end();
}

bool SettingsFileLine(const std::string& line) {
  if (line == "[ZEB_TXLI]" || line == "//6" || line == "//11" || line == "//21" || line == "//22") return true;
  const size_t comma = line.find(',');
  return comma != std::string::npos && comma > 0 &&
         std::all_of(line.begin(), line.begin() + comma, [](char c) { return (c >= 'A' && c <= 'Z') || c == '_'; });
}

INSTANTIATE_TEST_SUITE_P(
    EveryCommand, CtlSimulateTest,
    ::testing::Values(
        SimulatedCase{{"info"}, 28, KeyLine},
        SimulatedCase{
            {"info", "--json"},
            1,
            [](const std::string& l) { return StartsWith(l, "{\"device\":\"Quorvane-HX7\",") && l.back() == '}'; }},
        SimulatedCase{{"sync-time"}, 1, Is("成功")}, SimulatedCase{{"stop"}, 1, Is("成功")},
        // An empty memory: nothing a clear or reset could lose.
        SimulatedCase{{"--sim-records", "0", "clear", "--yes"}, 1, Is("成功")},
        SimulatedCase{{"--sim-records", "0", "reset", "--yes"}, 1, Is("成功")},
        SimulatedCase{{"restart-module", "--yes"}, 1, Is("成功")}, SimulatedCase{{"antenna"}, 2, AntennaLine},
        SimulatedCase{{"imei"}, 1, [](const std::string& l) { return l.size() == 15 && AllDigits(l); }},
        SimulatedCase{{"test-mail"}, 1, Is("成功")}, SimulatedCase{{"set-battery", "3.3"}, 1, Is("バッテリ警告: 成功")},
        SimulatedCase{{"set-thresholds", "--upper", "1.5", "--lower-off"}, 1, Is("判定基準: 成功")},
        SimulatedCase{{"set-apn", "--preset", "soracom"}, 1, Is("アクセスポイント: 成功")},
        SimulatedCase{{"start", "--interval", "0:01:00"}, 1, Is("測定設定: 成功")},
        SimulatedCase{{"current"}, 4, CurrentValueRow},
        SimulatedCase{{"read-errors", "-o", "-"}, 3, [](const std::string& l) { return !l.empty(); }, "\r\n"},
        SimulatedCase{{"read-data", "-o", "-"},
                      2000,
                      [](const std::string& l) { return l.size() > 6 && AllDigits(l.substr(0, 5)) && l[5] == ','; },
                      "\r\n"},
        SimulatedCase{{"export", "-o", "-"}, 19, SettingsFileLine, "\r\n"}));

TEST_F(CtlTest, PortsListsNameTabDescription) {
  const ChildResult r = Ctl({"ports"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  for (const std::string& line : Split(r.out, "\n")) EXPECT_NE(line.find('\t'), std::string::npos) << line;
  EXPECT_TRUE(r.out.empty() || r.out.back() == '\n');
}

TEST_F(CtlTest, ApplyRunsAnExportedFileThroughTheWizard) {
  ASSERT_EQ(Ctl({"--simulate", "export", "-o", "settings.txi"}).exitCode, 0);
  const ChildResult r = Ctl({"--simulate", "apply", "settings.txi"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, "バッテリ警告: 成功\nアクセスポイント: 成功\n判定基準: 成功\n測定設定: 成功\n");
}

TEST_F(CtlTest, HelpForTheToolAndEveryCommand) {
  for (const char* command :
       {"",      "ports",     "info",        "read-data",      "read-errors", "current",        "export",
        "apply", "sync-time", "stop",        "clear",          "reset",       "restart-module", "antenna",
        "imei",  "test-mail", "set-battery", "set-thresholds", "set-apn",     "start"}) {
    std::vector<std::string> args;
    if (*command != '\0') args.push_back(command);
    args.push_back("--help");
    const ChildResult r = Ctl(args);
    EXPECT_EQ(r.exitCode, 0) << command;
    EXPECT_NE(r.out.find("Usage: quorvane-ctl"), std::string::npos) << command << "\n" << r.out;
  }
}

TEST_F(CtlTest, EnglishMessagesFromTheCatalogue) {
  const ChildResult r = Ctl({"--simulate", "--lang", "en", "stop"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, "Succeeded.\n");
}

}  // namespace
