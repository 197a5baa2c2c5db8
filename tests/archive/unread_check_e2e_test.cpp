// The check before a clear or a reset against the virtual logger, as a
// hostile logger makes it: refused or silent readouts, a line that goes dead,
// noise between the lines, a listing that does not stop, lower case. A check
// either tells exactly which held records the archive lacks or says that it
// could not tell, with why.
#include <cctype>
#include <fstream>
#include <functional>
#include <memory>
#include <ostream>
#include <string>

#include "../e2e/logger_fixture.h"
#include "common/string_table.h"
#include "operations/archived_readout.h"
#include "operations/operation_strings.h"
#include "operations/unread_check.h"

namespace {

class DiscardingSink : public ops::RecordSink {
 public:
  void Records(const char*, size_t, long) override {}
};

enum class Expect {
  kTells,       // exactly the two records not archived
  kCannotTell,  // kUnreadCheckFailed with the reason
  kEither,      // a race between the logger and the check decides which
};

struct HostileCase {
  const char* what;
  std::function<void(vlogger::VirtualLogger&, CDeviceSession&)> fault;
  Expect expect;
  std::string reason;  // part of the reason below kUnreadCheckFailed
};

void PrintTo(const HostileCase& c, std::ostream* os) { *os << c.what; }

class UnreadCheckBase : public LoggerTest {
 protected:
  void SetUp() override {
    LoggerTest::SetUp();
    char tmpl[] = "/tmp/qhx_unread_XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    dir_ = tmpl;
    access_ = std::make_unique<ops::ArchiveAccess>(dir_ + "/archive.sqlite");
  }
  void TearDown() override {
    access_.reset();
    std::system(("rm -rf '" + dir_ + "'").c_str());
    LoggerTest::TearDown();
  }

  std::string dir_;
  std::unique_ptr<ops::ArchiveAccess> access_;
};

class UnreadCheckTest : public UnreadCheckBase, public ::testing::WithParamInterface<HostileCase> {};

TEST_P(UnreadCheckTest, TellsExactlyOrSaysItCouldNot) {
  const HostileCase& c = GetParam();
  logger->PresetMemory(50);
  Connect();
  DiscardingSink discard;
  ASSERT_TRUE(ops::ReadRecordsArchived(session, {1, 48}, discard, *access_, {}).Succeeded());
  const std::string serial = session.Current().sys.serialNumber;

  c.fault(*logger, session);
  const ops::UnreadCheck check = ops::CheckUnreadRecords(session, *access_);
  const bool told = c.expect == Expect::kTells || (c.expect == Expect::kEither && check.Succeeded());
  if (told) {
    ASSERT_TRUE(check.Succeeded()) << check.message;
    EXPECT_EQ(check.held, 50);
    EXPECT_EQ(archive::IdRangesText(check.unread), "49-50");
    EXPECT_EQ(check.UnreadCount(), 2);
  } else {
    EXPECT_FALSE(check.Succeeded());
    const std::string failed = strings::Text(strings::id::kUnreadCheckFailed);
    EXPECT_EQ(check.message.compare(0, failed.size(), failed), 0) << check.message;
    EXPECT_NE(check.message.find(c.reason, failed.size()), std::string::npos) << check.message;
  }
  // Nothing that erases was sent, and nothing of the check was archived.
  EXPECT_TRUE(ReceivedStarting("ST ").empty());
  int64_t archived = 0;
  ASSERT_TRUE(access_->Get(nullptr)->RecordCount(serial, &archived).ok());
  EXPECT_EQ(archived, 48);
}

using Logger = vlogger::VirtualLogger;
const std::string kFailed = strings::Text(strings::id::kFailed);
INSTANTIATE_TEST_SUITE_P(
    HostileLoggers, UnreadCheckTest,
    ::testing::Values(
        HostileCase{"plain", [](Logger&, CDeviceSession&) {}, Expect::kTells, ""},
        HostileCase{"lower case", [](Logger& l, CDeviceSession&) { l.SetLowerCase(true); }, Expect::kTells, ""},
        // Module notices are dropped by the line buffer's filter.
        HostileCase{"module notices", [](Logger& l, CDeviceSession&) { l.SetNoiseLine("#>RX:$NOISE", 1); },
                    Expect::kTells, ""},
        // Other lines before "OK" spoil the readout's start.
        HostileCase{"noise lines", [](Logger& l, CDeviceSession&) { l.SetNoiseLine("RX NOISE", 1); },
                    Expect::kCannotTell, kFailed},
        // The record asked for arrives, then the listing goes on and is
        // stopped: without an end line after that, no readout to rely on.
        HostileCase{"listing that does not stop", [](Logger& l, CDeviceSession&) { l.SetEndlessListing(true); },
                    Expect::kEither, strings::Text(strings::id::kReadoutOverrun)},
        HostileCase{"readout refused", [](Logger& l, CDeviceSession&) { l.RefuseCommands("RD ALL", -1); },
                    Expect::kCannotTell, kFailed},
        HostileCase{"readout unanswered", [](Logger& l, CDeviceSession&) { l.SilenceCommands("RD ALL", -1); },
                    Expect::kCannotTell, kFailed},
        HostileCase{"last record refused", [](Logger& l, CDeviceSession&) { l.RefuseCommands("RD ALL 50", -1); },
                    Expect::kCannotTell, kFailed},
        HostileCase{"line dead at the readout", [](Logger& l, CDeviceSession&) { l.DropOnCommand("RD ALL"); },
                    Expect::kCannotTell, ""},
        HostileCase{"port closed", [](Logger&, CDeviceSession& s) { s.Close(); }, Expect::kCannotTell,
                    strings::Text(strings::id::kNotConnected)},
        HostileCase{"memory range not read", [](Logger& l, CDeviceSession& s) { s.Open(l.PortPath()); },
                    Expect::kCannotTell, "RD SYS"}),
    [](const ::testing::TestParamInfo<HostileCase>& info) {
      std::string name;
      for (const char* p = info.param.what; *p != '\0'; ++p)
        if (std::isalnum(static_cast<unsigned char>(*p))) name += *p;
      return name;
    });

// An archive that cannot be opened is the check's reason, and the readout
// after it still tells that its records are not archived.
TEST_F(UnreadCheckBase, UnusableArchiveIsNamedByTheCheckAndStillByTheReadout) {
  std::ofstream(dir_ + "/plain") << "a file, not a folder";
  ops::ArchiveAccess unusable(dir_ + "/plain/archive.sqlite");
  logger->PresetMemory(20);
  Connect();
  const ops::UnreadCheck check = ops::CheckUnreadRecords(session, unusable);
  EXPECT_FALSE(check.Succeeded());
  const std::string unreadable = strings::Text(strings::id::kArchiveUnreadable);
  EXPECT_NE(check.message.find(unreadable), std::string::npos) << check.message;

  DiscardingSink discard;
  const ops::ArchivedReadoutResult readout = ops::ReadRecordsArchived(session, {-1, 0}, discard, unusable, {});
  EXPECT_TRUE(readout.Succeeded());
  EXPECT_NE(readout.message.find(unreadable), std::string::npos) << readout.message;
}

}  // namespace
