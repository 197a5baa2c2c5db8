// Visits to the virtual logger as the readout operation makes them with the
// archive: connect, plan from the newest archived record, read, check the
// first record read back, archive every line. Faults come from the logger's
// knobs: records added while time passes, a cleared memory, IDs wrapping,
// a line cut part way.
#include <optional>

#include "../e2e/logger_fixture.h"
#include "archive/archive.h"
#include "archive/connect_info.h"
#include "archive/new_records.h"
#include "archive/readout_writer.h"
#include "archive/record_line.h"
#include "protocol/result_codes.h"

namespace {

struct Visit {
  bool readWhole = false;             // the archive could not be trusted, or held nothing
  bool memoryMovedOn = false;         // the archived record was gone: said to the user
  std::optional<int64_t> lost;        // records lost between the visits, when told
  std::vector<std::string> newLines;  // what the viewer and the output show
  bool complete = false;
};

class NewReadoutTest : public LoggerTest {
 protected:
  void SetUp() override {
    LoggerTest::SetUp();
    char tmpl[] = "/tmp/qhx_newread_XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    dir = tmpl;
    ASSERT_TRUE(store.Open(dir + "/archive.sqlite").ok());
  }
  void TearDown() override {
    store.Close();
    std::system(("rm -rf '" + dir + "'").c_str());
    LoggerTest::TearDown();
  }

  // "RD ALL first count" and every line up to the end line; false for a
  // refusal or a line that went silent.
  bool ReadRange(int first, int64_t count, archive::ReadoutWriter& writer, std::vector<std::string>* lines) {
    if (proto().ReadAllStart(port(), first, static_cast<int>(count)) != 0) return false;
    for (;;) {
      std::string text;
      const int r = proto().ReadRecordLine(port(), &text);
      if (r != rc::kDataLine) return r == rc::kEndLine;
      lines->push_back(text);
      EXPECT_TRUE(writer.AddRecordLines({text}).ok());
    }
  }

  Visit ReadNew() {
    Visit v;
    Connect();
    const DeviceRecord& rec = session.Current();
    const archive::LoggerIdentity who = archive::IdentityFromRecord(rec, session.DeviceName(), session.Version());
    EXPECT_TRUE(store
                    .AddConnect(archive::ConnectInfoFromRecord(rec, session.DeviceName(), session.Version(),
                                                               timing::NowSeconds()))
                    .ok());
    std::optional<archive::RecordKey> newest;
    EXPECT_TRUE(store.NewestHeldRecord(who.serial, {rec.sys.firstId, rec.sys.lastId}, &newest).ok());
    const archive::ReadPlan plan = archive::PlanNewReadout(newest, {rec.sys.firstId, rec.sys.lastId});
    if (plan.nothingHeld) {
      v.complete = true;
      return v;
    }
    archive::ReadoutWriter writer(store);
    EXPECT_TRUE(writer.BeginReadout(who, {plan.firstId, plan.count}, timing::NowSeconds()).ok());
    std::vector<std::string> lines;
    v.complete = ReadRange(plan.firstId, plan.count, writer, &lines);
    v.readWhole = plan.wholeMemory;
    if (plan.wholeMemory && newest && !lines.empty()) {
      if (const auto oldest = archive::ParseRecordLine(lines.front()))
        v.lost = archive::LostBetweenVisits(*newest, {oldest->id, oldest->time});
    }
    if (plan.fromArchived) {
      std::optional<archive::RecordKey> first;
      if (!lines.empty())
        if (const auto values = archive::ParseRecordLine(lines.front()))
          first = archive::RecordKey{values->id, values->time};
      if (archive::CheckFirstRecord(*newest, first)) {
        lines.erase(lines.begin());
      } else if (v.complete) {
        // Cleared or overwritten since: the whole memory, and say so.
        v.memoryMovedOn = v.readWhole = true;
        lines.clear();
        v.complete = ReadRange(rec.sys.firstId, archive::HeldCount({rec.sys.firstId, rec.sys.lastId}), writer, &lines);
        if (!lines.empty())
          if (const auto oldest = archive::ParseRecordLine(lines.front()))
            v.lost = archive::LostBetweenVisits(*newest, {oldest->id, oldest->time});
      }
    }
    EXPECT_TRUE(writer.EndReadout(static_cast<int64_t>(lines.size()), v.complete, timing::NowSeconds()).ok());
    v.newLines = lines;
    return v;
  }

  int64_t Archived() {
    int64_t n = 0;
    EXPECT_TRUE(store.RecordCount("HX7-004211", &n).ok());
    return n;
  }
  static int IdOf(const std::string& line) { return std::stoi(line.substr(0, 5)); }

  std::string dir;
  archive::Archive store;
};

TEST_F(NewReadoutTest, ReadsOnlyWhatIsNewAcrossAddClearAndWrap) {
  logger->PresetMemory(30, 99960);  // IDs 99960..99989
  Visit v = ReadNew();
  EXPECT_TRUE(v.readWhole);
  EXPECT_EQ(v.newLines.size(), 30u);
  EXPECT_EQ(Archived(), 30);

  // Nothing new: one record read back to check, nothing added.
  v = ReadNew();
  EXPECT_FALSE(v.readWhole);
  EXPECT_TRUE(v.newLines.empty());
  EXPECT_EQ(Archived(), 30);
  EXPECT_EQ(ReceivedStarting("RD ALL").back(), "RD ALL 99989 1");

  // Time passes and the IDs wrap past 99,999: exactly the new records.
  logger->AddRecords(15);
  v = ReadNew();
  ASSERT_EQ(v.newLines.size(), 15u);
  EXPECT_EQ(IdOf(v.newLines.front()), 99990);
  EXPECT_EQ(IdOf(v.newLines.back()), 4);
  EXPECT_EQ(Archived(), 45);

  // Memory cleared and refilled past the archived ID: the check fails, the
  // whole memory is read and said to be so; records with old IDs but new
  // times are kept apart.
  logger->ClearMemory();
  logger->AddRecords(20);
  v = ReadNew();
  EXPECT_TRUE(v.memoryMovedOn);
  EXPECT_FALSE(v.lost.has_value());
  EXPECT_EQ(v.newLines.size(), 20u);
  EXPECT_EQ(Archived(), 65);
}

TEST_F(NewReadoutTest, MemoryOverwrittenFromTheFrontTellsHowManyWereLost) {
  options.memory_capacity = 50;
  logger.reset();
  session.Close();
  logger = std::make_unique<vlogger::VirtualLogger>(options);
  ASSERT_TRUE(logger->Start());
  ASSERT_EQ(session.Open(logger->PortPath()), 0);
  logger->PresetMemory(50);
  ReadNew();
  logger->AddRecords(70);  // 20 taken and dropped before this visit
  const Visit v = ReadNew();
  EXPECT_TRUE(v.readWhole);
  EXPECT_FALSE(v.memoryMovedOn);  // the archived ID was not held: no check needed
  EXPECT_EQ(v.lost, 20);
  EXPECT_EQ(v.newLines.size(), 50u);
  EXPECT_EQ(Archived(), 100);
}

TEST_F(NewReadoutTest, ReadoutCutPartWayIsContinuedWithTheNewRecords) {
  logger->PresetMemory(400);
  logger->DropAfterBytes(200 + 120 * 37);  // a little over a hundred records
  Visit v = ReadNew();
  EXPECT_FALSE(v.complete);
  const int64_t kept = Archived();
  EXPECT_GT(kept, 50);
  EXPECT_LT(kept, 400);

  ASSERT_TRUE(logger->WaitForClosed(std::chrono::seconds(10)));
  ASSERT_TRUE(logger->Reopen());
  session.Close();
  ASSERT_EQ(session.Open(logger->PortPath()), 0);
  v = ReadNew();
  EXPECT_TRUE(v.complete);
  EXPECT_EQ(static_cast<int64_t>(v.newLines.size()), 400 - kept);
  EXPECT_EQ(Archived(), 400);
}

}  // namespace
