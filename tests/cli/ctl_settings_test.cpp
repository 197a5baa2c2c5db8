// The setting commands against a virtual logger of this process: the command
// lines it receives, in order, and the settings file written by export.
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fstream>
#include <thread>

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

TEST_F(CtlSettingsTest, ThresholdsAsTheJudgementPageSendsThem) {
  const ChildResult r =
      CtlOnLogger({"set-thresholds", "--upper", "1.234", "--lower", "-0.5", "--upper-on", "--lower-off"});
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
  const std::string name = "ｱｲｳapn";  // half-width katakana: single bytes in the code page
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
    "//6\r\nBATTERY_ALART,3300\r\n"
    "//11\r\nAP_NAME,file.example\r\nAP_USER,fu\r\nAP_PASS,fp\r\nAP_AUTH,PAP\r\n"
    "//21\r\nALM_AD,0,5.0000,1.0000,1,0\r\n"
    "//22\r\nMES_ENABLE,1\r\nMES_START_TIME,2030-01-03 00:00:00\r\nMES_INTERVAL_TIME,1200\r\n"
    "MES_INTERVAL_NUM,3\r\nMES_INTERVAL_EVENT_TIME,120\r\nMES_INTERVAL_EVENT_NUM,1\r\n";

TEST_F(CtlSettingsTest, ApplySendsTheItemsInTheWizardsOrder) {
  WriteFile(Path("in.txi"), kSettingsFile);
  const ChildResult r = CtlOnLogger({"apply", "in.txi"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, "バッテリ警告: 成功\nアクセスポイント: 成功\n判定基準: 成功\n測定設定: 成功\n");
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

// The settings file's lines with the line of `key` replaced by `line`.
std::string FileWithLine(const std::string& key, const std::string& line) {
  std::string text = kSettingsFile;
  const size_t at = text.find("\n" + key + ",") + 1;
  return text.replace(at, text.find("\r\n", at) - at, line);
}

struct BadValue {
  std::string key;
  std::string line;
  int lineNumber;
};

class CtlApplyBadValueTest : public CtlSettingsTest, public ::testing::WithParamInterface<BadValue> {};

TEST_P(CtlApplyBadValueTest, RefusedWithKeyAndLineAndNothingSent) {
  const BadValue& c = GetParam();
  WriteFile(Path("bad.txi"), FileWithLine(c.key, c.line));
  const ChildResult r = CtlOnLogger({"apply", "bad.txi"});
  EXPECT_EQ(r.exitCode, 1) << r.out;
  EXPECT_EQ(r.err.rfind(Text(strings::id::kNotValidFile) + "\n", 0), 0u) << r.err;
  const std::string shownKey = c.key == "ALM_AD" ? "ALM_AD" : c.key;
  EXPECT_NE(r.err.find(shownKey + " (" + std::to_string(c.lineNumber)), std::string::npos) << r.err;
  // The value, or the reason that names its first field.
  const std::string value = c.line.substr(c.line.find(c.key == "ALM_AD" ? ",0," : ",") + (c.key == "ALM_AD" ? 3 : 1));
  EXPECT_NE(r.err.find(value.substr(0, value.find(','))), std::string::npos) << r.err;
  EXPECT_EQ(BytesFromTool(), "");
}

// The same bad values are refused by the command-line options (CtlUsageTest).
INSTANTIATE_TEST_SUITE_P(
    Values, CtlApplyBadValueTest,
    ::testing::Values(
        BadValue{"BATTERY_ALART", "BATTERY_ALART,3.3", 5}, BadValue{"BATTERY_ALART", "BATTERY_ALART,abc", 5},
        BadValue{"BATTERY_ALART", "BATTERY_ALART,\xEF\xBC\x93\xEF\xBC\x90\xEF\xBC\x90\xEF\xBC\x90", 5},
        BadValue{"ALM_AD", "ALM_AD,0,abc,def,1,1", 12}, BadValue{"ALM_AD", "ALM_AD,0,2,5,1,0,1,1", 12},
        BadValue{"ALM_AD", "ALM_AD,0,99999999,-1e300,1,1", 12}, BadValue{"ALM_AD", "ALM_AD,0,inf,nan,1,1", 12},
        BadValue{"MES_INTERVAL_TIME", "MES_INTERVAL_TIME,abc", 16},
        BadValue{"MES_INTERVAL_TIME", "MES_INTERVAL_TIME,8640000", 16},
        BadValue{"MES_START_TIME", "MES_START_TIME,2027-13-45 25:61:61", 15},
        BadValue{"MES_START_TIME", "MES_START_TIME,1999-12-31 00:00:00", 15},
        BadValue{"MES_START_TIME", "MES_START_TIME,2150-01-01 00:00:00", 15},
        BadValue{"MES_INTERVAL_NUM", "MES_INTERVAL_NUM,241", 17}, BadValue{"AP_AUTH", "AP_AUTH,mschap", 10},
        BadValue{"AP_NAME", "AP_NAME,\xE3\x83\x86\xE3\x82\xB9\xE3\x83\x88", 7},
        BadValue{"AP_USER", "AP_USER,caf\xC3\xA9\xF0\x9F\x98\x80", 8}));

TEST_F(CtlSettingsTest, ApplyTakesAuthenticationInAnyCaseAndSendsItCanonical) {
  WriteFile(Path("in.txi"), FileWithLine("AP_AUTH", "AP_AUTH,chap"));
  const ChildResult r = CtlOnLogger({"apply", "in.txi", "--items", "11"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(LinesFromToolStarting({"MAIL APA"}), Lines{"MAIL APA CHAP"});
}

TEST_F(CtlSettingsTest, FilesThatAreNoSettingsFileSay2504) {
  for (const std::string& bytes : {std::string(),
                                   std::string("\x7F"
                                               "ELF\x02\x01\0\0",
                                               8),
                                   std::string("\xFF\xFE[\0Z\0E\0B\0_\0", 12), std::string("[zeb_txli]\r\n")}) {
    WriteFile(Path("f.txi"), bytes);
    const ChildResult r = CtlOnLogger({"apply", "f.txi"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, Text(strings::id::kNotValidFile) + "\n(f.txi)\n");
  }
  EXPECT_EQ(BytesFromTool(), "");
}

TEST_F(CtlSettingsTest, ExportAppliesBackUnchanged) {
  ChildResult r = CtlOnLogger({"export", "-o", "own.txi"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const auto before = logger->State();
  logger->ClearReceived();
  // With a UTF-8 byte-order mark in front, as some editors save it.
  WriteFile(Path("bom.txi"), "\xEF\xBB\xBF" + ReadFile(Path("own.txi")));
  for (const char* file : {"own.txi", "bom.txi"}) {
    r = CtlOnLogger({"apply", file, "--items", "6,11,21"});
    EXPECT_EQ(r.exitCode, 0) << file << r.err;
    EXPECT_EQ(r.out, "バッテリ警告: 成功\nアクセスポイント: 成功\n判定基準: 成功\n") << file;
  }
  const auto after = logger->State();
  EXPECT_EQ(after.battery_cutoff_mv, before.battery_cutoff_mv);
  EXPECT_EQ(after.mail.apn, before.mail.apn);
  EXPECT_EQ(after.mail.apa, before.mail.apa);
  EXPECT_DOUBLE_EQ(after.upper_threshold, before.upper_threshold);
  EXPECT_DOUBLE_EQ(after.lower_threshold, before.lower_threshold);
  EXPECT_EQ(after.upper_enabled, before.upper_enabled);
}

TEST_F(CtlSettingsTest, ApplyReadsStandardInputAndPipes) {
  WriteFile(Path("in.txi"), kSettingsFile);
  ChildProcess fromFile;
  Launch(fromFile, OnLogger({"apply", "-", "--items", "6"}), Path("in.txi"));
  ChildResult r = fromFile.Finish();
  EXPECT_EQ(r.exitCode, 0) << r.err;

  // Standard input a pipe, as in "cat in.txi | quorvane-ctl apply -".
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  ASSERT_EQ(write(fds[1], kSettingsFile, sizeof kSettingsFile - 1), static_cast<ssize_t>(sizeof kSettingsFile - 1));
  close(fds[1]);
  ChildProcess fromPipe;
  Launch(fromPipe, OnLogger({"apply", "-", "--items", "6"}), "/dev/fd/" + std::to_string(fds[0]));
  r = fromPipe.Finish();
  close(fds[0]);
  EXPECT_EQ(r.exitCode, 0) << r.err;

  // A named pipe: the tool waits for its writer as any reader does.
  const std::string fifo = Path("in.fifo");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  ChildProcess fromFifo;
  Launch(fromFifo, OnLogger({"apply", fifo, "--items", "6"}));
  {
    std::ofstream writer(fifo, std::ios::binary);  // opens once the tool reads
    writer << kSettingsFile;
  }
  r = fromFifo.Finish();
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(LinesFromToolStarting({"ST BAT"}), (Lines{"ST BAT 3300", "ST BAT 3300", "ST BAT 3300"}));
}

TEST_F(CtlSettingsTest, InterruptEndsTheWaitForAPipeWriter) {
  const std::string fifo = Path("lonely.fifo");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  ChildProcess child;
  Launch(child, OnLogger({"apply", fifo}));
  // Wait until the tool is blocked opening the pipe (no writer will come).
  const std::string wchan = "/proc/" + std::to_string(child.Pid()) + "/wchan";
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  for (;;) {
    const std::string where = ReadFile(wchan);
    if (where == "wait_for_partner" || where == "fifo_open") break;
    ASSERT_LT(std::chrono::steady_clock::now(), deadline) << where;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  child.Signal(SIGINT);
  const ChildResult r = child.Finish();
  EXPECT_EQ(r.signal, SIGINT);
  EXPECT_EQ(BytesFromTool(), "");
}

}  // namespace
