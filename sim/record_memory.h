#pragma once
// The logger's record memory: measurement records with wrapping IDs, and the
// synthetic water-level series their values come from.
#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>

namespace vlogger {

// Record IDs run from 0 to 99999; after 99999 comes 0. A cleared memory
// numbers its first record 1 and reports first and last ID 0 while empty.
constexpr int kIdModulus = 100000;

struct Record {
  int id = 0;
  int64_t time = 0;  // calendar seconds
};

// Measured values, a pure function of the seed and the time stamp: a tide of
// about 12.4 h and 0.8 m around a mean, with a spring/neap swell and a little
// noise; the battery falls by about half a millivolt a day.
class WaterLevelSeries {
 public:
  explicit WaterLevelSeries(uint32_t seed) : seed_(seed) {}
  double LevelAt(int64_t time) const;
  int BatteryAt(int64_t time) const;

 private:
  double Noise(int64_t time, uint64_t stream) const;  // in [-1, 1)
  uint32_t seed_;
};

class RecordMemory {
 public:
  RecordMemory(size_t capacity, uint32_t seed);

  // Erases every record; the next record gets ID 1.
  void Clear();
  // Stores one record with the next ID, dropping the oldest when full.
  void Append(int64_t time);
  // Advances the ID counter past records that were taken but are not kept.
  void SkipIds(uint64_t count);
  // Replaces the memory with `count` records, IDs from `first_id` on, the
  // last one taken at `last_time` and the others `step` seconds apart.
  void Preset(size_t count, int first_id, int64_t last_time, int64_t step);

  size_t Size() const { return records_.size(); }
  size_t Capacity() const { return capacity_; }
  int FirstId() const { return records_.empty() ? 0 : records_.front().id; }
  int LastId() const { return records_.empty() ? 0 : records_.back().id; }
  // Time of the newest record; 0 when empty.
  int64_t LastTime() const { return records_.empty() ? 0 : records_.back().time; }

  // Records are addressed by an absolute sequence number that stays valid
  // while older records are dropped; a streaming readout keeps its place so.
  uint64_t FrontSequence() const { return front_sequence_; }
  uint64_t EndSequence() const { return front_sequence_ + records_.size(); }
  // Sequence number of the held record with this ID, or EndSequence() when
  // the ID is not held.
  uint64_t SequenceOf(int id) const;
  const Record* AtSequence(uint64_t sequence) const;

  // "ID,yy/mm/dd hh:mm:ss,battery V,level m", e.g.
  // "00091,26/01/03 00:10:00,3.612,1.2345".
  std::string FormatLine(const Record& record) const;
  // The same into `out` (room for kMaxLineBytes); returns its length.
  static constexpr size_t kMaxLineBytes = 96;
  size_t FormatLine(const Record& record, char* out) const;
  const WaterLevelSeries& Series() const { return series_; }

 private:
  size_t capacity_;
  WaterLevelSeries series_;
  std::deque<Record> records_;
  uint64_t front_sequence_ = 0;
  int next_id_ = 1;
};

}  // namespace vlogger
