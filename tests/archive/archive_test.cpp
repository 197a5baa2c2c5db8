#include <grp.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <functional>
#include <thread>

#include "archive/record_line.h"
#include "archive_fixture.h"

namespace {

using archive::Archive;
using archive::Failure;
using archive::ReadoutWriter;

TEST_F(ArchiveTest, ReadingTheSameRecordsAgainAddsNothing) {
  Archive a;
  ASSERT_TRUE(a.Open(path).ok());
  EXPECT_EQ(Readout(a, Lines(1, 50, 0)), 50);
  EXPECT_EQ(Readout(a, Lines(1, 50, 0)), 0);
  // An overlapping readout adds only the records after the overlap.
  EXPECT_EQ(Readout(a, Lines(41, 20, 400)), 10);
  EXPECT_EQ(Query("SELECT COUNT(*) FROM records"), 60);
  EXPECT_EQ(Query("SELECT COUNT(*) FROM readouts"), 3);
  EXPECT_EQ(Query("SELECT SUM(delivered) FROM readouts"), 120);
}

TEST_F(ArchiveTest, SameIdWithAnotherTimeIsKeptApart) {
  Archive a;
  ASSERT_TRUE(a.Open(path).ok());
  Readout(a, Lines(1, 5, 0));
  // Memory cleared: IDs from 1 again, at later times.
  EXPECT_EQ(Readout(a, Lines(1, 5, 600)), 5);
  // IDs wrapped past 99,999 back onto IDs already archived.
  EXPECT_EQ(Readout(a, Lines(99998, 6, 1200)), 6);
  EXPECT_EQ(Query("SELECT COUNT(*) FROM records"), 16);
  EXPECT_EQ(Query("SELECT COUNT(*) FROM records WHERE record_id = 1"), 3);

  std::optional<archive::RecordKey> newest;
  ASSERT_TRUE(a.NewestHeldRecord("S100", {99998, 3}, &newest).ok());
  ASSERT_TRUE(newest);
  EXPECT_EQ(newest->id, 3);  // after the wrap: by the logger's numbering, not the highest ID
  EXPECT_EQ(archive::IsoTime(newest->time), "2026-01-03T20:50:00");
}

// The record the logger put last, for the memory it now reports: by its
// numbering within that memory, whatever the clock said, and across the wrap.
TEST_F(ArchiveTest, RecordPutLastGoesByTheLoggersNumbering) {
  Archive a;
  ASSERT_TRUE(a.Open(path).ok());
  Readout(a, Lines(1, 100, 1440));
  Readout(a, Lines(101, 50, 0));             // the clock set back a day
  Readout(a, Lines(99990, 20, 3000), "W7");  // 99990..99999, 0..9
  struct Case {
    const char* serial;
    archive::MemoryIds held;
    int id;  // -1: none
  };
  const Case cases[] = {
      {"S100", {1, 150}, 150},    // not 100, the latest by time
      {"S100", {1, 120}, 120},    // the memory as it was at an earlier visit
      {"S100", {51, 150}, 150},   // overwritten from the front
      {"S100", {151, 160}, 150},  // none archived in the memory: the one archived last
      {"W7", {99990, 9}, 9},      // across the wrap
      {"W7", {99990, 99995}, 99995}, {"W7", {99995, 5}, 5},
      {"W7", {3, 99999}, 99999},  // the IDs after 0 lie before the first held
      {"C3", {1, 10}, -1},
  };
  for (const Case& c : cases) {
    std::optional<archive::RecordKey> key;
    ASSERT_TRUE(a.NewestHeldRecord(c.serial, c.held, &key).ok());
    EXPECT_EQ(key ? key->id : -1, c.id) << c.serial << " " << c.held.first << ".." << c.held.last;
  }
  // Among equal IDs of two deployments, the one archived later.
  Readout(a, Lines(1, 150, 9000));
  std::optional<archive::RecordKey> key;
  ASSERT_TRUE(a.NewestHeldRecord("S100", {1, 150}, &key).ok());
  ASSERT_TRUE(key);
  EXPECT_EQ(key->time, archive::CalendarSeconds(2026, 1, 3, 0, 0, 0) + (9000 + 149 * 10) * int64_t{60});
}

TEST_F(ArchiveTest, LinesThatDoNotParseAreKeptMarkedAndNotRepeated) {
  Archive a;
  ASSERT_TRUE(a.Open(path).ok());
  const std::vector<std::string> lines = {Line(1, 0), "#>RX:$NOISE", Line(2, 10) + "\r\n", "00003,26/01/03 0"};
  EXPECT_EQ(Readout(a, lines), 4);
  EXPECT_EQ(Readout(a, lines), 0);
  EXPECT_EQ(Query("SELECT COUNT(*) FROM records WHERE parsed = 0"), 2);
  EXPECT_EQ(Query("SELECT COUNT(*) FROM records WHERE raw LIKE '%' || char(13) || '%'"), 0);
  // A line that does not parse takes no values over from the line before it.
  EXPECT_EQ(Query("SELECT COUNT(*) FROM records WHERE parsed = 0 AND (record_id IS NOT NULL OR "
                  "logger_time IS NOT NULL OR battery_v IS NOT NULL OR level_m IS NOT NULL)"),
            0);
  EXPECT_EQ(Query("SELECT COUNT(*) FROM records WHERE parsed = 1 AND CAST(substr(raw, 1, 5) AS INTEGER) = record_id"),
            2);
  std::vector<std::string> raw;
  ASSERT_TRUE(a.ForEachRecord("S100", std::nullopt, std::nullopt, [&](const archive::ArchivedRecord& r) {
                 raw.push_back(r.raw);
                 return true;
               }).ok());
  EXPECT_EQ(raw, (std::vector<std::string>{Line(1, 0), Line(2, 10), "#>RX:$NOISE", "00003,26/01/03 0"}));
}

TEST_F(ArchiveTest, LoggersAreKeptApartBySerial) {
  Archive a;
  ASSERT_TRUE(a.Open(path).ok());
  Readout(a, Lines(1, 5, 0), "A1");
  EXPECT_EQ(Readout(a, Lines(1, 5, 0), "B2"), 5);
  std::optional<archive::RecordKey> none;
  ASSERT_TRUE(a.NewestHeldRecord("C3", {1, 5}, &none).ok());
  EXPECT_FALSE(none);
}

TEST_F(ArchiveTest, BatchesAreCommittedWhileTheReadoutRuns) {
  Archive a;
  ASSERT_TRUE(a.Open(path).ok());
  archive::WriterOptions options;
  options.batchLines = 3;
  options.batchAge = std::chrono::hours(1);
  ReadoutWriter w(a, options);
  ASSERT_TRUE(w.BeginReadout({"S100", "HX7", "1.07", ""}, {1, 0}, 1000).ok());
  const auto lines = Lines(1, 7, 0);
  for (int i = 0; i < 6; ++i) ASSERT_TRUE(w.AddRecordLines({lines[i]}).ok());
  ASSERT_TRUE(w.WaitCommitted().ok());
  ASSERT_TRUE(w.AddRecordLines({lines[6]}).ok());
  // Another connection sees the two whole batches, not the line still pending.
  EXPECT_EQ(Query("SELECT COUNT(*) FROM records"), 6);
  EXPECT_EQ(w.Committed(), 6);
  EXPECT_EQ(Query("SELECT complete FROM readouts"), 0);
  ASSERT_TRUE(w.EndReadout(7, false, 1002).ok());
  EXPECT_EQ(Query("SELECT COUNT(*) FROM records"), 7);
  EXPECT_EQ(Query("SELECT delivered FROM readouts"), 7);
  EXPECT_EQ(Query("SELECT finished FROM readouts"), 1002);
}

// A listing that pauses (a paced readout) still has its lines committed
// within the batch age, with no further call from the readout.
TEST_F(ArchiveTest, LinesAreCommittedWithinTheBatchAgeWhileTheListingPauses) {
  Archive a;
  ASSERT_TRUE(a.Open(path).ok());
  archive::WriterOptions options;
  options.batchLines = 1000;
  options.batchAge = std::chrono::milliseconds(20);
  ReadoutWriter w(a, options);
  ASSERT_TRUE(w.BeginReadout({"S100", "HX7", "1.07", ""}, {1, 0}, 1000).ok());
  const std::string block = Line(1, 0) + "\r\n" + Line(2, 10) + "\r\n";
  ASSERT_TRUE(w.AddRecordText(block.data(), block.size(), 2).ok());
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (w.Committed() < 2 && std::chrono::steady_clock::now() < deadline) std::this_thread::yield();
  EXPECT_EQ(w.Committed(), 2);
  EXPECT_EQ(Query("SELECT COUNT(*) FROM records"), 2);
  ASSERT_TRUE(w.EndReadout(2, true, 1001).ok());
  EXPECT_EQ(Query("SELECT complete FROM readouts"), 1);
}

TEST_F(ArchiveTest, ConnectsGiveOffsetDriftAndTheLoggersSummary) {
  Archive a;
  ASSERT_TRUE(a.Open(path).ok());
  archive::ConnectInfo c;
  c.logger = {"S100", "HX7", "1.06", "351234567890123"};
  c.pcTime = 1'000'000;
  c.offset = 10;
  c.upperThreshold = 2.5;
  ASSERT_TRUE(a.AddConnect(c).ok());
  c.logger = {"S100", "", "1.07", ""};  // a name not read this time keeps the old one
  c.pcTime += 10 * 86400;
  c.offset = 30;
  ASSERT_TRUE(a.AddConnect(c).ok());
  std::vector<std::string> lines = Lines(7, 3, 0);
  lines.push_back("#>RX:$NOISE");  // counted with the records, though it has no time
  Readout(a, lines);
  std::vector<archive::LoggerSummary> loggers;
  ASSERT_TRUE(a.Loggers(&loggers).ok());
  ASSERT_EQ(loggers.size(), 1u);
  const auto& s = loggers[0];
  EXPECT_EQ(s.name, "HX7");
  EXPECT_EQ(s.records, 4);
  EXPECT_EQ(archive::IsoTime(*s.firstRecordTime), "2026-01-03T00:00:00");
  EXPECT_EQ(archive::IsoTime(*s.lastRecordTime), "2026-01-03T00:20:00");
  EXPECT_EQ(s.lastVisit, 1'000'000 + 10 * 86400);
  EXPECT_EQ(s.lastOffset, 30);
  ASSERT_TRUE(s.driftPerDay);
  EXPECT_DOUBLE_EQ(*s.driftPerDay, 2.0);
  EXPECT_EQ(Query("SELECT firmware = '1.07' AND imei = '351234567890123' FROM loggers"), 1);
  EXPECT_EQ(Query("SELECT COUNT(*) FROM connects WHERE upper_threshold = 2.5"), 2);
}

TEST_F(ArchiveTest, ArchiveHeldByAnotherProgramIsReportedAsLockedAndTheWaitEnds) {
  Archive a;
  ASSERT_TRUE(a.Open(path, {50}).ok());
  sqlite3* other = nullptr;
  ASSERT_EQ(sqlite3_open(path.c_str(), &other), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(other, "BEGIN EXCLUSIVE; INSERT INTO loggers(serial, first_seen, last_seen) VALUES('X', 0, 0)",
                         nullptr, nullptr, nullptr),
            SQLITE_OK);
  ReadoutWriter w(a);
  const archive::Status s = w.BeginReadout({"S100", "", "", ""}, {0, 0}, 1);
  EXPECT_EQ(s.failure, Failure::kLocked);
  EXPECT_NE(s.reason.find("locked"), std::string::npos) << s.reason;
  // The readout goes on: the writer only repeats its failure.
  EXPECT_EQ(w.AddRecordLines(Lines(1, 3, 0)).failure, Failure::kLocked);
  EXPECT_EQ(w.EndReadout(3, true, 2).failure, Failure::kLocked);
  // Reading goes on beside the other program's write.
  Archive second;
  ASSERT_TRUE(second.Open(path, {50}).ok());
  std::vector<archive::LoggerSummary> loggers;
  EXPECT_TRUE(second.Loggers(&loggers).ok());
  EXPECT_EQ(second.AddConnect(archive::ConnectInfo{}).failure, Failure::kLocked);

  sqlite3_exec(other, "COMMIT", nullptr, nullptr, nullptr);
  sqlite3_close(other);
  EXPECT_EQ(Readout(a, Lines(1, 3, 0)), 3);
}

TEST_F(ArchiveTest, DamagedFilesAreReportedAndLeftAsTheyAre) {
  {
    std::ofstream f(path, std::ios::binary);
    f << std::string(8192, 'x');
  }
  const std::string before = ReadFile(path);
  Archive a;
  const archive::Status s = a.Open(path);
  EXPECT_EQ(s.failure, Failure::kCorrupt);
  EXPECT_FALSE(s.reason.empty());
  EXPECT_FALSE(a.IsOpen());
  EXPECT_TRUE(ReadFile(path) == before);

  // A real archive whose record pages were overwritten.
  const std::string damaged = dir + "/damaged.sqlite";
  {
    Archive good;
    ASSERT_TRUE(good.Open(damaged).ok());
    Readout(good, Lines(1, 3000, 0));
    ASSERT_TRUE(good.Exec("PRAGMA wal_checkpoint(TRUNCATE)").ok());
  }
  {
    std::fstream f(damaged, std::ios::binary | std::ios::in | std::ios::out);
    f.seekp(4096 * 3);
    const std::string junk(4096 * 8, '\x5a');
    f.write(junk.data(), static_cast<std::streamsize>(junk.size()));
  }
  const std::string damagedBefore = ReadFile(damaged);
  Archive b;
  archive::Status open = b.Open(damaged);
  archive::Status read = open;
  if (open.ok()) {
    read = b.ForEachRecord("S100", std::nullopt, std::nullopt, [](const archive::ArchivedRecord&) { return true; });
  }
  EXPECT_EQ(read.failure, Failure::kCorrupt) << read.reason;
  b.Close();
  EXPECT_TRUE(ReadFile(damaged) == damagedBefore);
}

TEST_F(ArchiveTest, UnwritablePlaceIsUnreadableWithTheReason) {
  const std::string file = dir + "/plain";
  std::ofstream(file) << "x";
  Archive a;
  const archive::Status s = a.Open(file + "/sub/archive.sqlite");
  EXPECT_EQ(s.failure, Failure::kUnreadable);
  EXPECT_NE(s.reason.find(std::strerror(ENOTDIR)), std::string::npos) << s.reason;
}

TEST_F(ArchiveTest, CreatesMissingFoldersOnTheWay) {
  Archive a;
  ASSERT_TRUE(a.Open(dir + "/a/b/archive.sqlite").ok());
  EXPECT_EQ(Readout(a, Lines(1, 2, 0)), 2);
}

// A writer killed with SIGKILL part way: the archive opens and holds every
// batch that the writer had reported committed.
TEST_F(ArchiveTest, KilledWriterLeavesEveryCommittedBatch) {
  int report[2];
  ASSERT_EQ(pipe(report), 0);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    close(report[0]);
    Archive a;
    if (!a.Open(path).ok()) _exit(3);
    archive::WriterOptions options;
    options.batchLines = 100;
    ReadoutWriter w(a, options);
    if (!w.BeginReadout({"S100", "", "", ""}, {1, 0}, 1).ok()) _exit(4);
    for (int id = 1;; id += 50) {
      if (!w.AddRecordLines(Lines(id, 50, id * 10)).ok()) _exit(5);
      const int64_t committed = w.Committed();
      if (write(report[1], &committed, sizeof committed) != sizeof committed) _exit(6);
    }
  }
  close(report[1]);
  int64_t committed = 0;
  while (committed < 5000) {
    int64_t v = 0;
    ASSERT_EQ(read(report[0], &v, sizeof v), static_cast<ssize_t>(sizeof v)) << "writer ended early";
    committed = v;
  }
  kill(child, SIGKILL);
  int status = 0;
  waitpid(child, &status, 0);
  close(report[0]);
  ASSERT_TRUE(WIFSIGNALED(status));

  Archive a;
  ASSERT_TRUE(a.Open(path).ok());
  int64_t count = 0;
  ASSERT_TRUE(a.RecordCount("S100", &count).ok());
  EXPECT_GE(count, committed);
  // Whole transactions only: each block handed over (50 lines) is in one,
  // together with the readout's counter.
  EXPECT_EQ(count % 50, 0);
  EXPECT_EQ(Query("SELECT delivered FROM readouts"), count);
  EXPECT_EQ(Query("SELECT COUNT(*) FROM pragma_integrity_check WHERE integrity_check <> 'ok'"), 0);
  // The broken-off readout is kept, marked incomplete, and a new one adds the rest.
  EXPECT_EQ(Query("SELECT complete FROM readouts"), 0);
  EXPECT_EQ(Readout(a, Lines(1, static_cast<int>(count) + 10, 10)), 10);
}

}  // namespace

namespace {

// Runs `work` in a child process that, where the test runs as root, takes
// the unprivileged user "nobody" (uid 65534), so that permission bits bind;
// returns what the work returned.
std::string Unprivileged(const std::function<std::string()>& work) {
  int fds[2];
  if (pipe(fds) != 0) return "pipe failed";
  const pid_t child = fork();
  if (child == 0) {
    close(fds[0]);
    std::string result = "cannot drop privileges";
    if (geteuid() != 0 || (setgroups(0, nullptr) == 0 && setgid(65534) == 0 && setuid(65534) == 0)) result = work();
    const ssize_t written = write(fds[1], result.data(), result.size());
    _exit(written == static_cast<ssize_t>(result.size()) ? 0 : 1);
  }
  close(fds[1]);
  std::string out;
  char buffer[512];
  ssize_t n;
  while ((n = read(fds[0], buffer, sizeof buffer)) > 0) out.append(buffer, static_cast<size_t>(n));
  close(fds[0]);
  int status = 0;
  waitpid(child, &status, 0);
  return out;
}

// An archive that may not be written (the file, or its folder so that the
// WAL index cannot be made): opened for reading it gives every record;
// opened for writing it fails at once with the system's reason.
TEST_F(ArchiveTest, ReadOnlyArchiveIsReadAndRefusedForWritingWithTheReason) {
  const struct {
    const char* name;
    mode_t file, folder;
  } cases[] = {{"file", 0444, 0777}, {"folder", 0644, 0555}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string folder = dir + "/" + c.name;
    const std::string file = folder + "/archive.sqlite";
    {
      Archive a;
      ASSERT_TRUE(a.Open(file).ok());
      Readout(a, {Line(1, 0), Line(2, 10), "#>RX:$NOISE"});
    }
    ASSERT_EQ(chmod(dir.c_str(), 0755), 0);
    ASSERT_EQ(chmod(file.c_str(), c.file), 0);
    ASSERT_EQ(chmod(folder.c_str(), c.folder), 0);
    const std::string got = Unprivileged([&] {
      Archive a;
      archive::OpenOptions readOnly;
      readOnly.readOnly = true;
      std::string out;
      if (archive::Status s = a.Open(file, readOnly); !s.ok()) return "read: " + s.reason;
      std::vector<archive::LoggerSummary> loggers;
      if (archive::Status s = a.Loggers(&loggers); !s.ok() || loggers.size() != 1) return "loggers: " + s.reason;
      int64_t rows = 0;
      a.ForEachRecord("S100", std::nullopt, std::nullopt, [&](const archive::ArchivedRecord&) { return ++rows > 0; });
      out = "read " + std::to_string(loggers[0].records) + " " + std::to_string(rows) + "\n";
      a.Close();
      const archive::Status w = a.Open(file);
      return out + (w.failure == Failure::kUnreadable ? "write refused: " : "write not refused: ") + w.reason;
    });
    EXPECT_EQ(got.rfind("read 3 3\nwrite refused: ", 0), 0u) << got;
    EXPECT_NE(got.find(std::strerror(EACCES)), std::string::npos) << got;
    ASSERT_EQ(chmod(folder.c_str(), 0755), 0);
    struct stat st {};
    EXPECT_NE(stat((file + "-journal").c_str(), &st), 0) << "nothing was written";
  }
}

// Version 1 kept lines that are not UTF-8 as text. Read as it is, the bytes
// come back unchanged; opened for writing, such text becomes a blob.
TEST_F(ArchiveTest, VersionOneArchiveIsReadAsItIsAndMigratedWhenOpenedForWriting) {
  const std::string noisy = Line(3, 20) + "\xA0\xFE";
  {
    Archive a;
    ASSERT_TRUE(a.Open(path).ok());
    Readout(a, {Line(1, 0), noisy, "\xE6\x97\xA5"});
    ASSERT_TRUE(a.Exec("UPDATE records SET raw = CAST(raw AS TEXT); PRAGMA user_version = 1").ok());
  }
  ASSERT_EQ(Query("SELECT COUNT(*) FROM records WHERE typeof(raw) = 'text'"), 3);
  auto raws = [&](const archive::OpenOptions& options) {
    Archive a;
    std::vector<std::string> raw;
    EXPECT_TRUE(a.Open(path, options).ok());
    a.ForEachRecord("S100", std::nullopt, std::nullopt, [&](const archive::ArchivedRecord& r) {
      raw.push_back(r.raw);
      return true;
    });
    return raw;
  };
  const std::vector<std::string> expected = {Line(1, 0), noisy, "\xE6\x97\xA5"};
  archive::OpenOptions readOnly;
  readOnly.readOnly = true;
  EXPECT_EQ(raws(readOnly), expected);
  EXPECT_EQ(Query("PRAGMA user_version"), 1);
  EXPECT_EQ(raws({}), expected);
  EXPECT_EQ(Query("PRAGMA user_version"), 2);
  EXPECT_EQ(Query("SELECT COUNT(*) FROM records WHERE typeof(raw) = 'blob'"), 1);
  // The same line read again is the same blob: nothing is added.
  Archive a;
  ASSERT_TRUE(a.Open(path).ok());
  EXPECT_EQ(Readout(a, {noisy}), 0);
}

}  // namespace
