// The command exchange over a pseudo-terminal against the virtual logger.
#include <sys/resource.h>
#include <time.h>

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <thread>

#include "logger_fixture.h"

namespace {

using std::chrono::milliseconds;
using std::chrono::seconds;

double ProcessCpuSeconds() {
  timespec ts{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
  return ts.tv_sec + ts.tv_nsec / 1e9;
}

class ExchangeTest : public LoggerTest {};

TEST_F(ExchangeTest, WakeUpTakesIdentityWithAndWithoutVersion) {
  ASSERT_EQ(session.Identify(), 1);
  EXPECT_EQ(session.DeviceName(), "Quorvane-HX7");
  EXPECT_EQ(session.Version(), "1.07");
  EXPECT_EQ(proto().IsDeviceName(session.DeviceName().c_str()), 1);

  logger->SetIdentity("Quorvane-HX9", "2.00", vlogger::IdentityMode::kNameOnly);
  ASSERT_EQ(session.Identify(), 1);
  EXPECT_EQ(session.DeviceName(), "Quorvane-HX7");  // no "Ver[": unchanged
  EXPECT_EQ(session.Version(), "1.07");

  logger->SetIdentity("X", "", vlogger::IdentityMode::kNone);
  char line[100];
  int size = sizeof line;
  EXPECT_EQ(proto().Hello(port(), line, &size), rc::kOk);
  EXPECT_EQ(size, 0);
}

TEST_F(ExchangeTest, SilentLoggerGivesNoWakeAndIdentifyFails) {
  logger->SilenceCommands("HELLO", -1);
  char line[100];
  int size = sizeof line;
  EXPECT_EQ(proto().Hello(port(), line, &size), rc::kNoWake);
  EXPECT_EQ(session.Identify(), 0);
  EXPECT_EQ(ReceivedStarting("HELLO").size(), 4u);  // one + three attempts
}

TEST_F(ExchangeTest, ReadSystemInfoFillsTheRecord) {
  logger->PresetMemory(250);
  CVT7SysInfo info;
  ASSERT_EQ(proto().ReadSystemInfo(port(), &info), rc::kOk);
  const auto state = logger->State();
  EXPECT_EQ(info.firstId, state.first_id);
  EXPECT_EQ(info.lastId, state.last_id);
  EXPECT_EQ(info.sampling, state.sampling_seconds);
  EXPECT_EQ(info.clock.year, state.clock.year);
  EXPECT_GT(info.clock.year, 2000);
  EXPECT_EQ(info.batteryAlert, state.battery_cutoff_mv);
  EXPECT_NE(info.serialNumber[0], '\0');
}

TEST_F(ExchangeTest, SingleLineReplies) {
  EXPECT_EQ(proto().SendCommand(port(), "ST RSS 3\r\n", 5000), rc::kOk);
  logger->SetLowerCase(true);
  EXPECT_EQ(proto().SendCommand(port(), "ST RSS 4\r\n", 5000), rc::kOk);  // "yes end"
  logger->SetLowerCase(false);
  logger->RefuseNext(1);
  EXPECT_EQ(proto().SendCommand(port(), "ST RSS 5\r\n", 5000), rc::kRefused);
  logger->RefuseNext(1);
  EXPECT_EQ(proto().SendCommandAbortable(port(), "ST RSS 5\r\n", nullptr, 5000), rc::kUnexpected);
  EXPECT_EQ(proto().SendCommandExpect(port(), "MAIL IMEI\r\n", "OK", 5000), rc::kOk);
  EXPECT_EQ(proto().SendCommandExpect(port(), "ST RSS 6\r\n", "OK", 5000), rc::kUnexpected);
  logger->SilenceNext(1);
  EXPECT_EQ(proto().SendCommand(port(), "ST RSS 7\r\n", 5000), rc::kNoReply);
}

TEST_F(ExchangeTest, RepliesSplitMidLineAndModuleNoise) {
  logger->SetChunking(3, std::chrono::microseconds(300));
  logger->SetNoiseLine("#>RX:$NOISE", 1);
  CVT7SysInfo info;
  EXPECT_EQ(proto().ReadSystemInfo(port(), &info), rc::kOk);  // '#' lines dropped
  EXPECT_GT(info.clock.year, 2000);
  EXPECT_EQ(proto().SendCommand(port(), "ST RSS 3\r\n", 5000), rc::kOk);

  // With the filter off the noise reaches the exchange.
  port()->LineBuffer()->SetFilter(0);
  EXPECT_EQ(proto().SendCommand(port(), "ST RSS 3\r\n", 5000), rc::kUnexpected);
  port()->LineBuffer()->SetFilter(1);
}

TEST_F(ExchangeTest, ListingEndsOnInactivity) {
  logger->SilenceCommands("RD SYS", 1);
  std::vector<std::string> lines;
  EXPECT_EQ(proto().ReadReplyLines(port(), "RD SYS\r\n", &lines, 3000), rc::kTimeout);
  logger->RefuseCommands("RD SYS", 1);
  EXPECT_EQ(proto().ReadReplyLines(port(), "RD SYS\r\n", &lines, 3000), rc::kRefused);
  // Lines arriving slower than a line read (1000) but faster than the
  // inactivity time-out (3000) keep the listing going.
  logger->SetChunking(64, std::chrono::microseconds(static_cast<int>(1500 * 1000 * Scale())));
  lines.clear();
  EXPECT_EQ(proto().ReadReplyLines(port(), "RD SYS\r\n", &lines, 3000), rc::kOk);
  EXPECT_GE(lines.size(), 10u);
}

TEST_F(ExchangeTest, DroppedConnectionDuringExchangeAndListing) {
  logger->DropOnCommand("ST RSS");
  EXPECT_EQ(proto().SendCommand(port(), "ST RSS 1\r\n", 5000), rc::kLineLost);
  ASSERT_TRUE(logger->WaitForClosed(seconds(5)));

  // The vanished device neither crashes nor spins the reader.
  const double cpu0 = ProcessCpuSeconds();
  const auto t0 = std::chrono::steady_clock::now();
  char line[64];
  EXPECT_EQ(session.Port().LineBuffer()->ReadLine(line, sizeof line, static_cast<uint32_t>(1000 / Scale())), 0);
  const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  EXPECT_LT(ProcessCpuSeconds() - cpu0, 0.25 * wall + 0.05);
  EXPECT_EQ(proto().SendCommand(port(), "ST RSS 1\r\n", 5000), rc::kLineLost);  // writes fail
  EXPECT_EQ(session.Port().Close(), 1);

  // The device comes back: a new open works.
  ASSERT_TRUE(logger->Reopen());
  ASSERT_EQ(session.Open(logger->PortPath()), 0);
  ASSERT_EQ(session.Identify(), 1);

  logger->PresetMemory(500);
  logger->DropAfterBytes(4000);
  ASSERT_EQ(proto().ReadAllStart(port(), -1, 0), rc::kOk);
  std::string text;
  int r, records = 0;
  while ((r = proto().ReadRecordLine(port(), &text)) == rc::kDataLine) ++records;
  EXPECT_EQ(r, rc::kLineLost);
  EXPECT_GT(records, 10);
  EXPECT_LT(records, 500);
}

TEST_F(ExchangeTest, PortOpenRules) {
  CRSPort other;
  EXPECT_EQ(other.Open(logger->PortPath(), SerialSettings::Logger()), CRSPort::kOpenFailed);  // in use
  EXPECT_EQ(other.Open("/dev/does-not-exist", SerialSettings::Logger()), CRSPort::kOpenFailed);
  EXPECT_FALSE(other.IsOpen());
  EXPECT_EQ(other.Close(), 1);
  EXPECT_EQ(other.Close(), 1);

  // Same path and settings while open: nothing restarts, nothing is purged.
  const uint8_t pending[] = {'K', 'E', 'E', 'P', '\n'};
  port()->LineBuffer()->Append(pending, sizeof pending);
  EXPECT_EQ(port()->Open(logger->PortPath(), SerialSettings::Logger()), 0);
  EXPECT_EQ(port()->LineBuffer()->LineCount(), 1);
  // A write without purge keeps what is buffered; with purge it is gone.
  EXPECT_EQ(port()->Write("\x1b", 1, 0), 1);
  EXPECT_EQ(port()->LineBuffer()->LineCount(), 1);
  EXPECT_EQ(port()->Write("ST RSS 1\r\n", 0, 1), 1);  // length 0: up to the NUL
  EXPECT_TRUE(logger->WaitForReceived(
      [](const std::vector<std::string>& l) { return !l.empty() && l.back() == "ST RSS 1"; }, seconds(5)));
  session.Close();
  EXPECT_FALSE(port()->ReaderRunning());
  EXPECT_EQ(port()->LineBuffer()->StoredCount(), 0);
}

// Each open failure keeps its result code for callers and names the system's
// reason and the kind of fault; a later successful open forgets it.
TEST_F(ExchangeTest, OpenFailuresTellTheSystemsReason) {
  char dirPattern[] = "/tmp/qhx_port_XXXXXX";
  ASSERT_NE(mkdtemp(dirPattern), nullptr);
  const std::string dir = dirPattern;
  const std::string plainFile = dir + "/passwd";
  { std::ofstream(plainFile) << "root:x:0:0::/root:/bin/sh\n"; }

  struct Case {
    std::string path;
    int code;
    PortOpenError::Fault fault;
    int systemError;
  };
  const Case cases[] = {
      {"/dev/does-not-exist", CRSPort::kOpenFailed, PortOpenError::kNoSuchDevice, ENOENT},
      {dir + "/missing/ttyUSB0", CRSPort::kOpenFailed, PortOpenError::kNoSuchDevice, ENOENT},
      {plainFile, CRSPort::kSettingsUnreadable, PortOpenError::kNotSerial, ENOTTY},
      {dir, CRSPort::kOpenFailed, PortOpenError::kNotSerial, EISDIR},
      {logger->PortPath(), CRSPort::kOpenFailed, PortOpenError::kInUse, EBUSY},  // the session holds it
  };
  CRSPort other;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(other.Open(c.path, SerialSettings::Logger()), c.code);
    EXPECT_FALSE(other.IsOpen());
    EXPECT_EQ(other.LastOpenError().code, c.code);
    EXPECT_EQ(other.LastOpenError().fault, c.fault);
    EXPECT_EQ(other.LastOpenError().systemError, c.systemError);
    EXPECT_EQ(other.LastOpenError().reason, std::strerror(c.systemError));
  }

  session.Close();
  EXPECT_EQ(other.Open(logger->PortPath(), SerialSettings::Logger()), 0);
  EXPECT_EQ(other.LastOpenError().fault, PortOpenError::kNone);
  EXPECT_EQ(other.LastOpenError().reason, "");
  other.Close();
  std::filesystem::remove_all(dir);
}

TEST_F(ExchangeTest, TrafficIsCapturedInBothDirections) {
  log.Ring().TakePending();
  EXPECT_EQ(proto().SendCommand(port(), "ST RSS 2\r\n", 5000), rc::kOk);
  // The reply the exchange has read is in the capture already.
  log.Ring().TakePending();
  std::string sent, received;
  for (uint16_t cell : log.Ring().Snapshot()) ((cell >> 8) ? sent : received) += static_cast<char>(cell & 0xFF);
  EXPECT_EQ(sent, "ST RSS 2\r\n");
  EXPECT_EQ(received, "YES END\r\n");
}

// Notes, for every received chunk, whether the line buffer already held a
// line that the chunk completed: then an exchange could act on the line, and
// a recording be stopped, before the capture had it.
class CaptureOrderSink : public TrafficSink {
 public:
  explicit CaptureOrderSink(CReadData* lines) : lines_(lines) {}

  void Capture(const void* bytes, uint32_t length, TrafficDirection direction) override {
    if (direction != TrafficDirection::kReceived) return;
    const char* text = static_cast<const char*>(bytes);
    std::lock_guard<std::mutex> lock(mutex_);
    if (lines_->LineCount() != static_cast<int32_t>(std::count(received_.begin(), received_.end(), '\n')))
      ++late_chunks_;
    received_.append(text, length);
    arrived_.notify_all();
  }

  bool WaitForReceived(const std::string& text, std::chrono::milliseconds limit) {
    std::unique_lock<std::mutex> lock(mutex_);
    return arrived_.wait_for(lock, limit, [&] { return received_.find(text) != std::string::npos; });
  }
  int LateChunks() {
    std::lock_guard<std::mutex> lock(mutex_);
    return late_chunks_;
  }

 private:
  CReadData* lines_;
  std::mutex mutex_;
  std::condition_variable arrived_;
  std::string received_;
  int late_chunks_ = 0;
};

TEST_F(ExchangeTest, ReceivedChunkIsCapturedBeforeTheLineBufferHasIt) {
  session.Close();
  CaptureOrderSink sink(port()->LineBuffer());
  session.SetTrafficSink(&sink);
  ASSERT_EQ(session.Open(logger->PortPath()), 0);
  port()->LineBuffer()->SetFilter(0);
  // Nothing takes lines from the buffer, so its count only grows: at each
  // capture it must equal the lines of the chunks captured before. A reply in
  // small pieces gives many chunks to check.
  logger->SetChunking(3, std::chrono::microseconds(300));
  ASSERT_EQ(port()->Write("RD SYS\r\n", 0, 1), 1);
  EXPECT_TRUE(sink.WaitForReceived("YES END\r\n", seconds(10)));
  EXPECT_EQ(sink.LateChunks(), 0);
  session.Close();  // the reader ends before the sink goes
  port()->LineBuffer()->SetFilter(1);
  session.SetTrafficSink(&log);
}

TEST_F(ExchangeTest, ClosingThePortEndsAWaitAtOnce) {
  logger->SilenceCommands("ST STP", 1);
  std::thread closer([this] {
    ASSERT_TRUE(logger->WaitForReceived(
        [](const std::vector<std::string>& l) { return !l.empty() && l.back() == "ST STP"; }, seconds(5)));
    session.Close();
  });
  timing::SetTimeScale(1.0);  // the real 45 s: only the close can end it quickly
  const auto t0 = std::chrono::steady_clock::now();
  EXPECT_EQ(proto().StopMeasurement(port(), 1), rc::kNoReply);
  EXPECT_LT(std::chrono::steady_clock::now() - t0, seconds(20));
  closer.join();
}

}  // namespace
