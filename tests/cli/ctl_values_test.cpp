// What the operator gives is what the logger gets, or it is refused with the
// reason: settings file values, option values and the page fields the
// tool leaves as the logger has them, against a virtual logger of this
// process that records every line it receives. Also the conventions of the
// tool: sync-time's question, ports and --port, the language of the
// environment, the masked password, option messages.
#include <sys/stat.h>

#include <cctype>
#include <cerrno>
#include <cstring>

#include "ctl_fixture.h"

namespace {

using Lines = std::vector<std::string>;

const std::string kHead = "[ZEB_TXLI]\r\nDATE,2026-01-02 03:04:05\r\nIMEI,\r\n";

std::string ScheduleBlock(const std::string& start, const std::string& interval, const std::string& eventInterval) {
  return "//22\r\nMES_ENABLE,1\r\nMES_START_TIME," + start + "\r\nMES_INTERVAL_TIME," + interval +
         "\r\nMES_INTERVAL_NUM,3\r\nMES_INTERVAL_EVENT_TIME," + eventInterval + "\r\nMES_INTERVAL_EVENT_NUM,1\r\n";
}
const std::string kGoodSchedule = ScheduleBlock("2030-01-03 00:00:00", "600", "60");

struct ValueCase {
  const char* what;
  std::vector<std::string> args;  // "in.txi" is the file below
  std::string file;
  int exitCode;
  Lines sent;          // the setting lines the logger received, in order
  std::string reason;  // on standard error when refused
  int samplingSeconds = 600;
};

void PrintTo(const ValueCase& c, std::ostream* os) { *os << c.what; }

class CtlValueTest : public CtlTest, public ::testing::WithParamInterface<ValueCase> {};

TEST_P(CtlValueTest, SentAsGivenOrRefusedWithTheReason) {
  const ValueCase& c = GetParam();
  vlogger::Options options;
  options.sampling_seconds = c.samplingSeconds;
  StartLogger(options);
  if (!c.file.empty()) WriteFile(Path("in.txi"), kHead + c.file);
  const ChildResult r = CtlOnLogger(c.args);
  EXPECT_EQ(r.exitCode, c.exitCode) << r.err;
  if (c.reason.empty())
    EXPECT_EQ(r.err, "");
  else
    EXPECT_NE(r.err.find(c.reason), std::string::npos) << r.err;
  EXPECT_EQ(LinesFromToolStarting({"ST BAT", "ST SMP", "ST ALM", "ST STM", "ST STP"}), c.sent);
}

const char kStepReason[] = "3333 mV: 設定は 100 mV 単位です (3300 または 3400)";

INSTANTIATE_TEST_SUITE_P(
    FileOptionAndPage, CtlValueTest,
    ::testing::Values(
        ValueCase{
            "file battery on a step", {"apply", "in.txi"}, "//6\r\nBATTERY_ALART,3300\r\n", 0, {"ST BAT 3300"}, ""},
        ValueCase{"file battery between steps",
                  {"apply", "in.txi"},
                  "//6\r\nBATTERY_ALART,3333\r\n",
                  1,
                  {},
                  std::string("BATTERY_ALART (5行目): ") + kStepReason},
        ValueCase{"file battery half a step",
                  {"apply", "in.txi"},
                  "//6\r\nBATTERY_ALART,3350\r\n",
                  1,
                  {},
                  "3350 mV: 設定は 100 mV 単位です (3300 または 3400)"},
        ValueCase{"file schedule in minutes",
                  {"apply", "in.txi"},
                  kGoodSchedule,
                  0,
                  {"ST SMP D00H00M10S00", "ST SMP2 D00H00M01S00", "ST STM 30/01/03 00:00"},
                  ""},
        ValueCase{"file interval of 90 s",
                  {"apply", "in.txi"},
                  ScheduleBlock("2030-01-03 00:00:00", "90", "60"),
                  1,
                  {},
                  "MES_INTERVAL_TIME (7行目): 90 秒: 間隔は分単位で設定します (送信される値は 60 秒)"},
        ValueCase{"file interval of 7 s",
                  {"apply", "in.txi"},
                  ScheduleBlock("2030-01-03 00:00:00", "7", "60"),
                  1,
                  {},
                  "7 秒: 間隔は分単位で設定します (送信される値は 0 秒)"},
        ValueCase{"file event interval of 59 s",
                  {"apply", "in.txi"},
                  ScheduleBlock("2030-01-03 00:00:00", "600", "59"),
                  1,
                  {},
                  "MES_INTERVAL_EVENT_TIME (9行目): 59 秒"},
        ValueCase{"file zero interval",
                  {"apply", "in.txi"},
                  ScheduleBlock("2030-01-03 00:00:00", "0", "60"),
                  1,
                  {},
                  "0 秒: 間隔の設定範囲は 1分 - 10日 (60 - 864000 秒) です"},
        ValueCase{"file start with seconds",
                  {"apply", "in.txi"},
                  ScheduleBlock("2030-01-03 00:00:30", "600", "60"),
                  1,
                  {},
                  "2030-01-03 00:00:30: 測定開始日時は分単位で設定します (送信される値は 2030-01-03 00:00)"},
        ValueCase{"file limits to the millimetre",
                  {"apply", "in.txi"},
                  "//21\r\nALM_AD,0,5.0000,1.0000,1,0\r\n",
                  0,
                  {"ST ALM AN 5.0000 1.0000 ", "ST ALM AN ON OFF"},
                  ""},
        ValueCase{"file limit finer than the page",
                  {"apply", "in.txi"},
                  "//21\r\nALM_AD,0,1.2345,1.0000,1,0\r\n",
                  1,
                  {},
                  "1.2345 m: 判定値は 0.001 m 単位で設定します (送信される値は 1.2340)"},
        ValueCase{"a bad item stops the good ones",
                  {"apply", "in.txi"},
                  "//6\r\nBATTERY_ALART,3300\r\n" + ScheduleBlock("2030-01-03 00:00:00", "90", "60"),
                  1,
                  {},
                  "90 秒"},
        ValueCase{"option volts between steps", {"set-battery", "3.35"}, "", 2, {}, "at most one decimal"},
        ValueCase{"option zero interval", {"start", "--interval", "0:00:00"}, "", 2, {}, "0:00:01 (1 minute)"},
        ValueCase{"option over ten days", {"start", "--interval", "10:23:59"}, "", 2, {}, "10:00:00 (10 days)"},
        ValueCase{"option ten days",
                  {"start", "--at", "2030-01-02 03:04", "--interval", "10:00:00"},
                  "",
                  0,
                  {"ST SMP D10H00M00S00", "ST SMP2 D00H00M01S00", "ST STM 30/01/02 03:04"},
                  ""},
        ValueCase{"option limit finer than the page",
                  {"set-thresholds", "--upper", "1.2345"},
                  "",
                  2,
                  {},
                  "1.2345 m: 判定値は 0.001 m 単位で設定します (送信される値は 1.2340)"},
        ValueCase{"option limits to the millimetre",
                  {"set-thresholds", "--upper", "1.234", "--lower", "-0.5"},
                  "",
                  0,
                  {"ST ALM AN 1.2340 -0.5000 "},
                  ""},
        // The page would show the logger's 90 s as 00:01 and send 60 s; no one
        // sees it here, so the command is refused.
        ValueCase{"page field left as the logger has it",
                  {"start", "--tx", "5"},
                  "",
                  1,
                  {},
                  "測定設定: 90 秒: 間隔は分単位で設定します (送信される値は 60 秒)",
                  90},
        ValueCase{"page field given anew",
                  {"start", "--at", "2030-01-02 03:04", "--interval", "0:00:02"},
                  "",
                  0,
                  {"ST SMP D00H00M02S00", "ST SMP2 D00H00M01S00", "ST STM 30/01/02 03:04"},
                  "",
                  90}),
    [](const ::testing::TestParamInfo<ValueCase>& info) {
      std::string name;
      for (const char* p = info.param.what; *p != '\0'; ++p)
        name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
      return name;
    });

class CtlValuesLoggerTest : public CtlTest {
 protected:
  void SetUp() override {
    CtlTest::SetUp();
    StartLogger();
  }
};

TEST_F(CtlValuesLoggerTest, SettingsFilesAreTakenWholeOrRefused) {
  std::string tooLong = kHead + "//6\r\nBATTERY_ALART,3300\r\n";
  tooLong.resize(100000, ' ');
  tooLong += "\r\n//22\r\nMES_ENABLE,1\r\nMES_INTERVAL_TIME,abc\r\n";
  struct Case {
    std::string bytes;
    std::string reason;
  };
  const Case cases[] = {
      {kHead + "//11\r\nAP_NAME,a.ex" + std::string(1, '\0') + "ample\r\n" + kGoodSchedule,
       "5行目: NULバイトがあります"},
      {tooLong, "6行目: 100000バイトを超えるファイルは読み込めません"},
  };
  for (const Case& c : cases) {
    WriteFile(Path("in.txi"), c.bytes);
    const ChildResult r = CtlOnLogger({"apply", "in.txi"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, Text(strings::id::kNotValidFile) + "\n" + c.reason + "\n(in.txi)\n");
    EXPECT_EQ(LinesFromToolStarting({"ST ", "MAIL A", "MAIL I"}), Lines{});
  }
}

TEST_F(CtlValuesLoggerTest, SettingsFileThatCannotBeOpenedSaysWhy) {
  ASSERT_EQ(mkdir(Path("folder.txi").c_str(), 0700), 0);
  for (const auto& [name, err] : {std::pair<std::string, int>{"folder.txi", EISDIR}, {"absent.txi", ENOENT}}) {
    const ChildResult r = CtlOnLogger({"apply", name});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, Text(strings::id::kFileOpenFailed) + "\n(" + name + ": " + std::strerror(err) + ")\n");
  }
}

TEST_F(CtlValuesLoggerTest, SyncTimeWhileMeasuringAsksFirst) {
  ASSERT_EQ(CtlOnLogger({"start", "--at", "2030-01-02 03:04"}).exitCode, 0);
  MarkEndOfTool();
  logger->ClearReceived();
  ChildResult r = CtlOnLogger({"sync-time"});
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_EQ(r.err, Text(strings::id::kConfirmTimeSync) + "\nquorvane-ctl: add --yes to go ahead\n");
  EXPECT_EQ(LinesFromToolStarting({"MAIL TIME"}), Lines{});

  logger->ClearReceived();
  r = CtlOnLogger({"sync-time", "--yes"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(LinesFromToolStarting({"MAIL TIME"}), Lines{"MAIL TIME"});
}

TEST_F(CtlValuesLoggerTest, InfoMasksThePasswordUnlessAsked) {
  ASSERT_EQ(CtlOnLogger({"set-apn", "--name", "apn.example", "--password", "secret", "--auth", "pap"}).exitCode, 0);
  ChildResult r = CtlOnLogger({"info"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_NE(r.out.find("\napn_password: ********\n"), std::string::npos) << r.out;
  EXPECT_EQ(r.out.find("secret"), std::string::npos);
  r = CtlOnLogger({"info", "--json"});
  EXPECT_NE(r.out.find("\"apn_password\":\"********\""), std::string::npos) << r.out;
  EXPECT_EQ(r.out.find("secret"), std::string::npos);
  r = CtlOnLogger({"info", "--json", "--show-password"});
  EXPECT_NE(r.out.find("\"apn_password\":\"secret\""), std::string::npos) << r.out;
}

// ports prints what --port takes; a bare name is the device of that name.
TEST_F(CtlTest, PortsPrintWhatPortTakes) {
  const ChildResult r = Ctl({"ports"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  for (size_t pos = 0, end; (end = r.out.find('\n', pos)) != std::string::npos; pos = end + 1)
    EXPECT_EQ(r.out.compare(pos, 5, "/dev/"), 0) << r.out;
  // "null" is /dev/null (no file of that name here): opened, but no serial line.
  const ChildResult bare = Ctl({"--port", "null", "info"});
  EXPECT_EQ(bare.exitCode, 1);
  EXPECT_NE(bare.err.find(std::strerror(ENOTTY)), std::string::npos) << bare.err;
}

TEST_F(CtlTest, LanguageFromTheOptionThenTheEnvironment) {
  const std::string japanese = Text(strings::id::kPortCannotOpen);
  const std::string english = "The serial port cannot be opened.";
  struct Case {
    std::vector<std::string> env;  // LC_ALL, LC_MESSAGES, LANG
    std::vector<std::string> lang;
    std::string expected;
  };
  const Case cases[] = {
      {{"LC_ALL=", "LC_MESSAGES=", "LANG="}, {}, japanese},
      {{"LC_ALL=", "LC_MESSAGES=", "LANG=en_GB.UTF-8"}, {}, english},
      {{"LC_ALL=", "LC_MESSAGES=", "LANG=C"}, {}, english},
      {{"LC_ALL=", "LC_MESSAGES=", "LANG=ja_JP.UTF-8"}, {}, japanese},
      {{"LC_ALL=", "LC_MESSAGES=en_US.UTF-8", "LANG=ja_JP.UTF-8"}, {}, english},
      {{"LC_ALL=ja_JP.UTF-8", "LC_MESSAGES=en_US.UTF-8", "LANG=en_US.UTF-8"}, {}, japanese},
      {{"LC_ALL=en_US.UTF-8", "LC_MESSAGES=", "LANG="}, {"--lang", "ja"}, japanese},
      {{"LC_ALL=ja_JP.UTF-8", "LC_MESSAGES=", "LANG="}, {"--lang", "en"}, english},
  };
  for (const Case& c : cases) {
    language_ = c.env;
    std::vector<std::string> args = c.lang;
    args.insert(args.end(), {"--port", Path("no-such-tty"), "info"});
    const ChildResult r = Ctl(args);
    EXPECT_EQ(r.err.compare(0, c.expected.size(), c.expected), 0) << ::testing::PrintToString(c.env) << r.err;
  }
}

TEST_F(CtlTest, CountsNameTheirRangeInTheOptionsTerms) {
  for (const char* count : {"0", "-5", "", "x"}) {
    const ChildResult r = Ctl({"--simulate", "read-data", "--count", count});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.err.find("expected a whole number of records from 1 to 100000"), std::string::npos) << r.err;
  }
  const ChildResult r = Ctl({"--simulate", "start", "--tx", "241"});
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_NE(r.err.find("expected a whole number of measurements from 0 to 240"), std::string::npos) << r.err;
}

}  // namespace
