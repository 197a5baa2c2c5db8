#include "link/read_data.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "common/timing.h"

namespace {

class ReadDataTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(buf.Init(), 1); }
  void Feed(const std::string& s) { buf.Append(reinterpret_cast<const uint8_t*>(s.data()), s.size()); }
  std::string Take(int size = 256, uint32_t timeout = 0) {
    std::string out(static_cast<size_t>(size), '\xAA');
    const int n = buf.ReadLine(&out[0], size, timeout);
    EXPECT_EQ(out[static_cast<size_t>(n)], '\0');
    return out.substr(0, static_cast<size_t>(n));
  }
  CReadData buf;
};

TEST_F(ReadDataTest, LineSplitAcrossChunksIsSignalledOnlyWhenComplete) {
  Feed("YES E");
  EXPECT_EQ(buf.LineCount(), 0);
  EXPECT_EQ(Take(), "");
  Feed("ND\r\n");
  EXPECT_EQ(buf.LineCount(), 1);
  EXPECT_EQ(Take(), "YES END");
  EXPECT_EQ(buf.StoredCount(), 0);
}

TEST_F(ReadDataTest, CarriageReturnsAndNulBytesAreNeverStored) {
  Feed(std::string("A\0B\r\rC\r\n", 8));
  EXPECT_EQ(Take(), "ABC");
}

TEST_F(ReadDataTest, HashLinesFollowTheFilter) {
  Feed("#>RX:$SLEEP\r\nYES END\r\nA#B\r\n");
  EXPECT_EQ(Take(), "YES END");
  EXPECT_EQ(Take(), "A#B");  // '#' not at the start of a line is data

  buf.SetFilter(0);
  Feed("#>RX:$SLEEP\r\nYES END\r\n");
  EXPECT_EQ(Take(), "#>RX:$SLEEP");
  EXPECT_EQ(Take(), "YES END");
}

TEST_F(ReadDataTest, FilteredLineSplitAcrossChunksIsDroppedWhole) {
  Feed("#>RX:$WA");
  Feed("KEUP\r\nOK\r\n");
  EXPECT_EQ(Take(), "OK");
  EXPECT_EQ(buf.LineCount(), 0);
}

TEST_F(ReadDataTest, EmptyLineIsConsumedAndReadsAsZero) {
  Feed("\r\nNEXT\r\n");
  EXPECT_EQ(buf.LineCount(), 2);
  EXPECT_EQ(Take(), "");
  EXPECT_EQ(buf.LineCount(), 1);
  EXPECT_EQ(Take(), "NEXT");
}

TEST_F(ReadDataTest, LongLineComesBackInPiecesAndOnlyTheLastLowersTheCount) {
  Feed("ABCDEFGHIJ\n");
  EXPECT_EQ(Take(5), "ABCD");
  EXPECT_EQ(buf.LineCount(), 1);
  EXPECT_EQ(Take(5), "EFGH");
  EXPECT_EQ(Take(5), "IJ");
  EXPECT_EQ(buf.LineCount(), 0);
}

// A line that does not fit is cut: its start comes back, the rest up to its
// line feed is dropped and counted, and the next line is intact.
TEST_F(ReadDataTest, CutReadDropsTheRestOfAnOverlongLine) {
  struct Case {
    const char* name;
    std::string fed;
    int size;
    std::string first;
    bool cut;
  };
  const Case cases[] = {
      {"fits", "ABC\nNEXT\n", 5, "ABC", false},
      {"exactly size - 1", "ABCD\nNEXT\n", 5, "ABCD", false},
      {"one over", "ABCDE\nNEXT\n", 5, "ABCD", true},
      {"a megabyte", std::string(1 << 20, 'x') + "\nNEXT\n", 5, "xxxx", true},
      {"empty line", "\nNEXT\n", 5, "", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    buf.Reset();
    const int64_t before = buf.CutLines();
    Feed(c.fed);
    std::string out(static_cast<size_t>(c.size), '\xAA');
    bool cut = !c.cut;
    const int n = buf.ReadLineCut(&out[0], c.size, 0, &cut);
    EXPECT_EQ(out.substr(0, static_cast<size_t>(n)), c.first);
    EXPECT_EQ(cut, c.cut);
    EXPECT_EQ(buf.CutLines() - before, c.cut ? 1 : 0);
    EXPECT_EQ(buf.LineCount(), 1);
    EXPECT_EQ(Take(), "NEXT");
    EXPECT_EQ(buf.StoredCount(), 0);
  }
}

TEST_F(ReadDataTest, CutReadOfAnUnfinishedLineWaitsLikeReadLine) {
  Feed("PARTIAL LINE WITHOUT ITS END");
  char out[8];
  bool cut = true;
  EXPECT_EQ(buf.ReadLineCut(out, sizeof out, 0, &cut), 0);
  EXPECT_FALSE(cut);
  Feed(" AND NOW THE END\nNEXT\n");
  EXPECT_EQ(buf.ReadLineCut(out, sizeof out, 0, &cut), 7);
  EXPECT_TRUE(cut);
  EXPECT_EQ(Take(), "NEXT");
}

// Speed-dependent: the flooding thread must get its turn at least every
// quiet time (50 ms); a pause that long on a busy machine reads as quiet.
TEST_F(ReadDataTest, WaitQuietEndsOnceNothingArrivesAndIsBoundedUnderAFlood) {
  timing::SetTimeScale(0.05);  // quiet 1000 -> 50 ms, limit 4000 -> 200 ms
  EXPECT_TRUE(buf.WaitQuiet(1000, 4000));

  std::atomic<bool> flooding{true};
  std::thread flood([&] {
    while (flooding.load()) {
      Feed("noise");
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  });
  EXPECT_FALSE(buf.WaitQuiet(1000, 4000));  // never quiet: ends at the limit
  flooding.store(false);
  flood.join();
  EXPECT_TRUE(buf.WaitQuiet(1000, 4000));

  buf.Abandon();  // a closed port brings nothing more
  EXPECT_TRUE(buf.WaitQuiet(1000000, 2000000));
  timing::SetTimeScale(1.0);
}

TEST_F(ReadDataTest, SizeOfOneCopiesNothing) {
  Feed("X\n");
  char c = 'z';
  EXPECT_EQ(buf.ReadLine(&c, 1, 0), 0);
  EXPECT_EQ(c, '\0');
}

TEST_F(ReadDataTest, LinesStraddlingTheEndOfTheRingComeBackWhole) {
  // Walk the write position to just before the end of the ring. One line
  // always stays stored: an empty ring would start again at its beginning.
  const int32_t cap = buf.Capacity();
  std::string filler(1 << 20, 'x');
  filler.back() = '\n';
  std::string sink(filler.size() + 1, '\0');
  Feed(filler);
  int32_t written = static_cast<int32_t>(filler.size());
  while (written + static_cast<int32_t>(filler.size()) < cap - 10) {
    Feed(filler);
    written += static_cast<int32_t>(filler.size());
    ASSERT_EQ(buf.ReadLine(&sink[0], static_cast<int32_t>(sink.size()), 0), static_cast<int>(filler.size() - 1));
  }
  const std::string pad(static_cast<size_t>(cap - written - 5), 'p');
  Feed(pad + "\n");
  ASSERT_EQ(buf.ReadLine(&sink[0], static_cast<int32_t>(sink.size()), 0), static_cast<int>(filler.size() - 1));
  Feed("STRADDLE\r\nNEXT\r\n");  // wraps after "STRA"
  EXPECT_EQ(Take(static_cast<int>(pad.size()) + 2).size(), pad.size());
  EXPECT_EQ(Take(), "STRADDLE");
  EXPECT_EQ(Take(), "NEXT");
}

TEST_F(ReadDataTest, ZeroTimeoutReturnsAtOnce) {
  const auto t0 = std::chrono::steady_clock::now();
  EXPECT_EQ(Take(256, 0), "");
  EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::milliseconds(50));
}

TEST_F(ReadDataTest, WaitingReaderWakesWhenALineArrives) {
  std::thread writer([this] {
    // The reader is already waiting or about to; either way it must get the line.
    Feed("LATE\r\n");
  });
  EXPECT_EQ(Take(256, 10000), "LATE");
  writer.join();
}

// An abandoned wait (the port closing) and a lost line end every wait at
// once, after the lines already stored, until the buffer is told otherwise.
TEST_F(ReadDataTest, AbandonAndLostLineEndWaitsUntilCleared) {
  struct Case {
    const char* name;
    std::function<void(CReadData&)> end, clear;
  };
  const Case cases[] = {
      {"abandon", [](CReadData& b) { b.Abandon(); }, [](CReadData& b) { b.Resume(); }},
      {"lost", [](CReadData& b) { b.MarkLost(); }, [](CReadData& b) { b.ClearLost(); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Feed("STORED\n");
    c.end(buf);
    EXPECT_EQ(Take(256, 60000), "STORED");  // what is stored is still taken
    const auto t0 = std::chrono::steady_clock::now();
    EXPECT_EQ(Take(256, 60000), "");  // and nothing is waited for
    EXPECT_TRUE(buf.WaitQuiet(60000, 120000));
    EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::seconds(5));
    c.clear(buf);
    EXPECT_FALSE(buf.Lost());
    std::thread writer([this] { Feed("AFTER\n"); });
    EXPECT_EQ(Take(256, 60000), "AFTER");
    writer.join();
  }
}

TEST_F(ReadDataTest, WakeEndsOnlyTheWaitInProgress) {
  std::atomic<bool> returned{false};
  std::string got = "unset";
  std::thread waiter([&] {
    got = Take(256, 60000);
    returned = true;
  });
  // A wake before the wait began is not kept: wake until the waiter is out.
  while (!returned) {
    buf.WakeWaiters();
    std::this_thread::yield();
  }
  waiter.join();
  EXPECT_EQ(got, "");
  // Later waits wait for their line again.
  std::thread late([&] { got = Take(256, 60000); });
  Feed("AFTER\n");
  late.join();
  EXPECT_EQ(got, "AFTER");
}

TEST_F(ReadDataTest, ResetEmptiesEverything) {
  Feed("A\nB");
  buf.Reset();
  EXPECT_EQ(buf.LineCount(), 0);
  EXPECT_EQ(buf.StoredCount(), 0);
  Feed("C\n");
  EXPECT_EQ(Take(), "C");  // no trace of "B"
}

// The lines a stream gives, byte by byte as the receive buffer is defined:
// CR and NUL vanish, and with the filter a line whose first remaining byte is
// '#' vanishes whole.
std::vector<std::string> ExpectedLines(const std::string& stream, bool filter) {
  std::vector<std::string> lines;
  std::string line;
  bool skipping = false;
  for (char c : stream) {
    if (c == '\0' || c == '\r') continue;
    if (c == '\n') {
      if (!skipping) lines.push_back(line);
      line.clear();
      skipping = false;
      continue;
    }
    if (filter && line.empty() && !skipping && c == '#') skipping = true;
    if (!skipping) line += c;
  }
  return lines;
}

TEST_F(ReadDataTest, EverySplitOfAStreamGivesTheSameLines) {
  using namespace std::string_literals;
  const std::string streams[] = {
      "OK\r\n#>RX:$SLEEP\r\nYES END\r\n"s,
      "\r#hidden\r\n\0#also\r\nA#B\r\n"s,
      "\r\n\r\n\0\0\r\nX\rY\0Z\n\n#\n#x"s,
      "  #not first\r\n##\r\nlast"s,
  };
  for (const std::string& stream : streams) {
    for (const bool filter : {true, false}) {
      // Lines are compared once the stream has been closed with a line end.
      const std::string closed = stream + "\n";
      const std::vector<std::string> expected = ExpectedLines(closed, filter);
      for (size_t split = 0; split <= closed.size(); ++split) {
        for (const size_t second : {split, (split + closed.size()) / 2}) {
          SCOPED_TRACE(::testing::Message() << "filter " << filter << ", split " << split << "/" << second << " of "
                                            << ::testing::PrintToString(stream));
          buf.Reset();
          buf.SetFilter(filter ? 1 : 0);
          Feed(closed.substr(0, split));
          Feed(closed.substr(split, second - split));
          Feed(closed.substr(second));
          ASSERT_EQ(buf.LineCount(), static_cast<int32_t>(expected.size()));
          for (const std::string& line : expected) EXPECT_EQ(Take(), line);
          EXPECT_EQ(buf.StoredCount(), 0);
        }
      }
    }
  }
}

TEST_F(ReadDataTest, FullRingDropsTheOldestBytesAndTheLinesTheyEnd) {
  const int32_t cap = buf.Capacity();
  const int32_t size = 1 << 20;
  std::string line(static_cast<size_t>(size), 'x');
  line.back() = '\n';
  const int32_t fit = cap / size;  // whole lines that fit
  for (int32_t i = 0; i < fit; ++i) Feed(line);
  ASSERT_EQ(buf.LineCount(), fit);
  // Two more lines push out all of the oldest line, its line feed with it,
  // and the start of the next one.
  Feed(line);
  Feed(line);
  const int32_t dropped = (fit + 2) * size - cap;
  ASSERT_GT(dropped, size);
  ASSERT_LT(dropped, 2 * size);
  EXPECT_EQ(buf.StoredCount(), cap);
  EXPECT_EQ(buf.LineCount(), fit + 1);
  // The oldest line now is the rest of the second one, then whole lines.
  std::string sink(line.size() + 1, '\0');
  EXPECT_EQ(buf.ReadLine(&sink[0], static_cast<int32_t>(sink.size()), 0), 2 * size - dropped - 1);
  EXPECT_EQ(buf.ReadLine(&sink[0], static_cast<int32_t>(sink.size()), 0), size - 1);
  EXPECT_EQ(buf.LineCount(), fit - 1);
}

TEST(ReadDataNoStorage, StoresNothingAndTimesOut) {
  CReadData buf;  // never initialised
  const uint8_t line[] = {'A', '\n'};
  buf.Append(line, 2);
  char out[8];
  EXPECT_EQ(buf.ReadLine(out, sizeof out, 0), 0);
}

}  // namespace
