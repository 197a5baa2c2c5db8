#pragma once
// Runs the built quorvane-ctl as a child process in a fresh directory, with
// the protocol's time-outs shortened through its QHX_TIME_SCALE seam. Fault
// cases give it --port to a virtual logger started in this process, whose
// knobs the test sets and whose received lines the test reads.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "../support/generous_deadline.h"
#include "child_process.h"
#include "common/string_table.h"
#include "common/timing.h"
#include "session/device_session.h"
#include "virtual_logger.h"

// A built-in (Japanese) text as the tool prints it: LF for CR LF.
inline std::string TerminalText(uint32_t id) {
  const std::string t = strings::Text(id);
  std::string out;
  for (size_t i = 0; i < t.size(); ++i) {
    if (t[i] == '\r' && i + 1 < t.size() && t[i + 1] == '\n') continue;
    out += t[i];
  }
  return out;
}

// True when the text has the shape: '9' stands for any decimal digit, any
// other character for itself (TXL_ALL_99999999_999999.txt).
inline bool HasShape(const std::string& text, const std::string& shape) {
  if (text.size() != shape.size()) return false;
  for (size_t i = 0; i < text.size(); ++i) {
    const bool digit = text[i] >= '0' && text[i] <= '9';
    if (shape[i] == '9' ? !digit : text[i] != shape[i]) return false;
  }
  return true;
}

class CtlTest : public ::testing::Test {
 protected:
  // The fraction at which protocol time-outs run; QHX_TEST_TIME_SCALE
  // overrides it (slower sanitizer builds use a larger value).
  static double Scale() {
    const char* env = std::getenv("QHX_TEST_TIME_SCALE");
    return env != nullptr ? std::atof(env) : 0.05;
  }

  void SetUp() override {
    timing::SetTimeScale(Scale());
    char pattern[] = "/tmp/qhx_ctl_XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
    // The tool's default archive place, kept out of the tool's directory.
    char data[] = "/tmp/qhx_ctl_data_XXXXXX";
    ASSERT_NE(mkdtemp(data), nullptr);
    dataDir_ = data;
  }

  void TearDown() override {
    if (logger) logger->Stop();
    timing::SetTimeScale(1.0);
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
    if (!dataDir_.empty()) std::filesystem::remove_all(dataDir_, ec);
  }

  void StartLogger(const vlogger::Options& options = vlogger::Options{}) {
    logger = std::make_unique<vlogger::VirtualLogger>(options);
    ASSERT_TRUE(logger->Start()) << logger->LastError();
  }

  // Starts the tool without waiting for it.
  void Launch(ChildProcess& child, const std::vector<std::string>& args, const std::string& stdinPath = "/dev/null") {
    std::vector<std::string> env = {"QHX_TIME_SCALE=" + std::to_string(Scale()), "XDG_DATA_HOME=" + dataDir_.string()};
    env.insert(env.end(), language_.begin(), language_.end());
    ASSERT_TRUE(child.Start(QHX_CTL_PATH, args, dir_.string(), env, stdinPath));
  }

  ChildResult Ctl(const std::vector<std::string>& args) {
    ChildProcess child;
    Launch(child, args);
    return child.Finish();
  }

  // The tool on the logger of this process.
  std::vector<std::string> OnLogger(std::vector<std::string> args) {
    args.insert(args.begin(), {"--port", logger->PortPath()});
    return args;
  }
  ChildResult CtlOnLogger(const std::vector<std::string>& args) { return Ctl(OnLogger(args)); }

  // Once the tool has ended, writes an end mark to the logger from this
  // process: the logger handles its input in order, so everything before the
  // mark is what the tool sent. The line is opened without the port's purge,
  // which would drop bytes the tool wrote last that the logger has not read
  // yet. The ESC ends a listing the tool left running, so that the mark is
  // acted on; its refusal is read here, so that no later client gets it.
  // Depends on the virtual logger's thread getting its turn: the deadline is
  // generous.
  static constexpr const char* kEndMark = "QHX-TEST-END-OF-TOOL";
  static std::string EndMarkBytes() { return std::string("\x1b\r\n") + kEndMark + "\r\n"; }
  void MarkEndOfTool() {
    const int fd = open(logger->PortPath().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_GE(fd, 0) << std::strerror(errno);
    const std::string mark = EndMarkBytes();
    const auto marks = [](const std::vector<std::string>& lines) {
      return std::count(lines.begin(), lines.end(), kEndMark);
    };
    const auto before = marks(logger->ReceivedLines());
    const auto marked = [&](const std::vector<std::string>& lines) { return marks(lines) > before; };
    const bool written = write(fd, mark.data(), mark.size()) == static_cast<ssize_t>(mark.size());
    const auto deadline = std::chrono::steady_clock::now() + testwait::Generous(std::chrono::seconds(20));
    std::string reply;
    bool answered = false;
    if (written && logger->WaitForReceived(marked, testwait::Generous(std::chrono::seconds(20)))) {
      while (!answered && std::chrono::steady_clock::now() < deadline) {
        pollfd ready{fd, POLLIN, 0};
        if (poll(&ready, 1, 100) <= 0) continue;
        char chunk[4096];
        const ssize_t n = read(fd, chunk, sizeof chunk);
        if (n <= 0) break;
        reply.append(chunk, static_cast<size_t>(n));
        std::string upper = reply;
        std::transform(upper.begin(), upper.end(), upper.begin(), [](unsigned char c) { return std::toupper(c); });
        answered = upper.find("NOT END\r\n") != std::string::npos;
      }
    }
    close(fd);
    ASSERT_TRUE(written) << std::strerror(errno);
    ASSERT_TRUE(answered) << "the logger did not refuse the end mark; it sent: " << reply;
  }
  std::vector<std::string> LinesFromTool() {
    MarkEndOfTool();
    std::vector<std::string> lines = logger->ReceivedLines();
    const auto last = std::find(lines.rbegin(), lines.rend(), kEndMark);
    if (last != lines.rend()) lines.erase(std::prev(last.base()), lines.end());
    return lines;
  }
  std::string BytesFromTool() {
    MarkEndOfTool();
    std::string bytes = logger->ReceivedBytes();
    const size_t mark = bytes.rfind(EndMarkBytes());
    return mark == std::string::npos ? bytes : bytes.substr(0, mark);
  }
  // The lines from the tool that start with one of the prefixes, in order.
  std::vector<std::string> LinesFromToolStarting(const std::vector<std::string>& prefixes) {
    std::vector<std::string> out;
    for (const std::string& line : LinesFromTool())
      for (const std::string& p : prefixes)
        if (line.compare(0, p.size(), p) == 0) {
          out.push_back(line);
          break;
        }
    return out;
  }

  std::string Path(const std::string& name) const { return (dir_ / name).string(); }
  static std::string ReadFile(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
  }
  static void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  }
  // Names of the files the tool left in its directory.
  std::vector<std::string> Files() const {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(dir_)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

  static std::string Text(uint32_t id) { return TerminalText(id); }

  std::unique_ptr<vlogger::VirtualLogger> logger;
  // The message locale the tool sees: Japanese unless a test says otherwise.
  std::vector<std::string> language_ = {"LC_ALL=", "LC_MESSAGES=", "LANG=ja_JP.UTF-8"};
  std::filesystem::path dir_;
  std::filesystem::path dataDir_;
};
