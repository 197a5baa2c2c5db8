// The virtual logger's line behaviour: readout abort, fault knobs, drops,
// clients that come and go, and the stand-alone program.
#include "sim_fixture.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <functional>

namespace simtest {
namespace {

TEST_F(SimTest, EscapeAbortsALongReadoutAtALineEnd) {
  logger_.PresetMemory(100000);
  ASSERT_TRUE(client().Write("RD ALL\r\n"));
  ASSERT_EQ(client().ReadLine(), "OK");
  ASSERT_TRUE(client().ReadLine().has_value());
  // The client has stopped reading, so the logger is held up mid-stream.
  ASSERT_TRUE(client().Write("\x1b"));

  const Lines rest = client().ReadUntil("YES END");
  ASSERT_FALSE(rest.empty());
  EXPECT_EQ(rest.back(), "YES END");
  EXPECT_LT(rest.size(), 50000u);
  for (size_t i = 0; i + 1 < rest.size(); ++i) ASSERT_TRUE(IsRecordLine(rest[i])) << rest[i];
  // The logger listens again afterwards.
  EXPECT_EQ(client().Exchange("RD ANT"), (Lines{"OK", "ANT 18", "YES END"}));
  EXPECT_EQ(logger_.ReceivedLines(), (Lines{"RD ALL", "RD ANT"}));
}

TEST(SimKnobTest, FaultKnobsShapeTheReplies) {
  const Lines ant = {"OK", "ANT 18", "YES END"};
  struct Case {
    std::string name;
    std::function<void(vlogger::VirtualLogger&)> knob;
    Lines commands;
    Lines expected;  // everything read until the last "YES END"
  };
  const Case cases[] = {
      {"refuse next", [](auto& l) { l.RefuseNext(1); }, {"RD ANT", "RD ANT"}, {"NOT END", "OK", "ANT 18", "YES END"}},
      {"refuse prefix twice",
       [](auto& l) { l.RefuseCommands("ST ITV ", 2); },
       {"ST ITV 1", "ST ITV2 1", "ST ITV 1", "ST ITV 1"},
       {"NOT END", "YES END", "NOT END", "YES END"}},
      {"silence next", [](auto& l) { l.SilenceNext(1); }, {"RD ANT", "RD ANT"}, ant},
      {"silence prefix", [](auto& l) { l.SilenceCommands("MAIL", -1); }, {"MAIL DSP", "MAIL IMEI", "RD ANT"}, ant},
      {"lower case",
       [](auto& l) { l.SetLowerCase(true); },
       {"HELLO", "ST ITV 1"},
       {"wake", "quorvane-hx7 ver[1.07]", "yes end"}},
      {"module noise",
       [](auto& l) { l.SetNoiseLine("#>RX:$NOISE", 2); },
       {"RD ANT"},
       {"#>RX:$NOISE", "OK", "ANT 18", "#>RX:$NOISE", "YES END"}},
      {"reply delay", [](auto& l) { l.SetReplyDelay(std::chrono::milliseconds(30)); }, {"RD ANT"}, ant},
      {"paced",
       [](auto& l) { l.SetPaced(true); },
       {"HELLO", "RD ANT"},
       {"WAKE", "Quorvane-HX7 Ver[1.07]", "OK", "ANT 18", "YES END"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    vlogger::VirtualLogger logger;
    ASSERT_TRUE(logger.Start());
    PtyClient client(logger.PortPath());
    c.knob(logger);
    std::string batch;
    for (const auto& command : c.commands) batch += command + "\r\n";
    client.Write(batch);
    Lines got;
    while (got.size() < c.expected.size()) {
      const auto line = client.ReadLine();
      if (!line) break;
      got.push_back(*line);
    }
    EXPECT_EQ(got, c.expected);
    // Refused and silenced commands are still recorded.
    EXPECT_TRUE(logger.WaitForReceived(c.commands.size(), std::chrono::seconds(5)));
    EXPECT_EQ(logger.ReceivedLines(), c.commands);
  }
}

TEST_F(SimTest, ChunkedOutputSplitsLinesButKeepsThem) {
  logger_.SetChunking(5, std::chrono::microseconds(2000));
  const Lines listing = client().Exchange("RD SYS");
  EXPECT_EQ(listing.size(), 15u);
  EXPECT_EQ(listing.back(), "YES END");
  size_t split_reads = 0;
  size_t total = 0;
  for (size_t size : client().ReadSizes()) {
    total += size;
    if (client().Raw()[total - 1] != '\n') ++split_reads;
  }
  EXPECT_GT(split_reads, 0u);  // some read ended in the middle of a line
}

TEST_F(SimTest, DropOnCommandClosesTheLineAndReopenGivesANewOne) {
  logger_.DropOnCommand("RD SYS");
  EXPECT_EQ(client().Exchange("RD ANT"), (Lines{"OK", "ANT 18", "YES END"}));
  client().Write("RD SYS\r\n");
  EXPECT_TRUE(client().WaitForHangUp());
  EXPECT_TRUE(logger_.WaitForClosed(std::chrono::seconds(5)));
  EXPECT_FALSE(logger_.IsOpen());
  EXPECT_EQ(logger_.ReceivedLines(), (Lines{"RD ANT", "RD SYS"}));

  const std::string old_path = logger_.PortPath();
  ASSERT_TRUE(logger_.Reopen());
  EXPECT_TRUE(logger_.IsOpen());
  PtyClient fresh(logger_.PortPath());
  ASSERT_TRUE(fresh.IsOpen());
  EXPECT_EQ(fresh.Exchange("HELLO", "Quorvane"), (Lines{"WAKE", "Quorvane-HX7 Ver[1.07]"}));
  EXPECT_NE(logger_.PortPath(), old_path);
}

TEST_F(SimTest, DropAfterBytesCutsAListingShort) {
  const uint64_t before = logger_.BytesSent();
  logger_.DropAfterBytes(100);
  client().Write("RD SYS\r\n");
  EXPECT_TRUE(client().WaitForHangUp());
  EXPECT_TRUE(logger_.WaitForClosed(std::chrono::seconds(5)));
  EXPECT_EQ(logger_.BytesSent() - before, 100u);
  // What was sent before the break stays readable, as on a real line.
  EXPECT_EQ(client().Raw().size(), 100u);
  EXPECT_EQ(client().Raw().substr(0, 4), "STM ");
}

TEST_F(SimTest, ClientsMayCloseAndReopenThePort) {
  EXPECT_EQ(client().Exchange("HELLO", "Quorvane").size(), 2u);
  for (int round = 0; round < 3; ++round) {
    client_.reset();
    client_ = std::make_unique<PtyClient>(logger_.PortPath());
    ASSERT_TRUE(client().IsOpen());
    EXPECT_EQ(client().Exchange("RD ANT"), (Lines{"OK", "ANT 18", "YES END"})) << round;
  }
  EXPECT_TRUE(logger_.IsOpen());
}

TEST_F(SimTest, InjectedBytesReachTheClientInOrder) {
  logger_.Inject(std::string("\x01\xfe#>RX:$NOISE\r\n", 15));
  EXPECT_EQ(client().ReadLine(), std::string("\x01\xfe#>RX:$NOISE"));
  client().Write("RD ANT\r\n\x1b");  // a stray ESC outside a readout is ignored
  EXPECT_EQ(client().ReadUntil("YES END"), (Lines{"OK", "ANT 18", "YES END"}));
  EXPECT_TRUE(logger_.WaitForReceivedBytes(
      [](const std::string& bytes) { return bytes.find('\x1b') != std::string::npos; }, std::chrono::seconds(5)));
}

TEST(SimProgramTest, PrintsThePathAndEndsWithStandardInput) {
  int in[2], out[2];
  ASSERT_EQ(pipe2(in, O_CLOEXEC), 0);
  ASSERT_EQ(pipe2(out, O_CLOEXEC), 0);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, in[0], STDIN_FILENO);
  posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
  char program[] = QUORVANE_SIM_PROGRAM;
  char records[] = "--records", count[] = "30";
  char* argv[] = {program, records, count, nullptr};
  pid_t pid = 0;
  ASSERT_EQ(posix_spawn(&pid, program, &actions, nullptr, argv, environ), 0);
  posix_spawn_file_actions_destroy(&actions);
  close(in[0]);
  close(out[1]);

  FILE* output = fdopen(out[0], "r");
  char path[256] = {};
  ASSERT_NE(fgets(path, sizeof path, output), nullptr);
  std::string port(path);
  while (!port.empty() && port.back() == '\n') port.pop_back();
  {
    PtyClient client(port);
    ASSERT_TRUE(client.IsOpen()) << port;
    EXPECT_EQ(client.Exchange("RD ALL 1 30").size(), 32u);
  }
  close(in[1]);  // the end of standard input ends the program
  int status = -1;
  ASSERT_EQ(waitpid(pid, &status, 0), pid);
  EXPECT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  fclose(output);
}

}  // namespace
}  // namespace simtest
