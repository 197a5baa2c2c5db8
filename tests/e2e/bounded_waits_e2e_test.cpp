// A logger that keeps talking: every wait of the exchange ends within its
// bound, the abort byte stops a listing left running, a late reply tail is
// never taken as the next reply, and a flood never grows memory.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <future>
#include <thread>

#include "logger_fixture.h"

namespace {

using std::chrono::milliseconds;
using Clock = std::chrono::steady_clock;

constexpr char kEsc = 0x1B;

class BoundedWaitTest : public LoggerTest {
 protected:
  // Speed-dependent: "the line keeps talking" is told from a pause of 100 ms
  // (scaled) between lines, and the virtual logger is a thread of this
  // process. At the usual test scale that pause is so short that a busy
  // machine makes one; at 0.2 a loaded one still did (20 ms). This scale
  // keeps it clear of scheduling pauses.
  static constexpr double kPauseScale = 0.5;
  void SetUp() override {
    LoggerTest::SetUp();
    timing::SetTimeScale(std::max(Scale(), kPauseScale));
  }
  // Runs fn on its own thread. A wait that does not end within `limit` (far
  // beyond any bound of the code) fails the test; the port is then closed so
  // that the operation ends and the thread can be joined.
  template <typename Fn>
  auto Bounded(Fn fn, Clock::duration limit) -> decltype(fn()) {
    const auto t0 = Clock::now();
    auto done = std::async(std::launch::async, fn);
    if (done.wait_for(limit) != std::future_status::ready) {
      ADD_FAILURE() << "the operation did not end";
      session.Close();
    }
    auto result = done.get();
    last_seconds = std::chrono::duration<double>(Clock::now() - t0).count();
    std::printf("[ took %.3f s at time scale %.3f ]\n", last_seconds, timing::TimeScale());
    return result;
  }
  // The watchdog for operations whose bound is a few protocol seconds.
  Clock::duration Watchdog() const { return timing::Scaled(120000) + std::chrono::seconds(5); }
  // True once the logger has received more than `before` abort bytes.
  bool EscapeArrives(size_t before) const {
    return logger->WaitForReceivedBytes(
        [&](const std::string& bytes) {
          return static_cast<size_t>(std::count(bytes.begin(), bytes.end(), kEsc)) > before;
        },
        std::chrono::seconds(10));
  }
  size_t EscapesReceived() const {
    const std::string bytes = logger->ReceivedBytes();
    return static_cast<size_t>(std::count(bytes.begin(), bytes.end(), kEsc));
  }

  double last_seconds = 0;
};

// A readout cut off (the program killed, the cable pulled) while the logger
// goes on streaming: the next connect stops the listing and connects.
TEST_F(BoundedWaitTest, ConnectAfterAnAbandonedReadoutStopsTheListingAndWakes) {
  logger->PresetMemory(5000);
  logger->SetEndlessListing(true);
  ASSERT_EQ(proto().ReadAllStart(port(), -1, 0), rc::kOk);
  std::string text;
  ASSERT_EQ(proto().ReadRecordLine(port(), &text), rc::kDataLine);
  session.Close();  // gone without the abort byte; the logger keeps streaming
  logger->ClearReceived();

  ASSERT_EQ(session.Open(logger->PortPath()), 0);
  EXPECT_EQ(Bounded([&] { return session.Identify(); }, Watchdog()), 1);
  EXPECT_TRUE(EscapeArrives(0));
  CVT7SysInfo info;
  EXPECT_EQ(proto().ReadSystemInfo(port(), &info), rc::kOk);
  EXPECT_EQ(info.lastId, logger->State().last_id);
}

// The same with a logger that ignores the first abort bytes: the wake-up
// gives up within its bound, and a later try gets through.
TEST_F(BoundedWaitTest, ConnectEndsWhileTheLoggerIgnoresTheAbortByte) {
  logger->PresetMemory(5000);
  logger->SetEndlessListing(true);
  logger->IgnoreEsc(1);
  ASSERT_EQ(proto().ReadAllStart(port(), -1, 0), rc::kOk);
  session.Close();
  ASSERT_EQ(session.Open(logger->PortPath()), 0);
  EXPECT_EQ(Bounded([&] { return session.Identify(); }, Watchdog()), 1);
  EXPECT_TRUE(EscapeArrives(1));
}

// Noise that never stops: random bytes, short random lines, megabyte lines.
// The wake-up ends within its bound whatever it read, and memory stays with
// the line buffer's ring.
TEST_F(BoundedWaitTest, WakeUpEndsUnderAnEndlessFlood) {
  const struct {
    const char* name;
    size_t line_length;
    bool complete_lines;  // a line ends well within the drain's pause
  } cases[] = {{"random bytes", 0, false}, {"short lines", 40, true}, {"megabyte lines", 1 << 20, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    logger->StartFlood(-1, c.line_length);
    const size_t escapes = EscapesReceived();
    char line[100];
    int size = sizeof line;
    const int r = Bounded([&] { return proto().Hello(port(), line, &size); }, Watchdog());
    if (c.complete_lines) {
      EXPECT_NE(r, rc::kOk) << "a logger that never stops talking is not connected";
      EXPECT_TRUE(EscapeArrives(escapes));
    }
    logger->StopFlood();
    EXPECT_EQ(Bounded([&] { return session.Identify(); }, Watchdog()), 1) << "the line is usable again";
  }
}

TEST_F(BoundedWaitTest, ListingsAreBoundedInLinesAndLineLength) {
  logger->SilenceCommands("MAIL DSP", -1);
  logger->StartFlood(-1, 40);
  std::vector<std::string> lines;
  const size_t escapes = EscapesReceived();
  EXPECT_EQ(Bounded([&] { return proto().ReadReplyLines(port(), "MAIL DSP\r\n", &lines, 3000, 100); }, Watchdog()),
            rc::kDataLine);
  EXPECT_LE(lines.size(), 100u);
  EXPECT_TRUE(EscapeArrives(escapes)) << "the abort byte stops what is still coming";

  logger->SilenceCommands("RD SYS", -1);
  logger->StartFlood(-1, 1 << 20);
  const int64_t cut = port()->LineBuffer()->CutLines();
  CVT7SysInfo info;
  EXPECT_EQ(Bounded([&] { return proto().ReadSystemInfo(port(), &info); }, Watchdog()), rc::kUnexpected);
  EXPECT_GT(port()->LineBuffer()->CutLines(), cut);
  logger->StopFlood();
}

// The tail of a reply that came too late is purged before the next command:
// it never answers that command, and the line is usable afterwards.
TEST_F(BoundedWaitTest, LateReplyTailNeverAnswersTheNextCommand) {
  const uint32_t waitMs = 200;
  // The tail lands after the first exchange gave up, within the quiet window
  // that the next send waits for (1000 ms, scaled).
  const auto tail = std::chrono::duration_cast<milliseconds>(timing::Scaled(waitMs) + timing::Scaled(1000) / 2);
  logger->SetLateTail("ST RSS 1", tail);
  EXPECT_EQ(proto().SendCommand(port(), "ST RSS 1\r\n", waitMs), rc::kNoReply);
  logger->SilenceCommands("ST RSS 2", 1);
  EXPECT_EQ(proto().SendCommand(port(), "ST RSS 2\r\n", waitMs), rc::kNoReply)
      << "the late \"YES END\" of the first command was taken as the reply";
  EXPECT_EQ(proto().SendCommand(port(), "ST RSS 3\r\n", 5000), rc::kOk);
  EXPECT_EQ(Received().back(), "ST RSS 3");
}

// A slow "RD SYS" whose end comes after its inactivity time-out: the tail
// does not become the "MAIL DSP" reply that follows.
TEST_F(BoundedWaitTest, LateListingTailIsNotTheNextListing) {
  ASSERT_EQ(proto().SendCommand(port(), "MAIL APN late.tail.example\r\n", 5000), rc::kOk);
  Connect();
  const std::string apn = session.Current().mail.apn;
  logger->SetLateTail("RD SYS", std::chrono::duration_cast<milliseconds>(timing::Scaled(3000) + timing::Scaled(500)));
  CVT7SysInfo info;
  EXPECT_EQ(proto().ReadSystemInfo(port(), &info), rc::kTimeout);
  session.ReadMailSettings();
  EXPECT_EQ(session.Current().mail.apn, apn);
  EXPECT_FALSE(session.Current().mail.apn.empty());
}

}  // namespace
