// read-data with the field-data archive, end to end against the virtual
// logger: every readout is archived as it arrives, --new reads only what the
// archive does not hold yet (checking that the logger still holds the newest
// archived record), and an archive that cannot be used is named once while the
// readout goes on and its file is saved.
#include <algorithm>
#include <cstdio>
#include <sstream>

#include <nlohmann/json.hpp>

#include "command_line.h"
#include "ctl_fixture.h"
#include "operations/operation_strings.h"

namespace {

class CtlArchiveReadoutTest : public CtlTest {
 protected:
  void SetUp() override {
    CtlTest::SetUp();
    archive_ = Path("archive.sqlite");
  }

  ChildResult ReadData(std::vector<std::string> args) {
    args.insert(args.begin(), {"--archive", archive_, "read-data"});
    return CtlOnLogger(args);
  }

  // The record lines of a saved readout, without their CR LF.
  std::vector<std::string> SavedLines(const std::string& name) {
    std::vector<std::string> lines;
    const std::string text = ReadFile(Path(name));
    for (size_t at = 0; at < text.size();) {
      const size_t end = text.find("\r\n", at);
      if (end == std::string::npos) {
        ADD_FAILURE() << "a line without CR LF in " << name;
        break;
      }
      lines.push_back(text.substr(at, end - at));
      at = end + 2;
    }
    return lines;
  }

  // The records column of "archive loggers" for the one logger it lists.
  long Archived() {
    const ChildResult r = Ctl({"--archive", archive_, "archive", "loggers"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    std::istringstream rows(r.out);
    std::string header, row;
    std::getline(rows, header);
    if (!std::getline(rows, row)) return 0;
    std::istringstream fields(row);
    std::string serial, name, records;
    std::getline(fields, serial, '\t');
    std::getline(fields, name, '\t');
    std::getline(fields, records, '\t');
    return std::stol(records);
  }

  static int IdOf(const std::string& line) { return std::stoi(line.substr(0, 5)); }
  static std::string Formatted(uint32_t id, long value) {
    char text[512];
    std::snprintf(text, sizeof text, Text(id).c_str(), value);
    return text;
  }
  static size_t Count(const std::string& text, const std::string& part) {
    size_t n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size())) ++n;
    return n;
  }

  std::string archive_;
};

TEST_F(CtlArchiveReadoutTest, NewReadsOnlyWhatIsNewAcrossRereadAddWrapAndClear) {
  StartLogger();
  logger->PresetMemory(30, 99960);  // IDs 99960..99989

  ChildResult r = ReadData({"-o", "all.txt"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(SavedLines("all.txt").size(), 30u);
  EXPECT_EQ(Archived(), 30);

  // The same records again add nothing.
  r = ReadData({"-o", "again.txt"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(ReadFile(Path("again.txt")), ReadFile(Path("all.txt")));
  EXPECT_EQ(Archived(), 30);

  // Nothing new: only the archived record is asked for, and nothing shown.
  logger->ClearReceived();
  r = ReadData({"--new", "-o", "none.txt"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_TRUE(SavedLines("none.txt").empty());
  EXPECT_NE(r.err.find(Text(strings::id::kNoNewRecords)), std::string::npos) << r.err;
  EXPECT_EQ(LinesFromToolStarting({"RD ALL"}), std::vector<std::string>{"RD ALL 99989 1"});

  // Time passes and the IDs wrap past 99,999: exactly the new records.
  logger->AddRecords(15);
  r = ReadData({"--new", "-o", "new.txt"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  std::vector<std::string> lines = SavedLines("new.txt");
  ASSERT_EQ(lines.size(), 15u);
  EXPECT_EQ(IdOf(lines.front()), 99990);
  EXPECT_EQ(IdOf(lines.back()), 4);
  EXPECT_NE(r.err.find(Formatted(strings::id::kNewRecordCount, 15)), std::string::npos) << r.err;
  EXPECT_EQ(Archived(), 45);

  // Cleared and refilled past the archived ID: the whole memory, said so;
  // the old IDs with new times are kept apart in the archive.
  logger->ClearMemory();
  logger->AddRecords(20);
  logger->ClearReceived();
  r = ReadData({"--new", "-o", "cleared.txt"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  // The check readout from the archived ID 4 is ended at its first record.
  EXPECT_EQ(LinesFromToolStarting({"RD ALL"}), (std::vector<std::string>{"RD ALL 4 17", "RD ALL 1 20"}));
  lines = SavedLines("cleared.txt");
  ASSERT_EQ(lines.size(), 20u);
  EXPECT_EQ(IdOf(lines.front()), 1);
  EXPECT_NE(r.err.find(Text(strings::id::kMemoryClearedReadingAll)), std::string::npos) << r.err;
  EXPECT_EQ(Archived(), 65);
}

TEST_F(CtlArchiveReadoutTest, ClearedBelowTheArchivedIdReadsTheWholeMemoryAndSaysSo) {
  StartLogger();
  logger->PresetMemory(40);
  ASSERT_EQ(ReadData({"-o", "all.txt"}).exitCode, 0);
  logger->ClearMemory();
  logger->AddRecords(5);  // IDs 1..5: the archived ID 40 is not held
  const ChildResult r = ReadData({"--new", "-o", "new.txt"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(SavedLines("new.txt").size(), 5u);
  EXPECT_EQ(Archived(), 45);
}

TEST_F(CtlArchiveReadoutTest, MemoryOverwrittenFromTheFrontTellsHowManyWereLost) {
  vlogger::Options options;
  options.memory_capacity = 50;
  StartLogger(options);
  logger->PresetMemory(50);
  ASSERT_EQ(ReadData({"-o", "all.txt"}).exitCode, 0);
  logger->AddRecords(70);  // 20 of them taken and dropped before this visit
  const ChildResult r = ReadData({"--new", "-o", "new.txt"});
  // Records lost between visits: done, with something the operator must know.
  ASSERT_EQ(r.exitCode, exit_status::kAttention) << r.err;
  EXPECT_EQ(SavedLines("new.txt").size(), 50u);
  EXPECT_NE(r.err.find(Formatted(strings::id::kRecordsLostBetweenVisits, 20)), std::string::npos) << r.err;
  EXPECT_EQ(Archived(), 100);
}

TEST_F(CtlArchiveReadoutTest, ReadoutCutPartWayIsKeptAndContinuedWithNew) {
  StartLogger();
  logger->PresetMemory(400);
  logger->DropAfterBytes(200 + 120 * 37);  // a little over a hundred records
  ChildResult r = ReadData({"--new", "-o", "part.txt"});
  EXPECT_EQ(r.exitCode, 1) << r.err;
  const std::vector<std::string> part = SavedLines("part.txt");
  const long kept = Archived();
  EXPECT_EQ(kept, static_cast<long>(part.size()));
  EXPECT_GT(kept, 50);
  EXPECT_LT(kept, 400);

  ASSERT_TRUE(logger->WaitForClosed(std::chrono::seconds(10)));
  ASSERT_TRUE(logger->Reopen());
  r = ReadData({"--new", "-o", "rest.txt"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const std::vector<std::string> rest = SavedLines("rest.txt");
  ASSERT_EQ(static_cast<long>(rest.size()), 400 - kept);
  // The two files together: every record once, in order.
  EXPECT_EQ(IdOf(rest.front()), IdOf(part.back()) + 1);
  EXPECT_EQ(IdOf(rest.back()), 400);
  EXPECT_EQ(Archived(), 400);
}

// An archive that cannot be used: the readout completes, its file is saved,
// the archive's message comes once and the file is left as it was.
TEST_F(CtlArchiveReadoutTest, UnusableArchiveStillCompletesTheReadout) {
  struct Case {
    const char* what;
    std::string path;
    std::string content;  // written before the run when not empty
    uint32_t message;
  };
  const std::string garbage(4096, 'x');
  const std::vector<Case> cases = {
      {"corrupt", Path("corrupt.sqlite"), "SQLite format 3" + garbage, strings::id::kArchiveCorrupt},
      {"not an archive", Path("text.sqlite"), "just some text\n", strings::id::kArchiveCorrupt},
      {"under a file", Path("plain") + "/archive.sqlite", "", strings::id::kArchiveUnreadable},
  };
  WriteFile(Path("plain"), "a file, not a folder");
  StartLogger();
  logger->PresetMemory(25);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    if (!c.content.empty()) WriteFile(c.path, c.content);
    for (const char* mode : {"--count", "--new"}) {
      SCOPED_TRACE(mode);
      std::vector<std::string> args = {"--archive", c.path, "read-data", "-o", "out.txt"};
      if (std::string(mode) == "--new") args.push_back("--new");
      const ChildResult r = CtlOnLogger(args);
      // The records are saved, but not archived: the status says so.
      EXPECT_EQ(r.exitCode, exit_status::kAttention) << r.err;
      EXPECT_EQ(SavedLines("out.txt").size(), 25u);
      EXPECT_EQ(Count(r.err, Text(c.message)), 1u) << r.err;
      EXPECT_EQ(Count(r.err, Text(strings::id::kArchiveReadoutGoesOn)), 1u) << r.err;
      if (!c.content.empty()) {
        EXPECT_EQ(ReadFile(c.path), c.content);
      }
    }
  }
}

TEST_F(CtlArchiveReadoutTest, NoArchiveKeepsNothing) {
  StartLogger();
  logger->PresetMemory(10);
  const ChildResult r = CtlOnLogger({"--no-archive", "read-data", "-o", "out.txt"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(SavedLines("out.txt").size(), 10u);
  EXPECT_TRUE(std::filesystem::is_empty(dataDir_));
}

TEST_F(CtlArchiveReadoutTest, DefaultArchiveIsUnderTheDataHome) {
  StartLogger();
  logger->PresetMemory(10);
  ASSERT_EQ(CtlOnLogger({"read-data", "-o", "out.txt"}).exitCode, 0);
  EXPECT_TRUE(std::filesystem::exists(dataDir_ / "quorvane-hx" / "archive.sqlite"));
}

TEST_F(CtlArchiveReadoutTest, FormatsCsvAndJsonLines) {
  StartLogger();
  logger->PresetMemory(3, 7);
  ChildResult r = ReadData({"--format", "csv", "-o", "-"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  std::vector<std::string> rows;
  for (size_t at = 0; at < r.out.size();) {
    const size_t end = r.out.find("\r\n", at);
    ASSERT_NE(end, std::string::npos) << r.out;
    rows.push_back(r.out.substr(at, end - at));
    at = end + 2;
  }
  ASSERT_EQ(rows.size(), 4u) << r.out;
  EXPECT_EQ(rows[0], "serial,id,time,battery_v,level_m,parsed,raw");
  EXPECT_EQ(rows[1].find(",7,"), rows[1].find(','));
  EXPECT_TRUE(HasShape(rows[1].substr(rows[1].find(",7,") + 3, 19), "9999-99-99T99:99:99")) << rows[1];

  r = ReadData({"--format", "jsonl", "-o", "-"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(Count(r.out, "\n"), 3u) << r.out;
  EXPECT_EQ(r.out.rfind("{\"serial\":", 0), 0u) << r.out;
  EXPECT_NE(r.out.find("\"id\":9"), std::string::npos) << r.out;

  // The default name follows the format.
  ASSERT_EQ(ReadData({"--format", "csv"}).exitCode, 0);
  bool csvNamed = false;
  for (const std::string& name : Files()) csvNamed = csvNamed || HasShape(name, "TXL_ALL_99999999_999999.csv");
  EXPECT_TRUE(csvNamed);
}

TEST_F(CtlArchiveReadoutTest, InfoGivesTheClockOffset) {
  vlogger::Options options;
  options.clock_offset_seconds = 83;
  StartLogger(options);
  const ChildResult r = CtlOnLogger({"--no-archive", "info", "--json"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const size_t at = r.out.find("\"clock_offset_s\":");
  ASSERT_NE(at, std::string::npos) << r.out;
  const long offset = std::stol(r.out.substr(at + 17));
  EXPECT_GE(offset, 82);
  EXPECT_LE(offset, 84);
  const ChildResult text = CtlOnLogger({"--no-archive", "info"});
  EXPECT_NE(text.out.find("clock_offset_s: 8"), std::string::npos) << text.out;
}

TEST_F(CtlArchiveReadoutTest, ConnectsAndSyncAreRecordedForTheDrift) {
  vlogger::Options options;
  options.clock_offset_seconds = 83;
  StartLogger(options);
  ASSERT_EQ(CtlOnLogger({"--archive", archive_, "info"}).exitCode, 0);
  const ChildResult r = Ctl({"--archive", archive_, "archive", "loggers"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  // The last clock offset column of the logger's row.
  const std::string row = r.out.substr(r.out.find('\n') + 1);
  EXPECT_NE(row.find("\t+8"), std::string::npos) << r.out;
}

// A listing as a damaged logger sends it: the file and the archive hold every
// distinct record that arrived, the message names the numbers, the summary
// gives them to scripts and the exit status says what happened.
TEST_F(CtlArchiveReadoutTest, EveryRecordThatArrivedIsKeptCountedAndTold) {
  struct Case {
    const char* name;
    vlogger::ListingFault fault;
    int exitCode;
    const char* outcome;
    long fileLines;  // lines in the saved file
    long kept, duplicates, unparsed;
    long archived;
  };
  auto fault = [](auto set) {
    vlogger::ListingFault f;
    set(f);
    return f;
  };
  const std::vector<Case> cases = {
      {"every 10th line twice", fault([](auto& f) { f.repeatEvery = 10; }), exit_status::kAttention, "complete", 1000,
       1000, 100, 0, 1000},
      {"a garbled line before every 100th", fault([](auto& f) { f.garbleEvery = 100; }), exit_status::kAttention,
       "complete", 1010, 1000, 0, 10, 1010},
      {"refused after 500", fault([](auto& f) { f.refuseAfter = 500; }), exit_status::kFailed, "refused", 500, 500, 0,
       0, 500},
      {"ended after 995", fault([](auto& f) { f.endAfter = 995; }), exit_status::kFailed, "ended_early", 995, 995, 0, 0,
       995},
      {"8-bit bytes after every record", fault([](auto& f) { f.suffix = "\xB0\xB1"; }), exit_status::kFailed,
       "ended_early", 1000, 0, 0, 1000, 1000},
      {"stalled after 300", fault([](auto& f) { f.stallAfter = 300; }), exit_status::kFailed, "broke_off", 300, 300, 0,
       0, 300},
  };
  vlogger::Options options;
  options.preset_records = 1000;
  StartLogger(options);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::filesystem::remove(archive_);
    logger->SetListingFault(c.fault);
    const ChildResult r = ReadData({"-o", "data.txt", "--summary-json", Path("summary.json")});
    logger->SetListingFault({});
    EXPECT_EQ(r.exitCode, c.exitCode) << r.err;
    const std::vector<std::string> lines = SavedLines("data.txt");
    EXPECT_EQ(static_cast<long>(lines.size()), c.fileLines);
    const nlohmann::json summary = nlohmann::json::parse(ReadFile(Path("summary.json")));
    EXPECT_EQ(summary["outcome"], c.outcome) << summary.dump();
    EXPECT_EQ(summary["exit_status"], c.exitCode);
    EXPECT_EQ(summary["asked"], 1000);
    EXPECT_EQ(summary["kept"], c.kept);
    EXPECT_EQ(summary["duplicates"], c.duplicates);
    EXPECT_EQ(summary["unparsed"], c.unparsed);
    EXPECT_EQ(summary["archived"], c.archived);
    EXPECT_EQ(summary["file"], "data.txt");
    EXPECT_EQ(Archived(), c.archived);
    if (c.duplicates > 0) {
      EXPECT_NE(r.err.find(Formatted(strings::id::kReadoutRepeats, c.duplicates)), std::string::npos) << r.err;
    }
    if (c.unparsed > 0) {
      EXPECT_NE(r.err.find(Formatted(strings::id::kReadoutUnparsed, c.unparsed)), std::string::npos) << r.err;
    }
    if (c.exitCode == exit_status::kFailed) {
      EXPECT_NE(r.err.find(std::to_string(c.kept)), std::string::npos) << r.err;
    }
  }
}

TEST_F(CtlArchiveReadoutTest, NewWithoutAnArchiveIsAUsageError) {
  StartLogger();
  const ChildResult r = CtlOnLogger({"--no-archive", "read-data", "--new", "-o", "out.txt"});
  EXPECT_EQ(r.exitCode, exit_status::kUsage) << r.err;
  EXPECT_NE(r.err.find(Text(strings::id::kNewNeedsArchive)), std::string::npos) << r.err;
  EXPECT_TRUE(logger->ReceivedLines().empty());
}

TEST_F(CtlArchiveReadoutTest, LastRecordBeyondTheMemoryIsSaidBeforeAnythingIsSent) {
  StartLogger();
  logger->PresetMemory(10);
  const ChildResult r = CtlOnLogger({"read-data", "--last", "50", "-o", "out.txt"});
  EXPECT_EQ(r.exitCode, exit_status::kUsage) << r.err;
  EXPECT_TRUE(LinesFromToolStarting({"RD ALL"}).empty());
  char expected[512];
  std::snprintf(expected, sizeof expected, Text(strings::id::kReadoutLastNotHeld).c_str(), 50, 1, 10);
  EXPECT_NE(r.err.find(expected), std::string::npos) << r.err;
  EXPECT_TRUE(Files().empty() || std::find(Files().begin(), Files().end(), "out.txt") == Files().end());
}

// Records taken while the logger's clock was set back are newer all the same:
// --new goes by the logger's numbering, never reads them twice, and counts what
// the archive added.
TEST_F(CtlArchiveReadoutTest, NewGoesByTheLoggersOrderWhenItsClockWentBack) {
  StartLogger();
  logger->PresetMemory(100);
  ASSERT_EQ(ReadData({"-o", "all.txt"}).exitCode, 0);
  logger->SetClockOffset(std::chrono::hours(-24));
  logger->AddRecords(50);  // IDs 101..150, stamped a day before 1..100
  ChildResult r = ReadData({"--new", "-o", "new.txt"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(SavedLines("new.txt").size(), 50u);
  EXPECT_NE(r.err.find(Formatted(strings::id::kNewRecordCount, 50)), std::string::npos) << r.err;
  EXPECT_EQ(Archived(), 150);
  logger->ClearReceived();
  r = ReadData({"--new", "-o", "again.txt"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_NE(r.err.find(Text(strings::id::kNoNewRecords)), std::string::npos) << r.err;
  EXPECT_EQ(LinesFromToolStarting({"RD ALL"}), std::vector<std::string>{"RD ALL 150 1"});
  EXPECT_EQ(Archived(), 150);
}

// Reading on from the newest archived record leaves older records out; --new
// says so and --missing reads exactly those.
TEST_F(CtlArchiveReadoutTest, OlderRecordsNeverArchivedAreToldAndReadWithMissing) {
  StartLogger();
  logger->PresetMemory(700);
  ASSERT_EQ(ReadData({"--last", "600", "--count", "100", "-o", "part.txt"}).exitCode, 0);
  ChildResult r = ReadData({"--new", "-o", "new.txt", "--summary-json", "-"});
  EXPECT_EQ(r.exitCode, exit_status::kAttention) << r.err;
  ASSERT_EQ(SavedLines("new.txt").size(), 100u);
  EXPECT_EQ(IdOf(SavedLines("new.txt").front()), 601);
  char older[512];
  std::snprintf(older, sizeof older, Text(strings::id::kOlderRecordsNotArchived).c_str(), 500L, "1-500");
  EXPECT_NE(r.err.find(older), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("\"older_missing\":500"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("\"first_id\":601,\"last_id\":700"), std::string::npos) << r.err;
  EXPECT_EQ(Archived(), 200);

  logger->ClearReceived();
  r = ReadData({"--missing", "-o", "missing.txt"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const std::vector<std::string> missing = SavedLines("missing.txt");
  ASSERT_EQ(missing.size(), 500u);
  EXPECT_EQ(IdOf(missing.front()), 1);
  EXPECT_EQ(IdOf(missing.back()), 500);
  EXPECT_EQ(LinesFromToolStarting({"RD ALL"}),
            (std::vector<std::string>{"RD ALL 1 1", "RD ALL 700 1", "RD ALL 1 500"}));
  EXPECT_EQ(Archived(), 700);

  r = ReadData({"--missing", "-o", "none.txt"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_NE(r.err.find(Text(strings::id::kNoNewRecords)), std::string::npos) << r.err;
  EXPECT_EQ(CtlOnLogger({"--no-archive", "read-data", "--missing"}).exitCode, exit_status::kUsage);
}

}  // namespace
