// quorvane-ctl archive loggers / archive export on archives this test fills
// through the archive itself.
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <filesystem>

#include "../cli/child_process.h"
#include "archive_fixture.h"

namespace {

class ArchiveCtlTest : public ArchiveTest {
 protected:
  ChildResult Ctl(std::vector<std::string> args) {
    args.insert(args.begin(), {"--lang", "en", "--archive", path});
    ChildProcess child;
    EXPECT_TRUE(child.Start(QHX_CTL_PATH, args, dir, {"TZ=UTC"}));
    return child.Finish();
  }

  void Fill() {
    archive::Archive a;
    ASSERT_TRUE(a.Open(path).ok());
    archive::ConnectInfo c;
    c.logger = {"S100", "Quorvane-HX7", "1.07", ""};  // the readout below names it "HX7", as last seen
    c.pcTime = 1'767'400'000;
    c.offset = 40;
    ASSERT_TRUE(a.AddConnect(c).ok());
    c.pcTime += 2 * 86400;
    c.offset = 83;
    ASSERT_TRUE(a.AddConnect(c).ok());
    Readout(a, {Line(7, 0), Line(8, 10), "#>RX:$NOISE"}, "S100");
  }
};

TEST_F(ArchiveCtlTest, LoggersShowsRecordsTimesOffsetAndDrift) {
  Fill();
  const ChildResult r = Ctl({"archive", "loggers"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out,
            "serial\tname\trecords\tfirst_record\tlast_record\tlast_visit\tclock_offset_s\tdrift_s_per_day\n"
            "S100\tHX7\t3\t2026-01-03T00:00:00\t2026-01-03T00:10:00\t2026-01-05T00:26:40\t+83\t+21.50\n");
}

TEST_F(ArchiveCtlTest, ReadingAMissingArchiveCreatesNothing) {
  const ChildResult r = Ctl({"archive", "loggers"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  struct stat st {};
  EXPECT_NE(stat(path.c_str(), &st), 0);
  EXPECT_EQ(Ctl({"archive", "export", "--serial", "S100", "--format", "csv"}).exitCode, 1);
  EXPECT_NE(stat(path.c_str(), &st), 0);
}

TEST_F(ArchiveCtlTest, ExportWritesTheChosenFormatToStandardOutputOrAFile) {
  Fill();
  ChildResult r = Ctl({"archive", "export", "--serial", "S100", "--format", "csv"});
  // The noise line is a row of its own, and told.
  ASSERT_EQ(r.exitCode, 4) << r.err;
  EXPECT_EQ(r.err, "1 lines were not records; they are written with parsed 0 and their text in raw.\n");
  EXPECT_EQ(r.out,
            "serial,id,time,battery_v,level_m,parsed,raw\r\nS100,7,2026-01-03T00:00:00,3.612,1.2345,1,\r\n"
            "S100,8,2026-01-03T00:10:00,3.612,1.2345,1,\r\nS100,,,,,0,#>RX:$NOISE\r\n");
  r = Ctl(
      {"archive", "export", "--serial", "S100", "--format", "txt", "--from", "2026-01-03T00:05:00", "-o", "out.txt"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(ReadFile(dir + "/out.txt"), Line(8, 10) + "\r\n");
  // Minutes end at their last second; bounds are inclusive.
  r = Ctl({"archive", "export", "--serial", "S100", "--format", "jsonl", "--to", "2026-01-03T00:09"});
  EXPECT_EQ(r.out,
            "{\"serial\":\"S100\",\"id\":7,\"time\":\"2026-01-03T00:00:00\",\"battery_v\":3.612,\"level_m\":1.2345,"
            "\"parsed\":true,\"raw\":null}\n");
}

// 1,000 records with two 8-bit bytes after each: every one is archived,
// counted by "loggers" and exported as a row, with its bytes in raw.
TEST_F(ArchiveCtlTest, LinesThatDoNotParseAreCountedAndExportedAlike) {
  std::vector<std::string> lines = Lines(1, 1000, 0);
  for (std::string& line : lines) line += "\xA0\xFE";
  {
    archive::Archive a;
    ASSERT_TRUE(a.Open(path).ok());
    Readout(a, lines);
  }
  EXPECT_NE(Ctl({"archive", "loggers"}).out.find("\tHX7\t1000\t"), std::string::npos);
  // The two bytes in the escape; JSON escapes its backslashes once more.
  const struct {
    const char* format;
    std::string bytes;
  } cases[] = {{"csv", "\\xA0\\xFE"}, {"jsonl", "\\\\xA0\\\\xFE"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.format);
    const ChildResult r = Ctl({"archive", "export", "--serial", "S100", "--format", c.format, "-o", "out"});
    EXPECT_EQ(r.exitCode, 4) << r.err;
    EXPECT_NE(r.err.find("1000 lines were not records"), std::string::npos) << r.err;
    const std::string out = ReadFile(dir + "/out");
    size_t rows = 0;
    for (size_t at = out.find(c.bytes); at != std::string::npos; at = out.find(c.bytes, at + 1)) ++rows;
    EXPECT_EQ(rows, 1000u);
  }
}

// "archive export -o" saves as every file of the tool: a link keeps pointing
// at the file it names, a new file takes its mode from the umask, and a save
// killed part way (here by the file size limit) leaves no temporary file.
TEST_F(ArchiveCtlTest, ExportSavesThroughTheCommonSavePath) {
  {
    archive::Archive a;
    ASSERT_TRUE(a.Open(path).ok());
    Readout(a, Lines(1, 5000, 0));
  }
  const std::vector<std::string> exportTo = {"archive", "export", "--serial", "S100", "--format", "csv", "-o"};
  auto Export = [&](const std::string& target) {
    std::vector<std::string> args = exportTo;
    args.push_back(target);
    return Ctl(args);
  };
  auto Entries = [&] {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(dir)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  };

  std::ofstream(dir + "/real.csv") << "old";
  ASSERT_EQ(symlink("real.csv", (dir + "/link.csv").c_str()), 0);
  ASSERT_EQ(Export("link.csv").exitCode, 0);
  struct stat st {};
  ASSERT_EQ(lstat((dir + "/link.csv").c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
  EXPECT_EQ(ReadFile(dir + "/real.csv").rfind("serial,", 0), 0u);

  const mode_t before = umask(027);
  const ChildResult made = Export("new.csv");
  umask(before);
  ASSERT_EQ(made.exitCode, 0) << made.err;
  ASSERT_EQ(stat((dir + "/new.csv").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);

  const std::vector<std::string> files = Entries();
  std::ofstream(dir + "/big.csv") << "old";
  rlimit limit{};
  getrlimit(RLIMIT_FSIZE, &limit);
  const rlimit small{64 * 1024, limit.rlim_max};
  setrlimit(RLIMIT_FSIZE, &small);
  // The file size limit fails the write (the tool ignores SIGXFSZ): the
  // reason is told and the file is left as it was, with no temporary beside it.
  const ChildResult tooLarge = Export("big.csv");
  setrlimit(RLIMIT_FSIZE, &limit);
  EXPECT_EQ(tooLarge.signal, 0) << tooLarge.err;
  EXPECT_EQ(tooLarge.exitCode, 1) << tooLarge.err;
  EXPECT_NE(tooLarge.err.find(std::strerror(EFBIG)), std::string::npos) << tooLarge.err;
  EXPECT_EQ(ReadFile(dir + "/big.csv"), "old");
  std::vector<std::string> expected = files;
  expected.push_back("big.csv");
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(Entries(), expected);
}

// Runs quorvane-ctl as the unprivileged user "nobody" where the test runs as
// root, so that permission bits bind.
ChildResult CtlUnprivileged(const std::string& dir, const std::string& path, const std::vector<std::string>& args) {
  std::vector<std::string> all = {"--lang", "en", "--archive", path};
  all.insert(all.end(), args.begin(), args.end());
  std::string program = QHX_CTL_PATH;
  if (geteuid() == 0) {
    all.insert(all.begin(), {"--reuid=65534", "--regid=65534", "--clear-groups", program});
    program = "/usr/bin/setpriv";
  }
  ChildProcess child;
  EXPECT_TRUE(child.Start(program, all, dir, {"TZ=UTC"}));
  return child.Finish();
}

// A read-only archive (the file, or its folder so that the WAL index cannot
// be made) is listed and exported; a read-only target file is refused with
// the system's reason.
TEST_F(ArchiveCtlTest, ReadOnlyArchiveIsListedAndExported) {
  if (geteuid() == 0 && access("/usr/bin/setpriv", X_OK) != 0) GTEST_SKIP() << "root, and no setpriv to drop to";
  Fill();
  ASSERT_EQ(chmod(dir.c_str(), 0755), 0);
  ASSERT_EQ(chmod(path.c_str(), 0444), 0);
  for (const mode_t folder : {0777, 0555}) {
    SCOPED_TRACE(folder);
    ASSERT_EQ(chmod(dir.c_str(), folder), 0);
    ChildResult r = CtlUnprivileged(dir, path, {"archive", "loggers"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("S100\tHX7\t3\t"), std::string::npos) << r.out;
    r = CtlUnprivileged(dir, path, {"archive", "export", "--serial", "S100", "--format", "txt"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, Line(7, 0) + "\r\n" + Line(8, 10) + "\r\n#>RX:$NOISE\r\n");
  }
  ASSERT_EQ(chmod(dir.c_str(), 0777), 0);
  std::ofstream(dir + "/ro.txt") << "old";
  ASSERT_EQ(chmod((dir + "/ro.txt").c_str(), 0444), 0);
  const ChildResult r =
      CtlUnprivileged(dir, path, {"archive", "export", "--serial", "S100", "--format", "txt", "-o", "ro.txt"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.err.find("ro.txt: " + std::string(std::strerror(EACCES))), std::string::npos) << r.err;
  EXPECT_EQ(ReadFile(dir + "/ro.txt"), "old");
}

// --from and --to take a date, a date and minutes or the full form; a date
// covers its whole day.
TEST_F(ArchiveCtlTest, DateOptionsInEachForm) {
  Fill();
  struct Case {
    std::string from, to;
    std::vector<int> ids;
  };
  const Case cases[] = {
      {"2026-01-03", "2026-01-03", {7, 8}},
      {"2026-01-03T00:10", "", {8}},
      {"", "2026-01-03 00:10", {7, 8}},
      {"2026-01-03T00:00:01", "2026-01-03T00:10:00", {8}},
      {"2026-01-04", "", {}},
      {"2026-01-02", "2026-01-02T23:59", {}},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args = {"archive", "export", "--serial", "S100", "--format", "txt"};
    if (!c.from.empty()) args.insert(args.end(), {"--from", c.from});
    if (!c.to.empty()) args.insert(args.end(), {"--to", c.to});
    const ChildResult r = Ctl(args);
    ASSERT_EQ(r.exitCode, 0) << c.from << " " << c.to << ": " << r.err;
    std::string expected;
    for (const int id : c.ids) expected += Line(id, (id - 7) * 10) + "\r\n";
    EXPECT_EQ(r.out, expected) << c.from << " " << c.to;
  }
}

TEST_F(ArchiveCtlTest, BadDatesAndAReversedRangeAreUsageErrors) {
  Fill();
  const std::vector<std::string> base = {"archive", "export", "--serial", "S100", "--format", "csv"};
  auto run = [&](std::vector<std::string> extra) {
    std::vector<std::string> args = base;
    args.insert(args.end(), extra.begin(), extra.end());
    return Ctl(args);
  };
  ChildResult r = run({"--from", "03.01.2026", "--to", "2026-02-30"});
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_NE(r.err.find("--from is not a date"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find(": 03.01.2026\n"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("--to is not a date"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find(": 2026-02-30\n"), std::string::npos) << r.err;
  r = run({"--from", "2026-01-04", "--to", "2026-01-03T23:59"});
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_EQ(r.out, "");
  EXPECT_NE(r.err.find("--to 2026-01-03T23:59 lies before --from 2026-01-04"), std::string::npos) << r.err;
}

struct RefusalCase {
  std::vector<std::string> args;
  int status;
  std::string message;
};

TEST_F(ArchiveCtlTest, RefusalsSayWhy) {
  Fill();
  const RefusalCase cases[] = {
      {{"archive", "export", "--serial", "S999", "--format", "csv"}, 1, "holds no logger with this serial"},
      {{"archive", "export", "--serial", "S100", "--format", "xls"}, 2, "xls"},
      {{"archive", "export", "--serial", "S100", "--format", "csv", "--from", "03.01.2026"}, 2, "--from"},
      {{"archive", "export", "--format", "csv"}, 2, "--serial"},
      {{"archive", "export", "--serial", "S100", "--format", "csv", "-o", "no/such/dir/x.csv"}, 1, "x.csv"},
  };
  for (const RefusalCase& c : cases) {
    SCOPED_TRACE(c.args.back());
    const ChildResult r = Ctl(c.args);
    EXPECT_EQ(r.exitCode, c.status) << r.err;
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
  }
}

TEST_F(ArchiveCtlTest, DamagedArchiveIsNamedAndLeftAlone) {
  std::ofstream(path, std::ios::binary) << std::string(4096, '\x07');
  const std::string before = ReadFile(path);
  const ChildResult r = Ctl({"archive", "loggers"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.err.find("damaged or is not a data archive"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find(path), std::string::npos) << r.err;
  EXPECT_TRUE(ReadFile(path) == before);
}

TEST_F(ArchiveCtlTest, ArchiveOptionsExcludeEachOther) {
  const ChildResult r = Ctl({"--no-archive", "archive", "loggers"});
  EXPECT_EQ(r.exitCode, 2);
}

}  // namespace
