#include "record_memory.h"

#include <cmath>
#include <cstdio>

#include "calendar.h"

namespace vlogger {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kTidePeriod = 12.42 * 3600;  // semi-diurnal tide
constexpr double kSpringNeapPeriod = 14.77 * 86400;
constexpr double kMeanLevel = 1.50;
constexpr double kTideAmplitude = 0.80;

uint64_t SplitMix64(uint64_t x) {
  x += 0x9E3779B97F4A7C15ull;
  x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
  x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
  return x ^ (x >> 31);
}

int64_t BatteryEpoch() {
  static const int64_t epoch = ToCalendarSeconds(CalendarTime{2024, 1, 1, 0, 0, 0});
  return epoch;
}

}  // namespace

double WaterLevelSeries::Noise(int64_t time, uint64_t stream) const {
  const uint64_t h =
      SplitMix64((static_cast<uint64_t>(seed_) << 32) ^ stream ^ SplitMix64(static_cast<uint64_t>(time)));
  return static_cast<double>(h >> 11) / static_cast<double>(1ull << 52) - 1.0;
}

double WaterLevelSeries::LevelAt(int64_t time) const {
  const double phase = static_cast<double>(SplitMix64(seed_) % 1000) / 1000.0 * 2 * kPi;
  const double t = static_cast<double>(time);
  const double swell = 1.0 + 0.15 * std::sin(2 * kPi * t / kSpringNeapPeriod);
  const double tide = kTideAmplitude * swell * std::sin(2 * kPi * t / kTidePeriod + phase);
  return kMeanLevel + tide + 0.01 * Noise(time, 1);
}

int WaterLevelSeries::BatteryAt(int64_t time) const {
  const double days = static_cast<double>(time - BatteryEpoch()) / 86400.0;
  double mv = 3700.0 - 0.5 * days;
  if (mv > 3700.0) mv = 3700.0;
  if (mv < 3000.0) mv = 3000.0;
  return static_cast<int>(std::lround(mv + 2.0 * Noise(time, 2)));
}

RecordMemory::RecordMemory(size_t capacity, uint32_t seed) : capacity_(capacity == 0 ? 1 : capacity), series_(seed) {}

void RecordMemory::Clear() {
  front_sequence_ += records_.size();
  records_.clear();
  next_id_ = 1;
}

void RecordMemory::Append(int64_t time) {
  if (records_.size() == capacity_) {
    records_.pop_front();
    ++front_sequence_;
  }
  records_.push_back(Record{next_id_, time});
  next_id_ = (next_id_ + 1) % kIdModulus;
}

void RecordMemory::SkipIds(uint64_t count) { next_id_ = static_cast<int>((next_id_ + count) % kIdModulus); }

void RecordMemory::Preset(size_t count, int first_id, int64_t last_time, int64_t step) {
  Clear();
  next_id_ = ((first_id % kIdModulus) + kIdModulus) % kIdModulus;
  if (count > capacity_) {
    SkipIds(count - capacity_);
    count = capacity_;
  }
  for (size_t i = 0; i < count; ++i) {
    Append(last_time - static_cast<int64_t>(count - 1 - i) * step);
  }
}

uint64_t RecordMemory::SequenceOf(int id) const {
  if (records_.empty() || id < 0 || id >= kIdModulus) return EndSequence();
  const int offset = ((id - records_.front().id) % kIdModulus + kIdModulus) % kIdModulus;
  if (static_cast<size_t>(offset) >= records_.size()) return EndSequence();
  return front_sequence_ + static_cast<uint64_t>(offset);
}

const Record* RecordMemory::AtSequence(uint64_t sequence) const {
  if (sequence < front_sequence_ || sequence >= EndSequence()) return nullptr;
  return &records_[static_cast<size_t>(sequence - front_sequence_)];
}

namespace {

// Digit writers for the record line: a readout formats 100,000 lines, and
// printf alone would make the logger slower than the line it feeds.
inline char* PutDigits(char* p, uint64_t v, int width) {
  // The usual case: the value fits the width, written from its last digit
  // back, two digits a step.
  static const char kPairs[] =
      "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
      "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
      "8081828384858687888990919293949596979899";
  static const uint64_t kLimits[] = {1, 10, 100, 1000, 10000, 100000, 1000000};
  if (width == 2 && v < 100) {
    p[0] = kPairs[v * 2];
    p[1] = kPairs[v * 2 + 1];
    return p + 2;
  }
  if (width >= 1 && width <= 6 && v < kLimits[width]) {
    char* q = p + width;
    while (q - p >= 2) {
      const size_t pair = static_cast<size_t>(v % 100) * 2;
      v /= 100;
      *--q = kPairs[pair + 1];
      *--q = kPairs[pair];
    }
    if (q > p) *--q = static_cast<char>('0' + v);
    return p + width;
  }
  char tmp[24];
  int n = 0;
  do {
    tmp[n++] = static_cast<char>('0' + v % 10);
    v /= 10;
  } while (v != 0);
  while (n < width) tmp[n++] = '0';
  while (n > 0) *p++ = tmp[--n];
  return p;
}

char* PutSigned(char* p, int64_t v, int width) {
  if (v < 0) {
    *p++ = '-';
    return PutDigits(p, static_cast<uint64_t>(-v), width);
  }
  return PutDigits(p, static_cast<uint64_t>(v), width);
}

}  // namespace

// "ID,yy/mm/dd hh:mm:ss,battery V,level m" -- the same text as
// "%05d,%02d/%02d/%02d %02d:%02d:%02d,%.3f,%.4f".
std::string RecordMemory::FormatLine(const Record& record) const {
  char line[kMaxLineBytes];
  return std::string(line, FormatLine(record, line));
}

size_t RecordMemory::FormatLine(const Record& record, char* line) const {
  const CalendarTime t = FromCalendarSeconds(record.time);
  const double level = series_.LevelAt(record.time);
  char* p = PutSigned(line, record.id, 5);
  *p++ = ',';
  p = PutDigits(p, static_cast<uint64_t>(t.year % 100), 2);
  *p++ = '/';
  p = PutDigits(p, static_cast<uint64_t>(t.month), 2);
  *p++ = '/';
  p = PutDigits(p, static_cast<uint64_t>(t.day), 2);
  *p++ = ' ';
  p = PutDigits(p, static_cast<uint64_t>(t.hour), 2);
  *p++ = ':';
  p = PutDigits(p, static_cast<uint64_t>(t.minute), 2);
  *p++ = ':';
  p = PutDigits(p, static_cast<uint64_t>(t.second), 2);
  *p++ = ',';
  // The battery in volts with three decimals, as the logger reports it.
  const int millivolts = series_.BatteryAt(record.time);
  p = PutDigits(p, static_cast<uint64_t>(millivolts / 1000), 1);
  *p++ = '.';
  p = PutDigits(p, static_cast<uint64_t>(millivolts % 1000), 3);
  *p++ = ',';
  const int64_t scaled = std::llround(std::fabs(level) * 10000.0);
  if (level < 0 && scaled != 0) *p++ = '-';
  p = PutDigits(p, static_cast<uint64_t>(scaled / 10000), 1);
  *p++ = '.';
  p = PutDigits(p, static_cast<uint64_t>(scaled % 10000), 4);
  return static_cast<size_t>(p - line);
}

}  // namespace vlogger
