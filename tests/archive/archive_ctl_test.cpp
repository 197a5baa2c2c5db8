// quorvane-ctl archive loggers / archive export on archives this test fills
// through the archive itself.
#include <sys/stat.h>

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
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out,
            "serial,id,time,battery_v,level_m\r\nS100,7,2026-01-03T00:00:00,3.612,1.2345\r\n"
            "S100,8,2026-01-03T00:10:00,3.612,1.2345\r\n");
  r = Ctl(
      {"archive", "export", "--serial", "S100", "--format", "txt", "--from", "2026-01-03T00:05:00", "-o", "out.txt"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(ReadFile(dir + "/out.txt"), Line(8, 10) + "\r\n");
  // Minutes end at their last second; bounds are inclusive.
  r = Ctl({"archive", "export", "--serial", "S100", "--format", "jsonl", "--to", "2026-01-03T00:09"});
  EXPECT_EQ(r.out,
            "{\"serial\":\"S100\",\"id\":7,\"time\":\"2026-01-03T00:00:00\",\"battery_v\":3.612,\"level_m\":1.2345}\n");
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
