// The record readout against a virtual logger that misbehaves: every record
// that arrived reaches the sink, nothing beyond the request is kept, the end
// is taken only from an end line, and a readout left unfinished sends ESC.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <random>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "../e2e/logger_fixture.h"
#include "common/timing.h"
#include "operations/record_lines.h"
#include "operations/record_readout.h"
#include "protocol/record_line.h"

namespace {

// More than the virtual logger formats in one go, so that a fault switched on
// after the start hits the listing while it runs.
constexpr size_t kPreset = 3000;

class CollectingSink : public ops::RecordSink {
 public:
  void Records(const char* text, size_t bytes, long lines) override {
    text_.append(text, bytes);
    lines_ += lines;
    ++batches_;
  }
  // The delivered lines, split at CR LF.
  std::vector<std::string> Lines() const {
    std::vector<std::string> out;
    size_t at = 0;
    for (size_t end; (end = text_.find("\r\n", at)) != std::string::npos; at = end + 2)
      out.push_back(text_.substr(at, end - at));
    EXPECT_EQ(at, text_.size()) << "a partial line was delivered";
    return out;
  }
  long lines_ = 0;
  int batches_ = 0;

 private:
  std::string text_;
};

// Asks for an abort once the given number of polls has passed.
class AbortAfter : public ops::AbortSource {
 public:
  explicit AbortAfter(int polls) : polls_(polls) {}
  bool AbortRequested() override { return --polls_ == 0; }

 private:
  int polls_;
};

// Runs a step once the logger has accepted the readout, so that a fault set
// there hits the listing and not the "OK" before it.
class OnListingStart : public ops::ProgressSink {
 public:
  explicit OnListingStart(std::function<void()> step) : step_(std::move(step)) {}
  void Total(long) override { step_(); }
  void Position(long) override {}

 private:
  std::function<void()> step_;
};

class RecordReadoutTest : public LoggerTest {
 protected:
  RecordReadoutTest() { options.preset_records = kPreset; }

  ops::ReadoutResult Read(int first, int count, const ops::Context& context = {}) {
    return ops::ReadRecords(session, {first, count}, sink, context);
  }
  // A readout with the fault switched on once the listing has begun.
  ops::ReadoutResult ReadWithFault(int first, int count, std::function<void()> fault) {
    OnListingStart start(std::move(fault));
    ops::Context context;
    context.progress = &start;
    return Read(first, count, context);
  }
  bool EscSent() {
    return logger->WaitForReceivedBytes([](const std::string& b) { return b.find('\x1b') != std::string::npos; },
                                        std::chrono::seconds(2));
  }
  bool NoEscSent() { return logger->ReceivedBytes().find('\x1b') == std::string::npos; }
  void ExpectRecordsFrom(int firstId, long count) {
    const std::vector<std::string> lines = sink.Lines();
    ASSERT_EQ(static_cast<long>(lines.size()), count);
    for (long i = 0; i < count; ++i) {
      const std::string& line = lines[static_cast<size_t>(i)];
      EXPECT_EQ(std::atol(line.c_str()), firstId + i) << line;
      EXPECT_NE(line.find(','), std::string::npos) << line;
    }
  }

  CollectingSink sink;
};

TEST_F(RecordReadoutTest, WholeRangeArrivesInBatchesAndEndsAtTheEndLine) {
  const ops::ReadoutResult r = Read(1, static_cast<int>(kPreset));
  EXPECT_EQ(r.outcome, ops::Outcome::kSucceeded) << r.message;
  EXPECT_TRUE(r.endLineSeen);
  EXPECT_EQ(r.received, static_cast<long>(kPreset));
  EXPECT_EQ(r.otherLines, 0);
  EXPECT_GT(sink.batches_, 1);  // delivered during the readout, not once at the end
  ExpectRecordsFrom(1, kPreset);
  EXPECT_TRUE(NoEscSent());
}

// Lines that are not records are counted and left out; a record-sized line
// that begins with "ng" does not end the listing.
TEST_F(RecordReadoutTest, LinesThatAreNotRecordsAreCountedNotSaved) {
  // Written slowly enough that the noise switched on at the start of the
  // listing lands in it, however busy the machine is.
  logger->SetChunking(4096, std::chrono::milliseconds(5));
  const ops::ReadoutResult r =
      ReadWithFault(1, 2000, [&] { logger->SetNoiseLine("ng,this line is as long as a record but is none", 50); });
  EXPECT_EQ(r.outcome, ops::Outcome::kSucceeded) << r.message;
  EXPECT_TRUE(r.endLineSeen);
  EXPECT_GE(r.otherLines, 2);
  EXPECT_NE(r.message.find(std::to_string(r.otherLines)), std::string::npos) << r.message;
  ExpectRecordsFrom(1, 2000);
}

// A logger that sends more record lines than were asked for: the readout
// keeps exactly the count, sends ESC and says so.
TEST_F(RecordReadoutTest, NeverMoreThanAskedFor) {
  logger->SetEndlessListing(true);  // the logger goes on past the count
  const ops::ReadoutResult r = Read(1, 2000);
  logger->SetEndlessListing(false);
  EXPECT_TRUE(r.overrun);
  EXPECT_EQ(r.received, 2000);
  EXPECT_EQ(sink.lines_, 2000);
  EXPECT_TRUE(EscSent());
  EXPECT_FALSE(r.message.empty());
}

TEST_F(RecordReadoutTest, AbortSendsEscAndKeepsWhatArrived) {
  // Written slowly enough that most of the listing is still unsent when the
  // abort comes, however fast the line takes what was sent before.
  logger->SetChunking(4096, std::chrono::milliseconds(5));
  AbortAfter abort(30);
  ops::Context context;
  context.abort = &abort;
  const ops::ReadoutResult r = Read(1, static_cast<int>(kPreset), context);
  EXPECT_TRUE(r.aborted);
  EXPECT_TRUE(EscSent());
  EXPECT_NE(r.outcome, ops::Outcome::kSucceeded);
  EXPECT_GT(r.received, 0);
  EXPECT_LT(r.received, static_cast<long>(kPreset));
  ExpectRecordsFrom(1, r.received);
}

// The line breaks off in the middle of a record: the whole records before
// it are delivered, the broken one is not, and the result says how many.
TEST_F(RecordReadoutTest, LineDroppedMidListingKeepsTheWholeRecords) {
  logger->DropAfterBytes(2000);
  const ops::ReadoutResult r = Read(1, static_cast<int>(kPreset));
  EXPECT_EQ(r.outcome, ops::Outcome::kIncomplete);
  EXPECT_GT(r.received, 0);
  EXPECT_LT(r.received, static_cast<long>(kPreset));
  EXPECT_NE(r.message.find(std::to_string(r.received)), std::string::npos) << r.message;
  ExpectRecordsFrom(1, r.received);
}

// Silence longer than the readout's limit in the middle of the listing:
// the readout gives up, sends ESC first and keeps what arrived.
TEST_F(RecordReadoutTest, SilenceGivesUpWithEscAndKeepsWhatArrived) {
  // Chunks far apart: the gap is beyond the (scaled) 30 s silence limit. The
  // listing is long enough that most of it is still unsent when the chunking
  // starts, however fast the line takes what was sent before.
  constexpr int kLong = 60000;
  logger->PresetMemory(kLong);
  const ops::ReadoutResult r = ReadWithFault(1, kLong, [&] {
    logger->SetChunking(1500, std::chrono::milliseconds(static_cast<int>(30000 * Scale() * 2) + 200));
  });
  logger->SetChunking(0, std::chrono::microseconds(0));
  EXPECT_EQ(r.outcome, ops::Outcome::kIncomplete);
  EXPECT_FALSE(r.endLineSeen);
  EXPECT_TRUE(EscSent());
  EXPECT_GT(r.received, 0);
  ExpectRecordsFrom(1, r.received);
}

TEST_F(RecordReadoutTest, RefusedStartDeliversNothing) {
  logger->RefuseCommands("RD ALL", -1);
  const ops::ReadoutResult r = Read(1, 10);
  EXPECT_EQ(r.outcome, ops::Outcome::kFailed);
  EXPECT_EQ(sink.lines_, 0);
  EXPECT_EQ(ReceivedStarting("RD ALL").size(), 3u);
}

// Whatever the line brings during a listing, the readout ends, delivers no
// more records than were asked for, and every line it delivers has the form
// of a record: random lines of random bytes among the records (some of them
// shaped like a record), and a listing that would never end by itself.
TEST_F(RecordReadoutTest, NoiseOfAnyKindNeverBecomesRecordsOrEndlessReading) {
  std::mt19937 rng(7);
  for (int round = 0; round < 6; ++round) {
    SCOPED_TRACE(round);
    std::string noise(1 + rng() % 300, ' ');
    for (char& ch : noise) {
      do ch = static_cast<char>(rng() % 256);
      while (ch == '\r' || ch == '\n' || ch == '\x1b' || ch == '#');
    }
    if (round % 2 == 1) noise = std::to_string(rng() % 100000) + "," + noise;  // shaped like a record
    const int every = 1 + static_cast<int>(rng() % 4);
    const bool endless = round >= 4;
    const int count = 500 + static_cast<int>(rng() % 2000);
    sink = CollectingSink();
    logger->ClearReceived();
    logger->SetEndlessListing(endless);
    const ops::ReadoutResult r = ReadWithFault(1, count, [&] { logger->SetNoiseLine(noise, every); });
    logger->SetNoiseLine("");
    logger->SetEndlessListing(false);
    EXPECT_LE(r.received, count);
    EXPECT_EQ(sink.lines_, r.Delivered());
    for (const std::string& line : sink.Lines()) {
      ASSERT_EQ(ops::ClassifyListingLine(line.data(), line.size()), ops::ListingLine::kRecord) << line;
    }
    if (r.outcome != ops::Outcome::kSucceeded) {
      EXPECT_TRUE(EscSent());
    }
    if (endless) {
      EXPECT_TRUE(r.overrun);
      EXPECT_EQ(r.received, count);
    }
    // The line is quiet again before the next round.
    session.Port().LineBuffer()->WaitQuiet(300, 5000);
    session.Port().LineBuffer()->Reset();
  }
}

// Whatever a logger makes of its listing (records repeated, garbled lines
// shaped like records, bytes that are no ASCII, module noise, a refusal, an
// early end or a dead stop part way), every distinct record of the range that
// arrived is kept exactly once, every other record-shaped line is delivered as
// it arrived and counted, nothing else is a record, and the readout ends.
TEST_F(RecordReadoutTest, EveryDistinctRecordThatArrivedIsKeptOnceWhateverTheListing) {
  std::mt19937 rng(11);
  for (int round = 0; round < 10; ++round) {
    SCOPED_TRACE(round);
    const int first = 1 + static_cast<int>(rng() % 500);
    const long count = 200 + static_cast<long>(rng() % 1200);
    vlogger::ListingFault fault;
    const int repeats[] = {0, 2, 3, 10};
    const int garbles[] = {0, 3, 7};
    fault.repeatEvery = repeats[rng() % 4];
    fault.garbleEvery = garbles[rng() % 3];
    if (round == 3) fault.suffix = "\xB0\xB1";
    const long cut = 1 + static_cast<long>(rng() % static_cast<unsigned>(count));
    switch (round % 4) {
      case 1: fault.refuseAfter = cut; break;
      case 2: fault.endAfter = cut; break;
      case 3: fault.stallAfter = cut; break;
      default: break;
    }
    const bool noise = rng() % 2 == 0;
    sink = CollectingSink();
    logger->SetListingFault(fault);
    const ops::ReadoutResult r = ReadWithFault(first, static_cast<int>(count), [&] {
      if (noise) logger->SetNoiseLine("+CREG: 1", 5);
    });
    logger->SetListingFault({});
    logger->SetNoiseLine("");

    const long sent = round % 4 == 0 ? count : std::min(cut, count);
    long garbled = 0, repeated = 0;
    for (long n = 1; n <= sent; ++n) {
      if (fault.garbleEvery > 0 && n % fault.garbleEvery == 0) ++garbled;
      if (fault.repeatEvery > 0 && n % fault.repeatEvery == 0) ++repeated;
    }
    std::set<int> keptIds;
    long unparsedLines = 0;
    for (const std::string& line : sink.Lines()) {
      const auto record = records::ParseRecordLine(line);
      if (!record) {
        ++unparsedLines;
        continue;
      }
      EXPECT_TRUE(keptIds.insert(record->id).second) << "kept twice: " << line;
    }
    EXPECT_EQ(static_cast<long>(keptIds.size()), r.received);
    EXPECT_EQ(unparsedLines, r.unparsed);
    if (fault.suffix.empty()) {
      EXPECT_EQ(r.received, sent);
      if (!keptIds.empty()) {
        EXPECT_EQ(*keptIds.begin(), first);
        EXPECT_EQ(*keptIds.rbegin(), first + sent - 1);
      }
      EXPECT_EQ(r.duplicates, repeated);
      EXPECT_EQ(r.unparsed, garbled);
    } else {
      // Nothing is a record, and nothing that arrived is left out.
      EXPECT_EQ(r.received, 0);
      EXPECT_EQ(r.unparsed, garbled + sent + repeated);
    }
    EXPECT_EQ(r.Succeeded(), round % 4 == 0 && fault.suffix.empty()) << r.message;
    EXPECT_EQ(r.refused, round % 4 == 1);
    if (r.duplicates > 0) {
      EXPECT_NE(r.message.find(std::to_string(r.duplicates)), std::string::npos) << r.message;
    }
    if (r.unparsed > 0) {
      EXPECT_NE(r.message.find(std::to_string(r.unparsed)), std::string::npos) << r.message;
    }
    if (!r.Succeeded()) {
      EXPECT_NE(r.message.find(std::to_string(r.received)), std::string::npos) << r.message;
    }
    session.Port().LineBuffer()->WaitQuiet(300, 5000);
    session.Port().LineBuffer()->Reset();
  }
}

// An abort on a logger that has stopped sending ends the readout within
// about a second, not after the 30 s silence limit, and keeps what arrived.
// Run at the production time-outs, so that the second and the limit are far
// apart whatever the machine's load.
TEST_F(RecordReadoutTest, AbortOfAStalledListingEndsLongBeforeTheSilenceLimit) {
  timing::SetTimeScale(1.0);
  vlogger::ListingFault fault;
  fault.stallAfter = 300;
  logger->SetListingFault(fault);
  // Asks for the abort once the stall has shown (a wait brought no line).
  class AbortWhenStalled : public ops::AbortSource {
   public:
    explicit AbortWhenStalled(CollectingSink& sink) : sink_(sink) {}
    bool AbortRequested() override { return sink_.lines_ >= 300; }

   private:
    CollectingSink& sink_;
  } abort(sink);
  ops::Context context;
  context.abort = &abort;
  const auto started = std::chrono::steady_clock::now();
  const ops::ReadoutResult r = Read(1, 2000, context);
  const auto took = std::chrono::steady_clock::now() - started;
  logger->SetListingFault({});
  EXPECT_TRUE(r.aborted);
  EXPECT_EQ(r.received, 300);
  EXPECT_TRUE(EscSent());
  EXPECT_LT(took, std::chrono::seconds(20));
  timing::SetTimeScale(Scale());
}

}  // namespace
