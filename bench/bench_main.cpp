// Measures the link, the readout, a command exchange, the waiting side's
// processor time and the traffic capture against the virtual logger over real
// pseudo-terminals, and the peak memory and processor time of the
// command-line tool and the desktop program, each run as a fresh process.
// Prints one table; every figure is the median of several repetitions with
// their range. See Usage() for the options.
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
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
using bench::Repeat;
using bench::Seconds;
using bench::Spread;

struct Row {
  std::string name;
  std::string value;
  std::string goal;
};
std::vector<Row> g_rows;

void Add(const std::string& name, const std::string& value, const std::string& goal = "") {
  g_rows.push_back({name, value, goal});
  std::fprintf(stderr, "  %-66s %s\n", name.c_str(), value.c_str());
}

void Add(const std::string& name, const Spread& s, const char* fmt, const std::string& goal = "") {
  Add(name, s.Empty() ? std::string("(no figure)") : s.Format(fmt), goal);
}

// The programs the benchmark runs as fresh processes.
struct Tools {
  std::string measure;  // quorvane-measure
  std::string ctl;      // quorvane-ctl
  std::string desktop;  // quorvane-hx
};

// ---- the limit of this machine: a raw pseudo-terminal

// Moves `total` bytes through a fresh raw pseudo-terminal pair.
double RawPtyMegabytesPerSecond(size_t total) {
  int master = -1, slave = -1;
  if (openpty(&master, &slave, nullptr, nullptr, nullptr) != 0) return 0;
  termios t{};
  tcgetattr(slave, &t);
  cfmakeraw(&t);
  tcsetattr(slave, TCSANOW, &t);
  tcgetattr(master, &t);
  cfmakeraw(&t);
  tcsetattr(master, TCSANOW, &t);
  std::thread writer([master, total] {
    std::vector<char> block(65536, 'x');
    size_t sent = 0;
    while (sent < total) {
      const ssize_t n = write(master, block.data(), std::min(block.size(), total - sent));
      if (n > 0) sent += static_cast<size_t>(n);
    }
  });
  // Read as the port's reader reads.
  std::vector<char> buf(CRSPort::kReadChunk);
  size_t got = 0;
  const auto t0 = Clock::now();
  while (got < total) {
    const ssize_t n = read(slave, buf.data(), buf.size());
    if (n > 0) got += static_cast<size_t>(n);
  }
  const double s = Seconds(Clock::now() - t0);
  writer.join();
  close(master);
  close(slave);
  return total / s / 1e6;
}

// ---- a session on a virtual logger, with the terminal's capture running

class Rig {
 public:
  explicit Rig(vlogger::Options options = {}) : logger_(options) {
    log_.Ring().Allocate();
    session_.SetTrafficSink(&log_);
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

// ---- tools as fresh processes, through the measuring helper

struct ChildFigures {
  bool ok = false;
  double peakMegabytes = 0;
  double cpuSeconds = 0;  // user + system
  std::string output;     // what it printed on its standard output
};

std::string ReadWholeFile(const std::string& path) {
  std::string text;
  if (FILE* f = std::fopen(path.c_str(), "r")) {
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) text.append(buf, n);
    std::fclose(f);
  }
  return text;
}

// Runs `program` through the helper, with QT_QPA_PLATFORM=offscreen for a
// desktop program, and takes its figures.
ChildFigures RunMeasured(const Tools& tools, const std::string& program, const std::vector<std::string>& args) {
  ChildFigures figures;
  char dir[] = "/tmp/qhx-bench-XXXXXX";
  if (mkdtemp(dir) == nullptr) return figures;
  const std::string figuresPath = std::string(dir) + "/figures", outputPath = std::string(dir) + "/output";
  std::vector<std::string> all{tools.measure, figuresPath, program};
  all.insert(all.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (auto& a : all) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  // Each run gets an empty data folder: the tools keep their archive there,
  // and one left by earlier runs (of anyone on this account) would grow the
  // figures from run to run.
  const std::string dataHome = std::string(dir) + "/data";
  mkdir(dataHome.c_str(), 0700);
  std::vector<std::string> env{"QT_QPA_PLATFORM=offscreen", "XDG_DATA_HOME=" + dataHome};
  for (char** e = environ; *e != nullptr; ++e)
    if (std::strncmp(*e, "QT_QPA_PLATFORM=", 16) != 0 && std::strncmp(*e, "XDG_DATA_HOME=", 14) != 0)
      env.emplace_back(*e);
  std::vector<char*> envp;
  for (auto& e : env) envp.push_back(const_cast<char*>(e.c_str()));
  envp.push_back(nullptr);

  posix_spawn_file_actions_t fa;
  posix_spawn_file_actions_init(&fa);
  posix_spawn_file_actions_addopen(&fa, 1, outputPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  // The platform plugin's notes would break up the table on the terminal.
  posix_spawn_file_actions_addopen(&fa, 2, "/dev/null", O_WRONLY, 0);
  pid_t pid;
  const int spawned = posix_spawn(&pid, tools.measure.c_str(), &fa, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&fa);
  if (spawned == 0) {
    int status = 0;
    waitpid(pid, &status, 0);
    long peakKb = 0;
    double user = 0, system = 0;
    int exitStatus = -1;
    const std::string text = ReadWholeFile(figuresPath);
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0 &&
        std::sscanf(text.c_str(), "%ld %lf %lf %d", &peakKb, &user, &system, &exitStatus) == 4 && exitStatus == 0) {
      figures.ok = true;
      figures.peakMegabytes = peakKb / 1024.0;
      figures.cpuSeconds = user + system;
    }
    figures.output = ReadWholeFile(outputPath);
  }
  std::error_code ignored;
  std::filesystem::remove_all(dir, ignored);
  return figures;
}

// A "key=value" figure of the desktop program's "bench:" line; -1 if missing.
double BenchValue(const std::string& output, const std::string& key) {
  const size_t line = output.find("bench: ");
  if (line == std::string::npos) return -1;
  const size_t at = output.find(" " + key + "=", line);
  if (at == std::string::npos) return -1;
  return std::atof(output.c_str() + at + key.size() + 2);
}

void Usage() {
  std::printf(
      "usage: quorvane-bench [--reps N] [--only GROUP[,GROUP...]] [--paced-records N] [--bin DIR]\n"
      "\n"
      "Measures this machine against the virtual logger and prints one table; each\n"
      "figure is the median of N repetitions (default 5) with their range.\n"
      "\n"
      "groups (all by default):\n"
      "  readout   100,000-record readout between two raw pseudo-terminal runs of its volume\n"
      "  paced     1,000-record readout at 9600 baud against its line time\n"
      "  exchange  one command exchange\n"
      "  wait      processor time of a 10 s wait for a silent logger\n"
      "  capture   traffic capture throughput\n"
      "  memory    peak memory of quorvane-ctl info and of a 100,000-record readout\n"
      "  archive   the 100,000-record read-data command without and with its archive\n"
      "  desktop   processor time of quorvane-hx during a 9600-baud readout beside\n"
      "            quorvane-ctl's; the data viewer of 100,000 records (memory, time)\n"
      "\n"
      "--paced-records N  records of the desktop's 9600-baud readout (default 300)\n"
      "--bin DIR          where quorvane-ctl, quorvane-hx and quorvane-measure are\n"
      "                   (default: beside this program)\n");
}

bool Wanted(const std::vector<std::string>& only, const char* group) {
  return only.empty() || std::find(only.begin(), only.end(), group) != only.end();
}

bool Executable(const std::string& path) { return access(path.c_str(), X_OK) == 0; }

void MeasureReadout(int reps) {
  // The raw figure moves a lot from one moment to the next on a shared
  // machine, so each repetition brackets a readout between two raw figures,
  // each moving as many bytes as the readout does (so that all three take
  // about as long), and the ratio is to their mean.
  vlogger::Options o;
  o.preset_records = 100000;
  Rig rig(o);
  Spread raw, rps, bps, ratio;
  size_t volume = ReadAll(rig, -1, 0).bytes;  // also warms the rig up
  if (volume == 0) volume = 4u << 20;
  for (int i = 0; i < reps; ++i) {
    const double before = RawPtyMegabytesPerSecond(volume);
    const Readout r = ReadAll(rig, -1, 0);
    const double rawMbps = (before + RawPtyMegabytesPerSecond(volume)) / 2;
    raw.Add(rawMbps);
    rps.Add(r.records / r.seconds);
    bps.Add(r.bytes / r.seconds / 1e6);
    ratio.Add(r.bytes / r.seconds / 1e6 / rawMbps);
  }
  Add("raw pseudo-terminal throughput (reads as the port's, the readout's volume)", raw, "%.1f MB/s");
  Add("readout of 100,000 records, unpaced: records per second", rps, "%.0f rec/s");
  Add("readout of 100,000 records, unpaced: bytes per second", bps, "%.2f MB/s");
  Add("  ratio to the raw pseudo-terminal, per interleaved pair", ratio, "%.3f", ">= 0.6");
}

void MeasurePaced(int reps) {
  vlogger::Options o;
  o.preset_records = 1000;
  o.paced = true;
  Rig rig(o);
  const Spread ratio = Repeat(std::max(1, reps / 2), [&] {
    const uint64_t sent0 = rig.logger().BytesSent();
    const Readout r = ReadAll(rig, -1, 0);
    const uint64_t bytes = rig.logger().BytesSent() - sent0 + std::strlen("RD ALL\r\n");
    return r.seconds / (bytes * 10.0 / 9600.0);
  });
  Add("readout of 1,000 records at 9600 baud: time / line time", ratio, "%.4f", "<= 1.02");
}

void MeasureExchange() {
  Rig rig;
  std::vector<double> v;
  for (int i = 0; i < 2000; ++i) {
    const auto t0 = Clock::now();
    rig.session().Protocol().SetBatteryCutoff(rig.port(), 3000);
    v.push_back(Seconds(Clock::now() - t0) * 1e3);
  }
  Spread s;
  s.values = v;
  Add("one command exchange (ST BAT), logger answering at once (2,000 exchanges)", s, "%.3f ms", "< 0.2 ms");
}

void MeasureWait() {
  Rig rig;
  rig.logger().SilenceCommands("ST RSS", -1);
  const double p0 = bench::ProcessCpuSeconds(), t0 = bench::ThreadCpuSeconds();
  rig.session().Protocol().SendCommand(rig.port(), "ST RSS 1\r\n", 10000);
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.4f s", bench::ThreadCpuSeconds() - t0);
  Add("processor time of a 10 s wait for a silent logger: waiting thread (once)", buf, "~0");
  std::snprintf(buf, sizeof buf, "%.4f s", bench::ProcessCpuSeconds() - p0);
  Add("  the same, whole process (reader, virtual logger, capture taker)", buf);
}

void MeasureCapture(int reps) {
  CMLog log;
  log.Ring().Allocate();
  std::vector<uint8_t> chunk(4096);
  for (size_t i = 0; i < chunk.size(); ++i) chunk[i] = static_cast<uint8_t>(32 + i % 90);
  const Spread mbps = Repeat(reps, [&] {
    constexpr int kChunks = 16384;  // 64 MiB
    const auto t0 = Clock::now();
    for (int i = 0; i < kChunks; ++i) {
      log.Capture(chunk.data(), static_cast<uint32_t>(chunk.size()),
                  (i & 1) != 0 ? TrafficDirection::kSent : TrafficDirection::kReceived);
      if (i % 64 == 63) log.Ring().TakePending();
    }
    log.Ring().TakePending();
    return kChunks * chunk.size() / Seconds(Clock::now() - t0) / 1e6;
  });
  Add("traffic capture (Capture + TakePending)", mbps, "%.1f MB/s");
}

void MeasureMemory(const Tools& tools, int reps) {
  if (!Executable(tools.ctl) || !Executable(tools.measure)) {
    std::fprintf(stderr, "  (quorvane-ctl or quorvane-measure missing: memory figures skipped)\n");
    return;
  }
  Spread info, read;
  for (int i = 0; i < reps; ++i) {
    const ChildFigures a = RunMeasured(tools, tools.ctl, {"--simulate", "info"});
    const ChildFigures b =
        RunMeasured(tools, tools.ctl, {"--simulate", "--sim-records", "100000", "read-data", "-o", "/dev/null"});
    if (a.ok) info.Add(a.peakMegabytes);
    if (b.ok) read.Add(b.peakMegabytes);
  }
  Add("peak memory: quorvane-ctl --simulate info", info, "%.1f MB", "< 8 MB");
  Add("peak memory: quorvane-ctl --simulate read-data (100,000 records)", read, "%.1f MB", "< 16 MB");
}

// The whole read-data command of 100,000 unpaced records, as the user waits
// for it, without and with its archive: each repetition runs the two back to
// back, and the share is taken per pair.
void MeasureArchivedCommand(const Tools& tools, int reps) {
  if (!Executable(tools.ctl) || !Executable(tools.measure)) {
    std::fprintf(stderr, "  (quorvane-ctl or quorvane-measure missing: archive figures skipped)\n");
    return;
  }
  const std::vector<std::string> read{"--simulate", "--sim-records", "100000", "read-data", "-o", "/dev/null"};
  std::vector<std::string> plainArgs{"--no-archive"};
  plainArgs.insert(plainArgs.end(), read.begin(), read.end());
  Spread plain, archived, added, share;
  for (int i = 0; i < reps; ++i) {
    auto t0 = Clock::now();
    const ChildFigures a = RunMeasured(tools, tools.ctl, plainArgs);
    const double plainSeconds = Seconds(Clock::now() - t0);
    t0 = Clock::now();
    const ChildFigures b = RunMeasured(tools, tools.ctl, read);
    const double archivedSeconds = Seconds(Clock::now() - t0);
    if (!a.ok || !b.ok) continue;
    plain.Add(plainSeconds);
    archived.Add(archivedSeconds);
    added.Add(archivedSeconds - plainSeconds);
    share.Add((archivedSeconds - plainSeconds) / plainSeconds * 100);
  }
  Add("read-data command, 100,000 records, unpaced, --no-archive", plain, "%.3f s");
  Add("read-data command, 100,000 records, unpaced, archived", archived, "%.3f s");
  Add("  archiving adds, per pair", added, "%.3f s", "< 1 s");
  Add("  archiving adds, share of the command, per pair", share, "%.1f %%", "< 20 %");
}

void MeasureDesktop(const Tools& tools, int reps, int pacedRecords) {
  if (!Executable(tools.ctl) || !Executable(tools.desktop) || !Executable(tools.measure)) {
    std::fprintf(stderr, "  (quorvane-ctl, quorvane-hx or quorvane-measure missing: desktop figures skipped)\n");
    return;
  }
  const std::string records = std::to_string(pacedRecords);
  // One repetition runs the three back to back, so that each ratio compares
  // runs taken under the same load. The command-line tool's share is its
  // whole run less the start-up and identification of an "info" run.
  Spread ctl, hidden, shown, ratioHidden, ratioShown;
  for (int i = 0; i < reps; ++i) {
    const ChildFigures base = RunMeasured(tools, tools.ctl, {"--simulate", "--sim-paced", "info"});
    const ChildFigures cli = RunMeasured(
        tools, tools.ctl, {"--simulate", "--sim-paced", "--sim-records", records, "read-data", "-o", "/dev/null"});
    const ChildFigures h =
        RunMeasured(tools, tools.desktop, {"--simulate", "--sim-paced", "--sim-records", records, "--bench-readout"});
    const ChildFigures v =
        RunMeasured(tools, tools.desktop,
                    {"--simulate", "--sim-paced", "--sim-records", records, "--bench-readout", "--bench-terminal"});
    const double cliCpu = cli.cpuSeconds - base.cpuSeconds;
    const double hiddenCpu = BenchValue(h.output, "readout_cpu_s");
    const double shownCpu = BenchValue(v.output, "readout_cpu_s");
    if (!base.ok || !cli.ok || cliCpu <= 0) continue;
    ctl.Add(cliCpu * 1e3);
    if (h.ok && hiddenCpu >= 0) {
      hidden.Add(hiddenCpu * 1e3);
      ratioHidden.Add(hiddenCpu / cliCpu);
    }
    if (v.ok && shownCpu >= 0) {
      shown.Add(shownCpu * 1e3);
      ratioShown.Add(shownCpu / cliCpu);
    }
  }
  const std::string what = "readout of " + records + " records at 9600 baud: processor time";
  Add(what + ", quorvane-ctl", ctl, "%.0f ms");
  Add(what + ", quorvane-hx, terminal hidden", hidden, "%.0f ms");
  Add("  ratio to quorvane-ctl, terminal hidden", ratioHidden, "%.2f", "<= 3");
  Add(what + ", quorvane-hx, terminal shown", shown, "%.0f ms");
  Add("  ratio to quorvane-ctl, terminal shown", ratioShown, "%.2f", "<= 5");

  Spread peak, open, viewer, back;
  for (int i = 0; i < reps; ++i) {
    const ChildFigures d =
        RunMeasured(tools, tools.desktop, {"--simulate", "--sim-records", "100000", "--bench-readout"});
    if (!d.ok || BenchValue(d.output, "viewer_open_ms") < 0) continue;
    peak.Add(d.peakMegabytes);
    open.Add(BenchValue(d.output, "viewer_open_ms"));
    viewer.Add(BenchValue(d.output, "rss_viewer_mb"));
    back.Add(BenchValue(d.output, "rss_after_mb") - BenchValue(d.output, "rss_before_mb"));
  }
  Add("quorvane-hx, readout of 100,000 records and the viewer: peak memory", peak, "%.1f MB", "< 60 MB");
  Add("  resident memory with the viewer open", viewer, "%.1f MB");
  Add("  resident memory after closing the viewer, less before the readout", back, "%.1f MB", "<= 10 MB");
  Add("  end of the readout to the viewer's first painted text", open, "%.1f ms", "< 100 ms");
}

}  // namespace

int main(int argc, char** argv) {
  int reps = 5;
  int pacedRecords = 300;
  std::vector<std::string> only;
  std::string bin;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    const bool hasValue = i + 1 < argc;
    if (a == "--help" || a == "-h") {
      Usage();
      return 0;
    } else if (a == "--reps" && hasValue) {
      reps = std::max(1, std::atoi(argv[++i]));
    } else if (a == "--paced-records" && hasValue) {
      pacedRecords = std::max(1, std::atoi(argv[++i]));
    } else if (a == "--bin" && hasValue) {
      bin = argv[++i];
    } else if (a == "--only" && hasValue) {
      std::string list = argv[++i];
      for (size_t start = 0; start <= list.size();) {
        const size_t comma = std::min(list.find(',', start), list.size());
        if (comma > start) only.push_back(list.substr(start, comma - start));
        start = comma + 1;
      }
    } else {
      std::fprintf(stderr, "quorvane-bench: unknown option %s\n", argv[i]);
      Usage();
      return 2;
    }
  }
  static const char* const kGroups[] = {"readout", "paced",  "exchange", "wait",
                                        "capture", "memory", "archive",  "desktop"};
  for (const std::string& g : only)
    if (std::find(std::begin(kGroups), std::end(kGroups), g) == std::end(kGroups)) {
      std::fprintf(stderr, "quorvane-bench: unknown group %s\n", g.c_str());
      return 2;
    }
  if (bin.empty()) {
    char self[4096] = {};
    if (readlink("/proc/self/exe", self, sizeof self - 1) > 0) {
      const std::string path(self);
      bin = path.substr(0, path.rfind('/'));
    }
  }
  const Tools tools{bin + "/quorvane-measure", bin + "/quorvane-ctl", bin + "/quorvane-hx"};
  std::fprintf(stderr, "measuring (%d repetitions each)...\n", reps);

  if (Wanted(only, "readout")) MeasureReadout(reps);
  if (Wanted(only, "paced")) MeasurePaced(reps);
  if (Wanted(only, "exchange")) MeasureExchange();
  if (Wanted(only, "wait")) MeasureWait();
  if (Wanted(only, "capture")) MeasureCapture(reps);
  if (Wanted(only, "memory")) MeasureMemory(tools, reps);
  if (Wanted(only, "archive")) MeasureArchivedCommand(tools, reps);
  if (Wanted(only, "desktop")) MeasureDesktop(tools, reps, pacedRecords);

  std::printf("| Figure | Median [range] | Goal |\n|---|---|---|\n");
  for (const auto& r : g_rows) std::printf("| %s | %s | %s |\n", r.name.c_str(), r.value.c_str(), r.goal.c_str());
  return 0;
}
