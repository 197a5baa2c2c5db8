// Measures the link, the readout, a command exchange, the waiting side's
// processor time and the traffic capture against the virtual logger over real
// pseudo-terminals, and the peak memory of the command-line tool. Prints one
// table; every figure is the median of several repetitions.
//
//   quorvane-bench [--reps N] [--ctl PATH-TO-quorvane-ctl]
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "bench_util.h"
#include "log/traffic_capture.h"
#include "session/device_session.h"
#include "virtual_logger.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;
using bench::MedianOf;
using bench::Seconds;

struct Row {
  std::string name;
  std::string value;
  std::string goal;
};
std::vector<Row> g_rows;

void Add(const std::string& name, const char* fmt, double v, const std::string& goal = "") {
  char buf[64];
  std::snprintf(buf, sizeof buf, fmt, v);
  g_rows.push_back({name, buf, goal});
  std::fprintf(stderr, "  %-58s %s\n", name.c_str(), buf);
}

// ---- the limit of this machine: a raw pseudo-terminal

double RawPtyMegabytesPerSecond() {
  int master = -1, slave = -1;
  if (openpty(&master, &slave, nullptr, nullptr, nullptr) != 0) return 0;
  termios t{};
  tcgetattr(slave, &t);
  cfmakeraw(&t);
  tcsetattr(slave, TCSANOW, &t);
  tcgetattr(master, &t);
  cfmakeraw(&t);
  tcsetattr(master, TCSANOW, &t);
  constexpr size_t kTotal = 64u << 20;
  std::thread writer([master] {
    std::vector<char> block(65536, 'x');
    size_t sent = 0;
    while (sent < kTotal) {
      const ssize_t n = write(master, block.data(), std::min(block.size(), kTotal - sent));
      if (n > 0) sent += static_cast<size_t>(n);
    }
  });
  char buf[4096];
  size_t got = 0;
  const auto t0 = Clock::now();
  while (got < kTotal) {
    const ssize_t n = read(slave, buf, sizeof buf);
    if (n > 0) got += static_cast<size_t>(n);
  }
  const double s = Seconds(Clock::now() - t0);
  writer.join();
  close(master);
  close(slave);
  return kTotal / s / 1e6;
}

// ---- a session on a virtual logger, with the terminal's capture running

class Rig {
 public:
  explicit Rig(vlogger::Options options = {}) : logger_(options) {
    log_.Ring().Allocate();
    SetCaptureLog(&log_);
    // The terminal window takes what was captured whenever it is told to.
    log_.SetNotifyTarget([this](unsigned) { Notify(); }, CMLog::kTerminalNotifyId);
    taker_ = std::thread([this] { TakeLoop(); });
    logger_.Start();
    session_.Open(logger_.PortPath());
    session_.Identify();
  }
  ~Rig() {
    session_.Close();
    logger_.Stop();
    {
      std::lock_guard<std::mutex> lock(m_);
      stop_ = true;
    }
    cv_.notify_all();
    taker_.join();
    log_.SetNotifyTarget(nullptr, 0);
    SetCaptureLog(nullptr);
  }
  vlogger::VirtualLogger& logger() { return logger_; }
  CDeviceSession& session() { return session_; }
  CRSPort* port() { return session_.PortPtr(); }
  uint64_t taken() const { return taken_.load(); }

 private:
  void Notify() {
    {
      std::lock_guard<std::mutex> lock(m_);
      pending_ = true;
    }
    cv_.notify_one();
  }
  void TakeLoop() {
    std::unique_lock<std::mutex> lock(m_);
    while (!stop_) {
      cv_.wait(lock, [this] { return pending_ || stop_; });
      pending_ = false;
      lock.unlock();
      taken_ += static_cast<uint64_t>(log_.Ring().TakePending());
      lock.lock();
    }
  }

  CMLog log_;
  vlogger::VirtualLogger logger_;
  CDeviceSession session_;
  std::mutex m_;
  std::condition_variable cv_;
  bool pending_ = false;
  bool stop_ = false;
  std::atomic<uint64_t> taken_{0};
  std::thread taker_;
};

struct Readout {
  int records = 0;
  size_t bytes = 0;
  double seconds = 0;
};

// "RD ALL" into the saved text, from sending the command to its end line.
Readout ReadAll(Rig& rig, int first, int count) {
  Readout r;
  std::string text, all;
  all.reserve(8u << 20);
  const auto t0 = Clock::now();
  if (rig.session().Protocol().ReadAllStart(rig.port(), first, count) != rc::kOk) return r;
  while (rig.session().Protocol().ReadRecordLine(rig.port(), &text) == rc::kDataLine) {
    all += text;
    ++r.records;
  }
  r.seconds = Seconds(Clock::now() - t0);
  r.bytes = all.size();
  return r;
}

// ---- the command-line tool's peak memory

double PeakRssMegabytes(const std::string& ctl, const std::vector<std::string>& args) {
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(ctl.c_str()));
  for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t fa;
  posix_spawn_file_actions_init(&fa);
  posix_spawn_file_actions_addopen(&fa, 1, "/dev/null", O_WRONLY, 0);
  pid_t pid;
  if (posix_spawn(&pid, ctl.c_str(), &fa, nullptr, argv.data(), environ) != 0) return -1;
  posix_spawn_file_actions_destroy(&fa);
  int status = 0;
  rusage ru{};
  wait4(pid, &status, 0, &ru);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return -1;
  return ru.ru_maxrss / 1024.0;
}

}  // namespace

int main(int argc, char** argv) {
  int reps = 5;
  std::string ctl;
  for (int i = 1; i < argc; ++i) {
    if (!std::strcmp(argv[i], "--reps") && i + 1 < argc) reps = std::atoi(argv[++i]);
    else if (!std::strcmp(argv[i], "--ctl") && i + 1 < argc) ctl = argv[++i];
  }
  if (ctl.empty()) {
    char self[4096] = {};
    if (readlink("/proc/self/exe", self, sizeof self - 1) > 0) {
      std::string dir(self);
      ctl = dir.substr(0, dir.rfind('/')) + "/quorvane-ctl";
    }
  }
  std::fprintf(stderr, "measuring (%d repetitions each)...\n", reps);

  const double raw = MedianOf(reps, RawPtyMegabytesPerSecond);
  Add("raw pseudo-terminal throughput (4096-byte reads)", "%.1f MB/s", raw);

  {
    vlogger::Options o;
    o.preset_records = 100000;
    Rig rig(o);
    std::vector<double> rps, bps;
    for (int i = 0; i < reps; ++i) {
      const Readout r = ReadAll(rig, -1, 0);
      rps.push_back(r.records / r.seconds);
      bps.push_back(r.bytes / r.seconds / 1e6);
    }
    Add("readout of 100,000 records, unpaced: records per second", "%.0f rec/s", bench::Median(rps));
    Add("readout of 100,000 records, unpaced: bytes per second", "%.2f MB/s", bench::Median(bps));
    Add("  ratio to the raw pseudo-terminal", "%.3f", bench::Median(bps) / raw, ">= 0.25");
  }

  {
    vlogger::Options o;
    o.preset_records = 1000;
    o.paced = true;
    Rig rig(o);
    const double ratio = MedianOf(std::max(1, reps / 2), [&] {
      const uint64_t sent0 = rig.logger().BytesSent();
      const Readout r = ReadAll(rig, -1, 0);
      const uint64_t bytes = rig.logger().BytesSent() - sent0 + std::strlen("RD ALL\r\n");
      return r.seconds / (bytes * 10.0 / 9600.0);
    });
    Add("readout of 1,000 records at 9600 baud: time / line time", "%.4f", ratio, "<= 1.02");
  }

  {
    Rig rig;
    std::vector<double> v;
    for (int i = 0; i < 2000; ++i) {
      const auto t0 = Clock::now();
      rig.session().Protocol().SetBatteryCutoff(rig.port(), 3000);
      v.push_back(Seconds(Clock::now() - t0) * 1e3);
    }
    Add("one command exchange (ST BAT), logger answering at once", "%.3f ms", bench::Median(v), "< 0.2 ms");
  }

  {
    Rig rig;
    rig.logger().SilenceCommands("ST RSS", -1);
    const double p0 = bench::ProcessCpuSeconds(), t0 = bench::ThreadCpuSeconds();
    rig.session().Protocol().SendCommand(rig.port(), "ST RSS 1\r\n", 10000);
    Add("processor time of a 10 s wait for a silent logger: waiting thread", "%.4f s",
        bench::ThreadCpuSeconds() - t0, "~0");
    Add("  the same, whole process (reader, virtual logger, capture taker)", "%.4f s",
        bench::ProcessCpuSeconds() - p0);
  }

  {
    CMLog log;
    log.Ring().Allocate();
    std::vector<uint8_t> chunk(4096);
    for (size_t i = 0; i < chunk.size(); ++i) chunk[i] = static_cast<uint8_t>(32 + i % 90);
    const double mbps = MedianOf(reps, [&] {
      constexpr int kChunks = 16384;  // 64 MiB
      SetCaptureLog(&log);
      const auto t0 = Clock::now();
      for (int i = 0; i < kChunks; ++i) {
        CaptureTraffic(chunk.data(), static_cast<uint32_t>(chunk.size()), static_cast<uint8_t>(i & 1));
        if (i % 64 == 63) log.Ring().TakePending();
      }
      log.Ring().TakePending();
      SetCaptureLog(nullptr);
      return kChunks * chunk.size() / Seconds(Clock::now() - t0) / 1e6;
    });
    Add("traffic capture (CaptureTraffic + TakePending)", "%.1f MB/s", mbps);
  }

  if (access(ctl.c_str(), X_OK) == 0) {
    const double rss_read = MedianOf(std::max(1, reps / 2), [&] {
      return PeakRssMegabytes(ctl, {"--simulate", "--sim-records", "100000", "read-data", "-o", "/dev/null"});
    });
    Add("peak memory: quorvane-ctl --simulate read-data (100,000 records)", "%.1f MB", rss_read, "< 64 MB");
    const double rss_info =
        MedianOf(std::max(1, reps / 2), [&] { return PeakRssMegabytes(ctl, {"--simulate", "info"}); });
    Add("peak memory: quorvane-ctl --simulate info", "%.1f MB", rss_info, "< 24 MB");
  } else {
    std::fprintf(stderr, "  (quorvane-ctl not found at %s: memory figures skipped)\n", ctl.c_str());
  }

  std::printf("| Figure | Value | Goal |\n|---|---|---|\n");
  for (const auto& r : g_rows) std::printf("| %s | %s | %s |\n", r.name.c_str(), r.value.c_str(), r.goal.c_str());
  return 0;
}
