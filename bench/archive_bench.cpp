// Measures the field-data archive: what archiving adds to an unpaced readout
// of 100,000 records from the virtual logger, finding a logger's newest record
// among 1,000,000 archived ones, and the CSV export rate. Prints one table;
// each figure is the median of several repetitions.
//
//   quorvane-archive-bench [--reps N] [--dir FOLDER]
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "archive/archive.h"
#include "archive/export_format.h"
#include "archive/readout_writer.h"
#include "archive/record_line.h"
#include "bench_util.h"
#include "protocol/result_codes.h"
#include "session/device_session.h"
#include "virtual_logger.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kReadoutRecords = 100000;
constexpr int kArchivedRecords = 1000000;

void Row(const char* name, const char* fmt, double v, const char* goal) {
  char value[64];
  std::snprintf(value, sizeof value, fmt, v);
  std::printf("  %-54s %30s   %s\n", name, value, goal);
}

// Median and range of the repetitions.
void Row(const char* name, const char* fmt, const bench::Spread& s, const char* goal) {
  std::printf("  %-54s %30s   %s\n", name, s.Format(fmt).c_str(), goal);
}

// One unpaced readout of the whole memory; every line handed to the writer
// when one is given. Returns seconds, 0 on failure; *cpu the processor
// seconds of the reading thread (robust where other work shares the machine).
double Readout(vlogger::VirtualLogger& logger, archive::Archive* store, double* cpu) {
  CDeviceSession session;
  if (session.Open(logger.PortPath()) != 0 || session.Identify() != 1) return 0;
  std::optional<archive::ReadoutWriter> writer;
  const Clock::time_point start = Clock::now();
  const double cpuStart = bench::ThreadCpuSeconds();
  if (store != nullptr) {
    writer.emplace(*store);
    writer->BeginReadout({"BENCH", "", "", ""}, {-1, 0}, 0);
  }
  if (session.Protocol().ReadAllStart(session.PortPtr(), -1, 0) != rc::kOk) return 0;
  std::string text;
  int64_t lines = 0;
  while (session.Protocol().ReadRecordLine(session.PortPtr(), &text) == rc::kDataLine) {
    ++lines;
    if (writer) writer->AddRecordLines({text});
  }
  if (writer) writer->EndReadout(lines, true, 0);
  const double seconds = bench::Seconds(Clock::now() - start);
  *cpu = bench::ThreadCpuSeconds() - cpuStart;
  session.Close();
  return lines == kReadoutRecords ? seconds : 0;
}

std::string Line(int i) {
  const int64_t t = archive::CalendarSeconds(2020, 1, 1, 0, 0, 0) + int64_t{i} * 600;
  const std::string iso = archive::IsoTime(t);
  char text[64];
  std::snprintf(text, sizeof text, "%05d,%s/%s/%s %s,%d.%03d,%d.%04d", i % 100000, iso.substr(2, 2).c_str(),
                iso.substr(5, 2).c_str(), iso.substr(8, 2).c_str(), iso.substr(11).c_str(), (3600 - i % 500) / 1000,
                (3600 - i % 500) % 1000, 1 + i % 3, i % 10000);
  return text;
}

}  // namespace

int main(int argc, char** argv) {
  int reps = 5;
  std::string dir = "/tmp";
  for (int i = 1; i + 1 < argc; i += 2) {
    if (std::strcmp(argv[i], "--reps") == 0) reps = std::atoi(argv[i + 1]);
    if (std::strcmp(argv[i], "--dir") == 0) dir = argv[i + 1];
  }
  char folder[512];
  std::snprintf(folder, sizeof folder, "%s/qhx_archive_bench_XXXXXX", dir.c_str());
  if (mkdtemp(folder) == nullptr) return 1;
  const std::string base = folder;

  vlogger::Options options;
  options.preset_records = kReadoutRecords;
  vlogger::VirtualLogger logger(options);
  if (!logger.Start()) return 1;

  std::printf("quorvane-archive-bench (median [range] of %d)\n", reps);
  bench::Spread plainCpu, archivedCpu;
  const bench::Spread plainRuns = bench::Repeat(reps, [&] {
    double cpu = 0;
    const double s = Readout(logger, nullptr, &cpu);
    plainCpu.Add(cpu);
    return s;
  });
  int run = 0;
  const bench::Spread archivedRuns = bench::Repeat(reps, [&] {
    // A fresh archive each time: every record is new to it.
    archive::Archive store;
    if (!store.Open(base + "/readout" + std::to_string(run++) + ".sqlite").ok()) return 0.0;
    double cpu = 0;
    const double s = Readout(logger, &store, &cpu);
    archivedCpu.Add(cpu);
    return s;
  });
  logger.Stop();
  const double plain = plainRuns.Median();
  const double archived = archivedRuns.Median();
  Row("unpaced readout of 100,000 records", "%.3f s", plainRuns, "");
  Row("same readout, archived as it arrives", "%.3f s", archivedRuns, "");
  Row("archiving adds", "%.3f s", archived - plain, "goal < 1 s");
  Row("archiving adds (share of the readout)", "%.1f %%", plain > 0 ? (archived - plain) / plain * 100 : 0,
      "goal < 20 %");
  Row("reading thread's processor time, plain", "%.3f s", plainCpu, "");
  Row("reading thread's processor time, archived", "%.3f s", archivedCpu, "");
  Row("9600-baud readout of 100,000 records (37 bytes a line)", "%.0f s", kReadoutRecords * 37.0 * 10 / 9600, "");

  // 1,000,000 records of one logger, and a second logger beside it.
  archive::Archive store;
  if (!store.Open(base + "/million.sqlite").ok()) return 1;
  const Clock::time_point fillStart = Clock::now();
  for (const char* serial : {"OTHER", "BENCH"}) {
    archive::WriterOptions wo;
    wo.batchLines = 50000;
    archive::ReadoutWriter w(store, wo);
    w.BeginReadout({serial, "", "", ""}, {0, 0}, 0);
    std::vector<std::string> batch;
    const int count = std::strcmp(serial, "BENCH") == 0 ? kArchivedRecords : 100000;
    for (int i = 0; i < count; ++i) {
      batch.push_back(Line(i));
      if (batch.size() == 10000) {
        w.AddRecordLines(batch);
        batch.clear();
      }
    }
    w.AddRecordLines(batch);
    w.EndReadout(count, true, 0);
  }
  Row("archiving 1,100,000 records in one go", "%.2f s", bench::Seconds(Clock::now() - fillStart), "");

  const bench::Spread lookup = bench::Repeat(reps * 4, [&] {
    std::optional<archive::RecordKey> newest;
    const Clock::time_point t = Clock::now();
    store.NewestHeldRecord("BENCH", archive::MemoryIds{1, 0}, &newest);
    return bench::Seconds(Clock::now() - t) * 1000;
  });
  Row("record put last among 1,000,000 (full memory)", "%.3f ms", lookup, "goal < 10 ms");

  double bytes = 0;
  bench::Spread exportCpu;
  const bench::Spread exportRuns = bench::Repeat(reps, [&] {
    const std::string out = base + "/export.csv";
    std::FILE* f = std::fopen(out.c_str(), "wb");
    archive::ExportCounts counts;
    const Clock::time_point t = Clock::now();
    const double cpuStart = bench::ThreadCpuSeconds();
    archive::ExportRecords(
        store, "BENCH", std::nullopt, std::nullopt, archive::ExportFormat::kCsv,
        [f](const char* data, size_t size) { return std::fwrite(data, 1, size, f) == size; }, &counts);
    std::fclose(f);
    const double s = bench::Seconds(Clock::now() - t);
    exportCpu.Add(bench::ThreadCpuSeconds() - cpuStart);
    FILE* g = std::fopen(out.c_str(), "rb");
    std::fseek(g, 0, SEEK_END);
    bytes = static_cast<double>(std::ftell(g));
    std::fclose(g);
    return s;
  });
  bench::Spread rate, cpuRate;
  for (double s : exportRuns.values) rate.Add(bytes / s / 1e6);
  for (double s : exportCpu.values) cpuRate.Add(bytes / s / 1e6);
  Row("CSV export of 1,000,000 records", "%.3f s", exportRuns, "");
  Row("CSV export rate", "%.1f MB/s", rate, "goal >= 50 MB/s");
  Row("CSV export rate per processor second", "%.1f MB/s", cpuRate, "");
  store.Close();
  std::system(("rm -rf '" + base + "'").c_str());
  return 0;
}
