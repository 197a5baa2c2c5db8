// quorvane-ctl against a logger that misbehaves: nothing is sent that the
// user did not give or the logger did not report, no record that arrived is
// lost, and a logger whose measurement was stopped is restarted or reported.
#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "command_line.h"
#include "ctl_fixture.h"
#include "operations/operation_strings.h"

namespace {

using Lines = std::vector<std::string>;

// The record IDs of a saved readout, one per whole line.
std::vector<int> SavedIds(const std::string& text) {
  std::vector<int> ids;
  size_t at = 0;
  for (size_t end; (end = text.find("\r\n", at)) != std::string::npos; at = end + 2)
    ids.push_back(std::atoi(text.c_str() + at));
  EXPECT_EQ(at, text.size()) << "the file ends in a partial line";
  return ids;
}

constexpr const char* kBatteryFile =
    "[ZEB_TXLI]\r\nDATE,2024-01-31 10:00:00\r\nIMEI,1\r\n"
    "//6\r\nBATTERY_ALART,3600\r\n"
    "//22\r\nMES_ENABLE,1\r\nMES_START_TIME,2031-05-06 07:08:00\r\nMES_INTERVAL_TIME,60\r\n";

class CtlMisbehavingLoggerTest;

struct Scenario {
  const char* name;
  bool measuring;  // the logger measures on its own schedule before the command
  std::function<void(vlogger::VirtualLogger&)> fault;
  std::vector<std::string> args;
  int exitCode;
  std::function<void(CtlMisbehavingLoggerTest&, const ChildResult&)> check;
};

class CtlMisbehavingLoggerTest : public CtlTest, public ::testing::WithParamInterface<Scenario> {
 public:
  // The setting lines the tool sent, in order.
  Lines SettingLines() { return LinesFromToolStarting({"ST ", "MAIL AP", "MAIL INI", "ALM "}); }
  static bool HasPrefix(const std::string& line, const char* prefix) { return line.rfind(prefix, 0) == 0; }
  std::string FileText(const std::string& name) { return ReadFile(Path(name)); }
  Lines FilesLeft() const { return Files(); }
  vlogger::LoggerState Now() const { return logger->State(); }
  vlogger::LoggerState before;
};

TEST_P(CtlMisbehavingLoggerTest, NothingWrongIsSentNothingArrivedIsLost) {
  const Scenario& s = GetParam();
  vlogger::Options options;
  options.preset_records = 1000;
  StartLogger(options);
  if (s.measuring) {
    const ChildResult started = CtlOnLogger({"start", "--at", "2030-01-02 03:04", "--interval", "0:01:00"});
    ASSERT_EQ(started.exitCode, 0) << started.err;
    MarkEndOfTool();
    ASSERT_TRUE(logger->State().measuring);
    logger->ClearReceived();
  }
  before = logger->State();
  if (s.fault) s.fault(*logger);
  WriteFile(Path("battery.txi"), kBatteryFile);
  const ChildResult r = CtlOnLogger(s.args);
  EXPECT_EQ(r.exitCode, s.exitCode) << r.err;
  s.check(*this, r);
}

std::string Msg(uint32_t id) { return TerminalText(id); }

// The tool's lines for a line that hung up (a pseudo-terminal reports EIO).
std::string LineLost() { return Msg(strings::id::kLineLost) + "\n" + std::strerror(EIO) + "\n"; }

// "RD SYS" or "MAIL DSP" not read: nothing goes out, the message names the listing.
auto NothingSent(const char* listing) {
  return [listing](CtlMisbehavingLoggerTest& t, const ChildResult& r) {
    EXPECT_TRUE(t.SettingLines().empty());
    EXPECT_NE(r.err.find(listing), std::string::npos) << r.err;
    EXPECT_EQ(r.out, "");
  };
}

auto Refuse(const char* prefix) {
  return [prefix](vlogger::VirtualLogger& l) { l.RefuseCommands(prefix, 3); };
}

const Scenario kScenarios[] = {
    // 1: a listing refused or unanswered at connect
    {"ApnWithoutMailListing", false, Refuse("MAIL DSP"), {"set-apn", "--user", "newuser"}, 1, NothingSent("MAIL DSP")},
    {"StartWithoutSysListing", false, Refuse("RD SYS"), {"start", "--interval", "0:00:10"}, 1, NothingSent("RD SYS")},
    {"ThresholdsWithoutSysListing",
     false,
     Refuse("RD SYS"),
     {"set-thresholds", "--upper-off"},
     1,
     NothingSent("RD SYS")},
    {"BatteryWithSilentSysListing",
     false,
     [](vlogger::VirtualLogger& l) { l.SilenceCommands("RD SYS", 3); },
     {"set-battery", "3.3"},
     1,
     NothingSent("RD SYS")},
    {"InfoWithoutSysListing", false, Refuse("RD SYS"), {"info"}, 1, NothingSent("RD SYS")},
    {"ExportWithoutMailListing",
     false,
     Refuse("MAIL DSP"),
     {"export", "-o", "out.txi"},
     1,
     [](CtlMisbehavingLoggerTest& t, const ChildResult& r) {
       NothingSent("MAIL DSP")(t, r);
       EXPECT_TRUE(t.FilesLeft() == Lines{"battery.txi"});
     }},
    // 2: a readout that breaks off in the middle of a line keeps the whole records
    {"ReadoutCutMidLine",
     false,
     [](vlogger::VirtualLogger& l) { l.DropAfterBytes(20011); },
     {"read-data", "-o", "data.txt"},
     1,
     [](CtlMisbehavingLoggerTest& t, const ChildResult& r) {
       const std::vector<int> ids = SavedIds(t.FileText("data.txt"));
       ASSERT_FALSE(ids.empty());
       EXPECT_LT(ids.size(), 1000u);
       for (size_t i = 0; i < ids.size(); ++i) EXPECT_EQ(ids[i], static_cast<int>(i) + 1);
       char expected[256];
       std::snprintf(expected, sizeof expected, Msg(strings::id::kReadoutIncomplete).c_str(),
                     static_cast<long>(ids.size()), 1000L);
       EXPECT_NE(r.err.find(expected), std::string::npos) << r.err;
       EXPECT_NE(r.err.find(LineLost()), std::string::npos) << r.err;
     }},
    // A logger that hangs up instead of answering: the lost line and the
    // system's reason, once.
    {"CommandOnAHungUpLine",
     false,
     [](vlogger::VirtualLogger& l) { l.DropOnCommand("ST STP"); },
     {"stop"},
     1,
     [](CtlMisbehavingLoggerTest&, const ChildResult& r) { EXPECT_EQ(r.err, LineLost()); }},
    // 3: a refused value in an apply on a measuring logger: restarted and said so
    {"RefusedValueRestartsMeasurement",
     true,
     [](vlogger::VirtualLogger& l) { l.RefuseCommands("ST BAT", -1); },
     {"apply", "battery.txi", "--items", "6"},
     1,
     [](CtlMisbehavingLoggerTest& t, const ChildResult& r) {
       const Lines sent = t.SettingLines();
       ASSERT_GE(sent.size(), 5u);
       EXPECT_EQ(sent[0], "ST STP");
       EXPECT_EQ(std::count(sent.begin(), sent.end(), "ST BAT 3600"), 3);
       EXPECT_TRUE(CtlMisbehavingLoggerTest::HasPrefix(sent.back(), "ST STM"));
       EXPECT_TRUE(t.Now().measuring);
       EXPECT_EQ(t.Now().sampling_seconds, t.before.sampling_seconds);
       EXPECT_NE(r.err.find(Msg(strings::id::kMeasurementRestarted)), std::string::npos) << r.err;
     }},
    // 4: an unticked item keeps the logger's values; the same input sends what the page sends
    {"UntickedScheduleStaysTheLoggers",
     true,
     nullptr,
     {"apply", "battery.txi", "--items", "6"},
     0,
     [](CtlMisbehavingLoggerTest& t, const ChildResult&) {
       const Lines sent = t.SettingLines();
       EXPECT_EQ(std::count(sent.begin(), sent.end(), "ST BAT 3600"), 1);
       EXPECT_TRUE(
           std::none_of(sent.begin(), sent.end(), [](const std::string& l) { return l == "ST SMP D00H00M01S00"; }));
       EXPECT_EQ(t.Now().sampling_seconds, t.before.sampling_seconds);
       EXPECT_TRUE(t.Now().measuring);
     }},
    // A voltage the page's field cannot hold (more than one decimal) is
    // refused, nothing sent; a valid one is sent as the page sends it.
    {"BatteryThePageCouldNotHoldIsRefused",
     false,
     nullptr,
     {"set-battery", "3.355"},
     exit_status::kUsage,
     [](CtlMisbehavingLoggerTest& t, const ChildResult&) { EXPECT_TRUE(t.SettingLines().empty()); }},
    {"BatteryAsThePageSendsIt",
     false,
     nullptr,
     {"set-battery", "3.4"},
     0,
     [](CtlMisbehavingLoggerTest& t, const ChildResult&) { EXPECT_EQ(t.SettingLines(), Lines{"ST BAT 3400"}); }},
    {"LimitsAsThePageKeepsThem",
     false,
     nullptr,
     {"set-thresholds", "--upper", "1.234", "--lower", "-0.000"},
     0,
     [](CtlMisbehavingLoggerTest& t, const ChildResult&) {
       const Lines sent = t.SettingLines();
       ASSERT_FALSE(sent.empty());
       EXPECT_EQ(sent[0], "ST ALM AN 1.2340 0.0000 ");
     }},
    // 5: nothing readable in the reply
    {"ImeiWithoutDigits",
     false,
     [](vlogger::VirtualLogger& l) { l.SetImei(""); },
     {"imei"},
     1,
     [](CtlMisbehavingLoggerTest&, const ChildResult& r) {
       EXPECT_EQ(r.out, "");
       EXPECT_EQ(r.err, Msg(strings::id::kNoValueRead) + "\n");
     }},
    {"AntennaWithoutReading",
     false,
     [](vlogger::VirtualLogger& l) { l.SetAntennaLevel(std::nullopt); },
     {"antenna"},
     1,
     [](CtlMisbehavingLoggerTest&, const ChildResult& r) {
       EXPECT_EQ(r.out, "");
       EXPECT_EQ(r.err, Msg(strings::id::kNoValueRead) + "\n");
     }},
};

INSTANTIATE_TEST_SUITE_P(Scenarios, CtlMisbehavingLoggerTest, ::testing::ValuesIn(kScenarios),
                         [](const ::testing::TestParamInfo<Scenario>& info) { return std::string(info.param.name); });

}  // namespace
