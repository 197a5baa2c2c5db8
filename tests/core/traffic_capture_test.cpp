#include "log/traffic_capture.h"

#include <gtest/gtest.h>

#include <cerrno>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

TEST(CaptureRing, ZeroBytesAreSkippedButWrittenToTheFile) {
  CMLog log;
  ASSERT_EQ(log.Ring().Allocate(), 1);
  const std::string path = ::testing::TempDir() + "capture_zero.log";
  std::remove(path.c_str());
  ASSERT_EQ(log.OpenFile(path), 1);
  const uint8_t chunk[] = {'A', 0, 'B'};
  log.AddTraffic(chunk, 3, 0);
  log.CloseFile();
  EXPECT_EQ(log.Ring().PendingCount(), 2);
  ASSERT_EQ(log.Ring().TakePending(), 2);
  EXPECT_EQ(log.Ring().Snapshot(), (std::vector<uint16_t>{'A', 'B'}));
  EXPECT_EQ(ReadFile(path), std::string("A\0B", 3));
}

TEST(CaptureRing, FullRingDropsTheOldestCell) {
  CTLogBuffer ring;
  ASSERT_EQ(ring.Allocate(), 1);
  std::vector<uint8_t> bytes(CTLogBuffer::kCells);
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(1 + i % 200);
  ring.Add(bytes.data(), static_cast<uint32_t>(bytes.size()), 0);
  EXPECT_EQ(ring.PendingCount(), CTLogBuffer::kCells);
  EXPECT_EQ(ring.ReadPosition(), 0);

  const uint8_t one = 'Z';
  ring.Add(&one, 1, 1);
  EXPECT_EQ(ring.ReadPosition(), 1);
  EXPECT_EQ(ring.WritePosition(), 1);
  ASSERT_EQ(ring.TakePending(), CTLogBuffer::kCells);
  const auto& snap = ring.Snapshot();
  EXPECT_EQ(snap.front(), bytes[1]);  // the second byte ever captured
  EXPECT_EQ(snap.back(), 0x100 | 'Z');
}

// Chunks with NULs in them, runs across the ring's end, a chunk longer than
// the ring and overflow between takes: what is taken is always the newest
// pending non-NUL bytes, in order, with their marks.
TEST(CaptureRing, BlockStoresMatchTheByteByByteRing) {
  CTLogBuffer ring;
  ASSERT_EQ(ring.Allocate(), 1);
  const size_t cells = CTLogBuffer::kCells;
  std::vector<uint16_t> pending;  // the model
  uint32_t seed = 7;
  auto next = [&seed] { return seed = seed * 1103515245u + 12345u; };
  struct Step {
    size_t bytes;
    int nulEvery;  // 0: no NULs
    bool take;
  };
  const Step steps[] = {
      {5000, 0, false}, {cells - 3000, 97, false}, {4096, 0, true},       {cells + 12345, 1000, false},
      {1, 0, false},    {300000, 3, true},         {cells / 2, 0, false}, {cells, 0, true},
      {0, 0, true}};
  for (const Step& step : steps) {
    std::vector<uint8_t> chunk(step.bytes);
    for (size_t i = 0; i < chunk.size(); ++i)
      chunk[i] = step.nulEvery != 0 && i % static_cast<size_t>(step.nulEvery) == 0
                     ? 0
                     : static_cast<uint8_t>(1 + next() % 255);
    const uint8_t mark = static_cast<uint8_t>(next() & 1);
    ring.Add(chunk.data(), static_cast<uint32_t>(chunk.size()), mark);
    for (uint8_t b : chunk)
      if (b != 0) pending.push_back(static_cast<uint16_t>(mark << 8 | b));
    if (pending.size() > cells) pending.erase(pending.begin(), pending.end() - static_cast<std::ptrdiff_t>(cells));
    ASSERT_EQ(ring.PendingCount(), static_cast<int32_t>(pending.size()));
    ASSERT_EQ((ring.WritePosition() - ring.ReadPosition() + CTLogBuffer::kCells) % CTLogBuffer::kCells,
              static_cast<int32_t>(pending.size() % cells));
    if (step.take) {
      ASSERT_EQ(ring.TakePending(), static_cast<int32_t>(pending.size()));
      ASSERT_TRUE(ring.Snapshot() == pending);
      pending.clear();
    }
  }
}

TEST(CaptureRing, TakeWithNothingPendingIsEmpty) {
  CTLogBuffer ring;
  ASSERT_EQ(ring.Allocate(), 1);
  EXPECT_EQ(ring.TakePending(), 0);
  EXPECT_TRUE(ring.Snapshot().empty());
}

TEST(CaptureTrafficSink, DirectionsMapToMarksAndNotifyAfterEveryCall) {
  CMLog log;
  ASSERT_EQ(log.Ring().Allocate(), 1);
  int notified = 0;
  unsigned lastId = 0;
  log.SetNotifyTarget([&](unsigned id) { ++notified, lastId = id; }, CMLog::kTerminalNotifyId);
  TrafficSink& sink = log;
  sink.Capture("r", 1, TrafficDirection::kReceived);
  sink.Capture("p", 1, TrafficDirection::kSent);
  sink.Capture("t", 1, TrafficDirection::kTyped);
  const uint8_t nul = 0;
  sink.Capture(&nul, 1, TrafficDirection::kReceived);  // nothing stored, still notified
  EXPECT_EQ(notified, 4);
  EXPECT_EQ(lastId, 505u);
  ASSERT_EQ(log.Ring().TakePending(), 3);
  EXPECT_EQ(log.Ring().Snapshot(), (std::vector<uint16_t>{'r', 0x100 | 'p', 0x100 | 't'}));
}

TEST(RecordingFile, AppendsToAnExistingFile) {
  const std::string path = ::testing::TempDir() + "capture_append.log";
  {
    std::ofstream out(path, std::ios::binary);
    out << "OLD\r\n";
  }
  CMLog log;
  ASSERT_EQ(log.Ring().Allocate(), 1);
  ASSERT_EQ(log.OpenFile(path), 1);
  log.AddTraffic(reinterpret_cast<const uint8_t*>("NEW"), 3, 1);
  log.CloseFile();
  log.AddTraffic(reinterpret_cast<const uint8_t*>("LOST"), 4, 0);  // after the close: ring only
  EXPECT_EQ(ReadFile(path), "OLD\r\nNEW");
  EXPECT_EQ(log.Ring().TakePending(), 7);
}

TEST(RecordingFile, UnopenableFileStaysOffAndKeepsTheReason) {
  CMLog log;
  EXPECT_EQ(log.OpenFile("/nonexistent-dir/x.log"), 0);
  EXPECT_FALSE(log.IsFileOpen());
  EXPECT_EQ(log.OpenError(), ENOENT);
}

TEST(RecordingFile, EveryChunkIsOnDiskBeforeTheNextArrives) {
  CMLog log;
  ASSERT_EQ(log.Ring().Allocate(), 1);
  const std::string path = ::testing::TempDir() + "capture_flushed.log";
  std::remove(path.c_str());
  ASSERT_EQ(log.OpenFile(path), 1);
  EXPECT_EQ(log.OpenError(), 0);
  // Read through another stream while the file is still open.
  log.AddTraffic(reinterpret_cast<const uint8_t*>("RD SYS\r\n"), 8, 1);
  EXPECT_EQ(ReadFile(path), "RD SYS\r\n");
  log.AddTraffic(reinterpret_cast<const uint8_t*>("OK"), 2, 0);
  EXPECT_EQ(ReadFile(path), "RD SYS\r\nOK");
  log.CloseFile();
}

}  // namespace
