// clear and reset against the virtual logger with the field-data archive:
// refused while the logger holds records the archive lacks (named by count and
// IDs), carried out with --force (the erased records named, exit 4) or once
// everything was read; without an archive only with --force.
#include <cstdio>

#include "command_line.h"
#include "ctl_fixture.h"

namespace {

struct EraseCommand {
  const char* name;
  const char* sent;  // the command line that erases
};
const EraseCommand kCommands[] = {{"clear", "ST CLR"}, {"reset", "ST RES"}};

class CtlEraseGuardTest : public CtlTest {
 protected:
  void SetUp() override {
    CtlTest::SetUp();
    archive_ = Path("archive.sqlite");
    StartLogger();
  }

  ChildResult Run(std::vector<std::string> args) {
    args.insert(args.begin(), {"--archive", archive_});
    return CtlOnLogger(args);
  }
  void ReadAll() {
    const ChildResult r = Run({"read-data", "-o", "all.txt"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
  }
  // The command lines of the last run that erase.
  std::vector<std::string> Sent(const EraseCommand& c) { return LinesFromToolStarting({c.sent}); }

  static std::string WithIds(uint32_t id, long count, const std::string& ids) {
    char text[512];
    std::snprintf(text, sizeof text, Text(id).c_str(), count, ids.c_str());
    return text;
  }

  std::string archive_;
};

TEST_F(CtlEraseGuardTest, UnreadRecordsStopTheCommandUntilForced) {
  for (const EraseCommand& c : kCommands) {
    SCOPED_TRACE(c.name);
    logger->PresetMemory(1200);
    ReadAll();
    logger->AddRecords(2);
    logger->ClearReceived();

    ChildResult r = Run({c.name, "--yes"});
    EXPECT_EQ(r.exitCode, exit_status::kFailed);
    EXPECT_NE(r.err.find(WithIds(strings::id::kUnreadWillBeLost, 2, "1201-1202")), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("--force"), std::string::npos) << r.err;
    EXPECT_TRUE(Sent(c).empty());
    EXPECT_EQ(logger->State().record_count, 1202u);

    logger->ClearReceived();
    r = Run({c.name, "--yes", "--force"});
    EXPECT_EQ(r.exitCode, exit_status::kAttention) << r.err;
    EXPECT_EQ(r.out, "成功\n");
    EXPECT_EQ(r.err, WithIds(strings::id::kUnreadErased, 2, "1201-1202") + "\n");
    EXPECT_EQ(Sent(c), std::vector<std::string>{c.sent});
  }
  EXPECT_EQ(logger->State().resets, 1);
}

// The archive's records count by ID and time: a memory that wrapped past
// 99999, and one cleared and refilled with IDs the archive had before.
TEST_F(CtlEraseGuardTest, HeldRecordsAreMatchedByIdAndTime) {
  struct Case {
    const char* what;
    size_t preset;
    int firstId;
    bool clearAfterRead;
    size_t added;
    std::string unread;  // empty: everything was read
    long unreadCount;
  };
  const Case cases[] = {
      {"everything read", 300, 1, false, 0, "", 0},
      {"wrapped", 30, 99990, false, 5, "20-24", 5},
      {"cleared and refilled", 100, 1, true, 3, "1-3", 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    logger->PresetMemory(c.preset, c.firstId);
    ReadAll();
    if (c.clearAfterRead) logger->ClearMemory();
    logger->AddRecords(c.added);
    logger->ClearReceived();
    const ChildResult r = Run({"clear", "--yes"});
    if (c.unread.empty()) {
      EXPECT_EQ(r.exitCode, 0) << r.err;
      EXPECT_EQ(r.err, "");
      EXPECT_EQ(Sent(kCommands[0]), std::vector<std::string>{"ST CLR"});
    } else {
      EXPECT_EQ(r.exitCode, exit_status::kFailed);
      EXPECT_NE(r.err.find(WithIds(strings::id::kUnreadWillBeLost, c.unreadCount, c.unread)), std::string::npos)
          << r.err;
      EXPECT_TRUE(Sent(kCommands[0]).empty());
    }
  }
}

// Without --force these are usage errors (CtlUsageTest).
TEST_F(CtlEraseGuardTest, WithoutArchiveForceErases) {
  logger->PresetMemory(50);
  for (const EraseCommand& c : kCommands) {
    SCOPED_TRACE(c.name);
    logger->ClearReceived();
    const ChildResult r = CtlOnLogger({"--no-archive", c.name, "--yes", "--force"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "成功\n");
    EXPECT_EQ(Sent(c), std::vector<std::string>{c.sent});
  }
  EXPECT_EQ(logger->State().record_count, 0u);
}

// A check that cannot be made (the logger refuses the readout of the first
// held record) refuses too; with --force the clear goes ahead and says that
// records may have been lost.
TEST_F(CtlEraseGuardTest, CheckThatFailsStopsTheClearUnlessForced) {
  logger->PresetMemory(50);
  ReadAll();
  logger->RefuseCommands("RD ALL", -1);
  logger->ClearReceived();
  ChildResult r = Run({"clear", "--yes"});
  EXPECT_EQ(r.exitCode, exit_status::kFailed);
  EXPECT_EQ(r.err.find(Text(strings::id::kUnreadCheckFailed) + "\n" + Text(strings::id::kFailed)), 0u) << r.err;
  EXPECT_TRUE(Sent(kCommands[0]).empty());

  logger->ClearReceived();
  r = Run({"clear", "--yes", "--force"});
  EXPECT_EQ(r.exitCode, exit_status::kAttention) << r.err;
  EXPECT_NE(r.err.find(Text(strings::id::kUnreadCheckFailed)), std::string::npos) << r.err;
  EXPECT_EQ(Sent(kCommands[0]), std::vector<std::string>{"ST CLR"});
  EXPECT_EQ(logger->State().record_count, 0u);
}

}  // namespace
