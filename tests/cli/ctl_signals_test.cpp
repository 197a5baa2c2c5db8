// read-data under the signals and write failures a shell gives it: however
// the readout ends, the records that arrived are in the archive (and in the
// file where one is kept), the logger got the abort byte where the readout
// was cut short, and the exit status says what happened. The tool starts
// through /bin/sh where the case needs what a shell sets up before exec: an
// ignored signal, the file size limit, standard output into a pipe.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <sstream>

#include "command_line.h"
#include "ctl_fixture.h"

namespace {

enum class Stream {
  kPaced,             // 9600 baud: the listing lasts far longer than the test
  kPacedThenStalled,  // paced until records arrived, then silent (the abort byte too waits)
  kInShortChunks,     // fast, in pieces: done within a second or so
  kFast,              // as fast as the line takes it
};

struct SignalCase {
  const char* name;
  Stream stream;
  size_t records;
  const char* shellSetup;  // run by /bin/sh before it becomes the tool
  bool toPipe;             // -o - into a pipe whose reader leaves after one line; else -o data.txt
  // Sent once records arrive; each one after the logger got the abort byte
  // that the one before caused.
  std::vector<int> signals;
  int exitCode;
  bool cutShort;  // the logger got ESC, and not every record was read
  int reason;     // the output's failure, told once (0: none)
  // The limit holds for the archive too, which takes three times the text's
  // size per record and its journal on top: it keeps a whole first part of
  // the records or says that it could not.
  bool archiveMayFail;
};

const SignalCase kCases[] = {
    {"SecondInterruptWhileTheLoggerStalls",
     Stream::kPacedThenStalled,
     1000,
     "",
     false,
     {SIGINT, SIGINT},
     exit_status::kIncomplete,
     true,
     0,
     false},
    {"Terminate", Stream::kPaced, 1000, "", false, {SIGTERM}, exit_status::kIncomplete, true, 0, false},
    {"HangUpIgnoredByTheParent",
     Stream::kInShortChunks,
     3000,
     "trap '' HUP; ",
     false,
     {SIGHUP},
     exit_status::kOk,
     false,
     0,
     false},
    {"ReaderOfStandardOutputGone", Stream::kFast, 100000, "", true, {}, exit_status::kFailed, true, EPIPE, false},
    // 128 blocks of 512 bytes: 64 KiB.
    {"FileSizeLimit", Stream::kFast, 100000, "ulimit -f 128; ", false, {}, exit_status::kFailed, true, EFBIG, true},
};

void PrintTo(const SignalCase& c, std::ostream* os) { *os << c.name; }

class CtlSignalsTest : public CtlTest, public ::testing::WithParamInterface<SignalCase> {
 protected:
  void SetUp() override {
    CtlTest::SetUp();
    archive_ = Path("archive.sqlite");
  }

  void Launch(ChildProcess& child, const SignalCase& c) {
    std::string script = std::string(c.shellSetup) + "exec \"$0\" \"$@\"";
    if (c.toPipe) script += " >\"$QHX_FIFO\"";
    std::vector<std::string> args{"-c", script, QHX_CTL_PATH};
    for (const std::string& a : OnLogger({"--archive", archive_, "read-data", "-o", c.toPipe ? "-" : "data.txt"}))
      args.push_back(a);
    std::vector<std::string> env = {"QHX_TIME_SCALE=" + std::to_string(Scale()), "XDG_DATA_HOME=" + dataDir_.string(),
                                    "QHX_FIFO=" + Path("out.fifo")};
    env.insert(env.end(), language_.begin(), language_.end());
    ASSERT_TRUE(child.Start("/bin/sh", args, dir_.string(), env));
  }

  // Reads the pipe until one whole line came, then closes it.
  static void ReadOneLineAndLeave(int fd) {
    std::string got;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (got.find('\n') == std::string::npos && std::chrono::steady_clock::now() < deadline) {
      pollfd p{fd, POLLIN, 0};
      if (poll(&p, 1, 100) <= 0) continue;
      char buffer[512];
      const ssize_t n = read(fd, buffer, sizeof buffer);
      if (n > 0) got.append(buffer, static_cast<size_t>(n));
    }
    EXPECT_NE(got.find('\n'), std::string::npos) << "no line on standard output";
    close(fd);
  }

  void WaitForRecordsOnTheLine() {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (logger->BytesSent() < 2000 && std::chrono::steady_clock::now() < deadline)
      std::this_thread::sleep_for(std::chrono::milliseconds(5));  // waiting for the listing to run
  }

  bool LoggerGotEsc(std::chrono::seconds timeout) {
    return logger->WaitForReceivedBytes([](const std::string& b) { return b.find('\x1b') != std::string::npos; },
                                        timeout);
  }

  // The IDs of the archived records, in order.
  std::vector<int> ArchivedIds() {
    const ChildResult loggers = Ctl({"--archive", archive_, "archive", "loggers"});
    std::istringstream rows(loggers.out);
    std::string header, serial;
    std::getline(rows, header);
    std::getline(rows, serial, '\t');
    if (serial.empty()) return {};
    const ChildResult records =
        Ctl({"--archive", archive_, "archive", "export", "--serial", serial, "--format", "txt"});
    EXPECT_EQ(records.exitCode, 0) << records.err;
    return IdsOf(records.out);
  }

  // The record ID at the start of each line.
  static std::vector<int> IdsOf(const std::string& text) {
    std::vector<int> ids;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) ids.push_back(std::atoi(line.c_str()));
    return ids;
  }

  static std::vector<int> Range(int first, int last) {
    std::vector<int> ids;
    for (int id = first; id <= last; ++id) ids.push_back(id);
    return ids;
  }

  static size_t Count(const std::string& text, const std::string& part) {
    size_t n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size())) ++n;
    return n;
  }

  std::string archive_;
};

TEST_P(CtlSignalsTest, WhatArrivedIsKeptAndTheEndIsTold) {
  const SignalCase& c = GetParam();
  vlogger::Options options;
  options.preset_records = c.records;
  options.paced = c.stream == Stream::kPaced || c.stream == Stream::kPacedThenStalled;
  StartLogger(options);
  if (c.stream == Stream::kInShortChunks) logger->SetChunking(4096, std::chrono::milliseconds(10));

  int pipeReader = -1;
  if (c.toPipe) {
    ASSERT_EQ(mkfifo(Path("out.fifo").c_str(), 0600), 0);
    // Open first, so that the tool's side opens at once.
    pipeReader = open(Path("out.fifo").c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    ASSERT_GE(pipeReader, 0) << std::strerror(errno);
  }
  ChildProcess child;
  Launch(child, c);
  if (c.toPipe) ReadOneLineAndLeave(pipeReader);

  if (!c.signals.empty()) WaitForRecordsOnTheLine();
  if (c.stream == Stream::kPacedThenStalled) logger->SetChunking(1, std::chrono::hours(1));
  for (size_t i = 0; i < c.signals.size(); ++i) {
    if (i > 0) {
      ASSERT_TRUE(LoggerGotEsc(std::chrono::seconds(30)));
    }
    child.Signal(c.signals[i]);
  }
  const ChildResult r = child.Finish();
  EXPECT_EQ(r.signal, 0) << strsignal(r.signal);
  EXPECT_EQ(r.exitCode, c.exitCode) << r.err;
  if (c.reason != 0) {
    EXPECT_EQ(Count(r.err, std::strerror(c.reason)), 1u) << r.err;
  }
  EXPECT_EQ(LoggerGotEsc(std::chrono::seconds(c.cutShort ? 30 : 0)), c.cutShort);

  const std::vector<int> archived = ArchivedIds();
  if (c.archiveMayFail) {
    EXPECT_TRUE(!archived.empty() || r.err.find(Text(strings::id::kArchiveReadoutGoesOn)) != std::string::npos)
        << r.err;
  } else {
    ASSERT_FALSE(archived.empty()) << r.err;
  }
  EXPECT_EQ(archived, Range(1, static_cast<int>(archived.size())));
  if (c.cutShort) {
    EXPECT_LT(archived.size(), c.records);
  } else {
    EXPECT_EQ(archived.size(), c.records);
  }
  if (c.reason != 0) {
    // A file that failed leaves nothing in its place.
    const std::vector<std::string> files = Files();
    EXPECT_EQ(std::find(files.begin(), files.end(), "data.txt"), files.end());
  } else {
    // The file holds exactly what the archive holds.
    EXPECT_EQ(IdsOf(ReadFile(Path("data.txt"))), archived);
  }
}

INSTANTIATE_TEST_SUITE_P(Ends, CtlSignalsTest, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<SignalCase>& info) { return info.param.name; });

}  // namespace
