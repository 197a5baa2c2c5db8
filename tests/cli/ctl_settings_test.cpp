// The setting commands against a virtual logger of this process: the command
// lines it receives, in order, and the settings file written by export.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "common/codepage.h"
#include "ctl_fixture.h"
#include "settings/setting_item_list.h"
#include "settings/setting_work.h"

namespace {

using Lines = std::vector<std::string>;

class CtlSettingsTest : public CtlTest {
 protected:
  void SetUp() override {
    CtlTest::SetUp();
    StartLogger();
  }

  // Starts measurement through the tool and forgets what that sent.
  void StartMeasuring() {
    const ChildResult r = CtlOnLogger({"start", "--at", "2030-01-02 03:04"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    MarkEndOfTool();
    ASSERT_TRUE(logger->State().measuring);
    logger->ClearReceived();
  }
};

TEST_F(CtlSettingsTest, BatteryVoltsBecomeMillivolts) {
  const ChildResult r = CtlOnLogger({"set-battery", "3.3"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(LinesFromToolStarting({"ST "}), Lines{"ST BAT 3300"});
  EXPECT_EQ(logger->State().battery_cutoff_mv, 3300);
}

TEST_F(CtlSettingsTest, BatteryWhileMeasuringStopsFirstAndStartsAgain) {
  StartMeasuring();
  const ChildResult r = CtlOnLogger({"set-battery", "2.9"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, "バッテリ警告: 成功\n測定設定: 成功\n");
  const Lines sent = LinesFromToolStarting({"ST "});
  ASSERT_EQ(sent.size(), 5u);
  EXPECT_EQ(sent[0], "ST STP");
  EXPECT_EQ(sent[1], "ST BAT 2900");
  EXPECT_EQ(sent[2].substr(0, 7), "ST SMP ");
  EXPECT_EQ(sent[3].substr(0, 8), "ST SMP2 ");
  EXPECT_EQ(sent[4].substr(0, 7), "ST STM ");
  EXPECT_TRUE(logger->State().measuring);
}

// The field keeps three decimals as it shows them (1.2345 shows as 1.234).
TEST_F(CtlSettingsTest, ThresholdsAsTheJudgementPageSendsThem) {
  const ChildResult r =
      CtlOnLogger({"set-thresholds", "--upper", "1.2345", "--lower", "-0.5", "--upper-on", "--lower-off"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(LinesFromToolStarting({"ST "}), (Lines{"ST ALM AN 1.2340 -0.5000 ", "ST ALM AN ON OFF"}));
  const auto state = logger->State();
  EXPECT_DOUBLE_EQ(state.upper_threshold, 1.234);
  EXPECT_FALSE(state.lower_enabled);
}

TEST_F(CtlSettingsTest, StartSendsTheScheduleThenTheStart) {
  const ChildResult r = CtlOnLogger({"start", "--at", "2030-01-02 03:04", "--interval", "0:00:10", "--tx", "5",
                                     "--event-interval", "0:00:01", "--event-tx", "2"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(LinesFromToolStarting({"ST "}),
            (Lines{"ST SMP D00H00M10S00", "ST ITV 5", "ST SMP2 D00H00M01S00", "ST ITV2 2", "ST STM 30/01/02 03:04"}));
  const auto state = logger->State();
  EXPECT_TRUE(state.measuring);
  EXPECT_EQ(state.sampling_seconds, 600);
  EXPECT_EQ(state.event_interval, 2);
}

TEST_F(CtlSettingsTest, AccessPointFieldsInTheLoggersCodePage) {
  const std::string name = "日本apn";
  ChildResult r = CtlOnLogger({"set-apn", "--name", name, "--user", "", "--password", "pw", "--auth", "none"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  const std::string ansi = codepage::Utf8ToAnsi(name);
  EXPECT_EQ(LinesFromToolStarting({"MAIL A", "MAIL I"}),
            (Lines{"MAIL APN " + ansi, "MAIL APU ", "MAIL APP pw", "MAIL APA", "MAIL INI"}));
  EXPECT_EQ(logger->State().mail.apn, ansi);

  r = CtlOnLogger({"info", "--json"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_NE(r.out.find("\"apn\":\"" + name + "\""), std::string::npos) << r.out;
}

TEST_F(CtlSettingsTest, AccessPointPreset) {
  const ChildResult r = CtlOnLogger({"set-apn", "--preset", "soracom"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(LinesFromToolStarting({"MAIL A", "MAIL I"}), Lines{"MAIL INI MDAP"});
}

const char kSettingsFile[] =
    "[ZEB_TXLI]\r\nDATE,2026-01-02 03:04:05\r\nIMEI,\r\n"
    "//6\r\nBATTERY_ALART,3260\r\n"
    "//11\r\nAP_NAME,file.example\r\nAP_USER,fu\r\nAP_PASS,fp\r\nAP_AUTH,PAP\r\n"
    "//21\r\nALM_AD,0,5.0000,1.0000,1,0\r\n"
    "//22\r\nMES_ENABLE,1\r\nMES_START_TIME,2030-01-03 00:00:00\r\nMES_INTERVAL_TIME,1200\r\n"
    "MES_INTERVAL_NUM,3\r\nMES_INTERVAL_EVENT_TIME,120\r\nMES_INTERVAL_EVENT_NUM,1\r\n";

TEST_F(CtlSettingsTest, ApplySendsTheItemsInTheWizardsOrder) {
  WriteFile(Path("in.txi"), kSettingsFile);
  const ChildResult r = CtlOnLogger({"apply", "in.txi"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, "バッテリ警告: 成功\nアクセスポイント: 成功\n判定基準: 成功\n測定設定: 成功\n");
  // The battery page shows 3260 mV as 3.3 V and sends what it shows.
  EXPECT_EQ(LinesFromToolStarting({"ST ", "MAIL A", "MAIL INI"}),
            (Lines{"ST BAT 3300", "MAIL APN file.example", "MAIL APU fu", "MAIL APP fp", "MAIL APA PAP", "MAIL INI",
                   "ST ALM AN 5.0000 1.0000 ", "ST ALM AN ON OFF", "ST SMP D00H00M20S00", "ST ITV 3",
                   "ST SMP2 D00H00M02S00", "ST STM 30/01/03 00:00"}));
}

TEST_F(CtlSettingsTest, ApplyWhileMeasuringStopsBeforeTheBatteryAndAppendsTheSchedule) {
  StartMeasuring();
  WriteFile(Path("in.txi"), kSettingsFile);
  const ChildResult r = CtlOnLogger({"apply", "in.txi", "--items", "21,6"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, "バッテリ警告: 成功\n判定基準: 成功\n測定設定: 成功\n");
  const Lines sent = LinesFromToolStarting({"ST ", "MAIL A", "MAIL I"});
  ASSERT_EQ(sent.size(), 7u) << ::testing::PrintToString(sent);
  EXPECT_EQ(sent[0], "ST STP");
  EXPECT_EQ(sent[1], "ST BAT 3300");
  EXPECT_EQ(sent[2], "ST ALM AN 5.0000 1.0000 ");
  EXPECT_EQ(sent[3], "ST ALM AN ON OFF");
  // The appended schedule page restarts the logger's own schedule.
  EXPECT_EQ(sent[4], "ST SMP D00H00M10S00");
  EXPECT_EQ(sent[5], "ST SMP2 D00H00M01S00");
  EXPECT_EQ(sent[6].substr(0, 7), "ST STM ");
  EXPECT_TRUE(logger->State().measuring);
}

TEST_F(CtlSettingsTest, ApplyStopsAtTheFirstFailedPage) {
  WriteFile(Path("in.txi"), kSettingsFile);
  logger->RefuseCommands("MAIL APP", -1);
  const ChildResult r = CtlOnLogger({"apply", "in.txi"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.out, "バッテリ警告: 成功\n");
  EXPECT_EQ(r.err, "アクセスポイント: " + Text(strings::id::kFailed) + "\nError: ( -APP )\n");
  const Lines sent = LinesFromToolStarting({"ST ", "MAIL INI"});
  EXPECT_EQ(sent, Lines{"ST BAT 3300"});
}

// The DATE line's time, as the export took it.
std::tm DateOf(const std::string& file) {
  std::tm t{};
  const size_t at = file.find("DATE,");
  EXPECT_NE(at, std::string::npos);
  std::sscanf(file.c_str() + at, "DATE,%d-%d-%d %d:%d:%d", &t.tm_year, &t.tm_mon, &t.tm_mday, &t.tm_hour, &t.tm_min,
              &t.tm_sec);
  t.tm_year -= 1900;
  t.tm_mon -= 1;
  return t;
}

TEST_F(CtlSettingsTest, ExportIsTheCoreWritersFileOfTheLogger) {
  WriteFile(Path("out.txi"), std::string(5000, 'x'));  // a longer file leaves no trace
  ChildResult r = CtlOnLogger({"export", "-o", "out.txi"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  r = CtlOnLogger({"export", "--items", "22,6"});
  ASSERT_EQ(r.exitCode, 0) << r.err;

  CDeviceSession session;
  ASSERT_EQ(session.Open(logger->PortPath()), 0);
  ASSERT_EQ(session.Identify(), 1);
  session.RefreshSystemInfo();
  session.ReadMailSettings();
  CSettingItemList all;
  all.Init(session.Current().sys.deviceType, true);
  const std::string written = ReadFile(Path("out.txi"));
  EXPECT_EQ(written, CVTCSettingWork::FormatSettingsFile(session.Current(), all, DateOf(written)));

  // The default name carries the time of the DATE line.
  const std::vector<std::string> files = Files();
  ASSERT_EQ(files.size(), 2u);
  const std::string& named = files[0] == "out.txi" ? files[1] : files[0];
  const std::string chosen = ReadFile(Path(named));
  EXPECT_EQ(named, CVTCSettingWork::DefaultFileName(DateOf(chosen)));
  EXPECT_EQ(r.out, named + "\n");
  CSettingItemList some = all;
  for (int i = 0; i < kSettingItemCount; ++i) some.entries[i].selected = (i == 6 || i == 22) ? 1 : 0;
  EXPECT_EQ(chosen, CVTCSettingWork::FormatSettingsFile(session.Current(), some, DateOf(chosen)));
}

TEST_F(CtlSettingsTest, ExportThatCannotBeWrittenFails) {
  const std::string target = Path("missing/out.txi");
  const ChildResult r = CtlOnLogger({"export", "-o", target});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.err, Text(strings::id::kFileCreateFailed) + "\n(" + target + ": " + std::strerror(ENOENT) + ")\n");
  EXPECT_TRUE(Files().empty());
}

}  // namespace
