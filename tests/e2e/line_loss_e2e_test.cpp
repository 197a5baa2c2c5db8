// A line that hangs up (the virtual logger closes its side of the
// pseudo-terminal) ends what runs on it at once, with the system's reason,
// and keeps what arrived; the abort byte written just before a close or a
// purge still reaches the logger.
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <future>
#include <string>
#include <vector>

#include "common/string_table.h"
#include "logger_fixture.h"
#include "operations/record_readout.h"

namespace {

using std::chrono::milliseconds;
using std::chrono::seconds;

// Far below the production time-outs the waits below would run into without
// noticing the hang-up (30 s of readout silence, 30 s of command reply).
constexpr seconds kWellBeforeTimeOut{10};

class TextSink : public ops::RecordSink {
 public:
  void Records(const char* text, size_t bytes, long) override { text_.append(text, bytes); }
  std::vector<std::string> Lines() const {
    std::vector<std::string> out;
    size_t at = 0;
    for (size_t end; (end = text_.find("\r\n", at)) != std::string::npos; at = end + 2)
      out.push_back(text_.substr(at, end - at));
    return out;
  }

 private:
  std::string text_;
};

class LineLossTest : public LoggerTest {
 protected:
  // Runs `work` with the production time-outs and waits for it well within them.
  template <typename Work>
  auto AtProductionTimes(Work work) {
    timing::SetTimeScale(1.0);
    auto done = std::async(std::launch::async, work);
    const bool inTime = done.wait_for(kWellBeforeTimeOut) == std::future_status::ready;
    EXPECT_TRUE(inTime) << "the hang-up was not noticed: the wait ran on towards its time-out";
    auto result = done.get();
    timing::SetTimeScale(Scale());
    return result;
  }

  void ExpectLostWithTheSystemsReason() {
    ASSERT_TRUE(logger->WaitForClosed(seconds(5)));
    EXPECT_TRUE(session.LineLost());
    EXPECT_FALSE(session.IsOpen());
    EXPECT_EQ(session.LineLostReason(), std::strerror(EIO));
    EXPECT_EQ(session.LineLostMessage(),
              strings::Text(strings::id::kLineLost) + "\r\n" + std::string(std::strerror(EIO)));
  }

  // A fresh line to the same logger.
  void Reconnect() {
    ASSERT_TRUE(logger->Reopen());
    ASSERT_EQ(session.Open(logger->PortPath()), 0);
    EXPECT_FALSE(session.LineLost());
    ASSERT_EQ(session.Identify(), 1);
  }

  bool LoggerReceived(const std::string& bytes) {
    return logger->WaitForReceivedBytes([&](const std::string& b) { return b.find(bytes) != std::string::npos; },
                                        seconds(5));
  }
};

// Each kind of exchange ends at once with rc::kLineLost when the logger
// hangs up instead of answering.
TEST_F(LineLossTest, EveryKindOfExchangeEndsAtOnceOnAHangUp) {
  struct Exchange {
    const char* name;
    const char* dropOn;
    std::function<int(CDeviceSession&)> run;
  };
  const Exchange exchanges[] = {
      {"command", "ST RSS",
       [](CDeviceSession& s) { return s.Protocol().SendCommand(s.PortPtr(), "ST RSS 1\r\n", 30000); }},
      {"abortable command", "ST RSS",
       [](CDeviceSession& s) {
         return s.Protocol().SendCommandAbortable(s.PortPtr(), "ST RSS 1\r\n", nullptr, 30000);
       }},
      {"listing", "RD SYS",
       [](CDeviceSession& s) {
         std::vector<std::string> lines;
         return s.Protocol().ReadReplyLines(s.PortPtr(), "RD SYS\r\n", &lines, 30000);
       }},
      {"wake-up", "HELLO",
       [](CDeviceSession& s) {
         char line[100];
         int size = sizeof line;
         return s.Protocol().Hello(s.PortPtr(), line, &size);
       }},
  };
  for (const Exchange& e : exchanges) {
    SCOPED_TRACE(e.name);
    logger->DropOnCommand(e.dropOn);
    EXPECT_EQ(AtProductionTimes([&] { return e.run(session); }), rc::kLineLost);
    ExpectLostWithTheSystemsReason();
    // Later exchanges and the session's sequences say the same at once.
    EXPECT_EQ(proto().SendCommand(port(), "ST RSS 2\r\n", 30000), rc::kLineLost);
    EXPECT_EQ(session.StopMeasurement(), session_rc::kLineLost);
    session.SetErrorMessage(session_rc::kLineLost);
    EXPECT_EQ(session.ErrorMessage(), session.LineLostMessage());
    Reconnect();
  }
}

// A readout the logger hangs up on part way ends at once, keeps every whole
// record that was sent before the hang-up and says that the line was lost.
TEST_F(LineLossTest, HangUpDuringReadoutEndsAtOnceAndKeepsWhatArrived) {
  constexpr int kRecords = 3000;
  constexpr int64_t kSentBeforeHangUp = 2000;
  logger->PresetMemory(kRecords);
  TextSink cut;
  logger->DropAfterBytes(kSentBeforeHangUp);
  const ops::ReadoutResult r = AtProductionTimes([&] {
    return ops::ReadRecords(session, {1, kRecords}, cut, ops::Context{});
  });
  ExpectLostWithTheSystemsReason();
  EXPECT_EQ(r.outcome, ops::Outcome::kIncomplete);
  EXPECT_NE(r.message.find(session.LineLostMessage()), std::string::npos) << r.message;

  // The same listing in full: the cut readout holds exactly its whole lines
  // that fit in what was sent ("OK" and the records, each ended by CR LF).
  Reconnect();
  TextSink full;
  ASSERT_TRUE(ops::ReadRecords(session, {1, kRecords}, full, ops::Context{}).Succeeded());
  std::vector<std::string> expected;
  int64_t sent = 4;  // "OK\r\n"
  for (const std::string& line : full.Lines()) {
    sent += static_cast<int64_t>(line.size()) + 2;
    if (sent > kSentBeforeHangUp) break;
    expected.push_back(line);
  }
  ASSERT_FALSE(expected.empty());
  EXPECT_EQ(cut.Lines(), expected);
  EXPECT_EQ(r.received, static_cast<long>(expected.size()));
}

// The abort byte written right before the port is closed or purged reaches
// a logger that reads its line only a moment later.
TEST_F(LineLossTest, AbortByteWrittenBeforeCloseOrPurgeReachesTheLogger) {
  struct Case {
    const char* name;
    std::function<void(CDeviceSession&)> after;
    const char* received;
  };
  const Case cases[] = {
      {"close", [](CDeviceSession& s) { s.Close(); }, "\x1b"},
      {"command with purge",
       [](CDeviceSession& s) { EXPECT_EQ(s.Protocol().SendCommand(s.PortPtr(), "ST RSS 1\r\n", 60000), rc::kOk); },
       "\x1bST RSS 1\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    logger->ClearReceived();
    logger->HoldInput(milliseconds(300));
    CComCtrlBase::SendAbort(port());
    c.after(session);
    EXPECT_TRUE(LoggerReceived(c.received));
    if (!session.IsOpen()) {
      ASSERT_EQ(session.Open(logger->PortPath()), 0);
    }
  }
}

}  // namespace
