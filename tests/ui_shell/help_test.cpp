// quorvane-hx answers --help and --version without a display: no platform
// plugin is chosen, no X display or Wayland socket is there.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "../cli/child_process.h"

namespace {

struct HelpCase {
  std::vector<std::string> args;
  std::string stdoutPart;
};

class HelpWithoutDisplayTest : public ::testing::TestWithParam<HelpCase> {
 protected:
  void SetUp() override {
    for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"}) unsetenv(name);
  }
};

TEST_P(HelpWithoutDisplayTest, PrintsAndExitsCleanly) {
  ChildProcess child;
  ASSERT_TRUE(child.Start(QHX_PROGRAM_PATH, GetParam().args, "", {}));
  const ChildResult r = child.Finish();
  EXPECT_EQ(r.signal, 0) << r.err;
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_NE(r.out.find(GetParam().stdoutPart), std::string::npos) << r.out;
}

INSTANTIATE_TEST_SUITE_P(Options, HelpWithoutDisplayTest,
                         ::testing::Values(HelpCase{{"--help"}, "--simulate"}, HelpCase{{"-h"}, "--lang"},
                                           HelpCase{{"--simulate", "--help"}, "Usage:"},
                                           HelpCase{{"--version"}, "quorvane-hx 1.07"}, HelpCase{{"-v"}, "1.07"}));

TEST(HelpWithoutDisplay, BadOptionBesideHelpIsAUsageError) {
  for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"}) unsetenv(name);
  ChildProcess child;
  ASSERT_TRUE(child.Start(QHX_PROGRAM_PATH, {"--bogus", "--help"}, "", {}));
  const ChildResult r = child.Finish();
  EXPECT_EQ(r.exitCode, 2) << r.err;
  EXPECT_NE(r.err.find("bogus"), std::string::npos) << r.err;
}

}  // namespace
