// Usage errors end with status 2 before anything is sent to the logger; so
// does a text that would put a line break into a command line.
#include "common/program_version.h"
#include "ctl_fixture.h"

namespace {

struct UsageCase {
  std::vector<std::string> args;
  std::string stderrPart;  // part of the message on standard error
};

class CtlUsageTest : public CtlTest, public ::testing::WithParamInterface<UsageCase> {
 protected:
  void SetUp() override {
    CtlTest::SetUp();
    StartLogger();
  }
};

TEST_P(CtlUsageTest, RefusedWithStatus2AndNothingSent) {
  const ChildResult r = CtlOnLogger(GetParam().args);
  EXPECT_EQ(r.exitCode, 2) << r.out << r.err;
  EXPECT_NE(r.err.find(GetParam().stderrPart), std::string::npos) << r.err;
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(BytesFromTool(), "");
}

INSTANTIATE_TEST_SUITE_P(
    Arguments, CtlUsageTest,
    ::testing::Values(
        UsageCase{{}, "subcommand"}, UsageCase{{"bogus"}, "subcommand"}, UsageCase{{"info", "--bogus"}, "--bogus"},
        UsageCase{{"set-battery"}, "VOLTS"}, UsageCase{{"set-battery", "3,3"}, "volts"},
        UsageCase{{"set-battery", "-3.3"}, ""}, UsageCase{{"start", "--at", "2026-1-3 8:30"}, "YYYY-MM-DD hh:mm"},
        UsageCase{{"start", "--at", "1999-01-03 08:30"}, "2000 to 2099"},
        UsageCase{{"start", "--interval", "11:00:00"}, "D:HH:MM"},
        UsageCase{{"start", "--event-tx", "241"}, "--event-tx"},
        UsageCase{{"set-thresholds", "--upper", "abc"}, "metres"},
        UsageCase{{"set-thresholds", "--lower", "-10000"}, "metres"},
        UsageCase{{"set-thresholds", "--upper-on", "--upper-off"}, "excludes"}, UsageCase{{"set-apn"}, "--preset"},
        UsageCase{{"set-apn", "--preset", "iij", "--name", "x"}, "excludes"},
        UsageCase{{"set-apn", "--preset", "docomo"}, "--preset"}, UsageCase{{"set-apn", "--auth", "md5"}, "--auth"},
        UsageCase{{"clear"}, "--yes"}, UsageCase{{"reset"}, "--yes"}, UsageCase{{"restart-module"}, "--yes"},
        UsageCase{{"export", "--items", "6,7"}, "--items"}, UsageCase{{"apply"}, "FILE"},
        UsageCase{{"read-data", "--count", "0"}, "--count"}, UsageCase{{"read-data", "--last", "100000"}, "--last"},
        UsageCase{{"--lang", "fr", "info"}, "--lang"},
        // A value with CR or LF would end the command line and send the rest as a command.
        UsageCase{{"set-apn", "--name", "a\r\nST CLR"}, "line break"},
        UsageCase{{"set-apn", "--user", "u\nST CLR"}, "line break"},
        UsageCase{{"set-apn", "--name", "n", "--password", "p\r"}, "line break"},
        // The values that a settings file may not give either (CtlApplyBadValueTest).
        UsageCase{{"set-battery", "abc"}, "volts"}, UsageCase{{"set-battery", "3300"}, "2.4 to 3.6"},
        UsageCase{{"set-battery", "\xEF\xBC\x93.3"}, "volts"}, UsageCase{{"set-battery", "3.25"}, "one decimal"},
        UsageCase{{"set-thresholds", "--upper", "inf"}, "metres"},
        UsageCase{{"set-thresholds", "--upper", "2,5"}, "metres"},
        UsageCase{{"set-thresholds", "--upper", "99999999"}, "metres"},
        UsageCase{{"set-thresholds", "--lower", "-1e300"}, "metres"},
        UsageCase{{"start", "--at", "2027-13-45 25:61"}, "real date"},
        UsageCase{{"start", "--at", "2027-02-29 10:00"}, "real date"},
        UsageCase{{"start", "--at", "2150-01-01 00:00"}, "2000 to 2099"},
        UsageCase{{"start", "--interval", "100:00:00"}, "D:HH:MM"}, UsageCase{{"start", "--tx", "241"}, "--tx"},
        UsageCase{{"set-apn", "--auth", "mschap"}, "--auth"},
        UsageCase{{"set-apn", "--name", "caf\xC3\xA9\xF0\x9F\x98\x80"}, "code page"},
        UsageCase{{"set-apn", "--name", "\xE3\x83\x86\xE3\x82\xB9\xE3\x83\x88"}, "half-width"},
        UsageCase{{"set-apn", "--user", "my user"}, "half-width"},
        // Without an archive nothing tells which records a clear or reset would lose.
        UsageCase{{"--no-archive", "clear", "--yes"}, "--force"},
        UsageCase{{"--no-archive", "reset", "--yes"}, "--force"}));

TEST_F(CtlTest, VersionIsTheProjectsAndNeedsNoLine) {
  const ChildResult r = Ctl({"--version"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, std::string("quorvane-ctl ") + program_version::kNumber + "\n");
}

TEST_F(CtlTest, ALineIsNeeded) {
  for (const auto& args : {std::vector<std::string>{"info"}, {"--port", "/dev/null", "--simulate", "info"}}) {
    const ChildResult r = Ctl(args);
    EXPECT_EQ(r.exitCode, 2) << r.err;
    EXPECT_NE(r.err.find("--"), std::string::npos) << r.err;
  }
}

}  // namespace
