#pragma once
// A flood of noise on the line: random bytes of any value, or random
// printable lines of a fixed length (a very long line when the length is
// large). Made one batch at a time, so an endless flood needs little memory.
#include <cstddef>
#include <cstdint>
#include <random>
#include <string>

namespace vlogger {

class LineNoise {
 public:
  // `bytes` of noise (-1: without end, 0: off). `line_length` 0 gives random
  // bytes of every value (line ends, NUL and ESC included); otherwise lines
  // of that many printable characters, each ended by CR LF and none
  // beginning with the first letter of an answer.
  void Start(int64_t bytes, size_t line_length);
  void Stop() { left_ = 0; }
  bool Active() const { return left_ != 0; }
  // The next batch of at most max_bytes; empty when the flood is over.
  std::string Next(size_t max_bytes);

 private:
  int64_t left_ = 0;
  size_t line_length_ = 0;
  size_t column_ = 0;  // characters of the current line already made
  std::mt19937 rng_{20241};
};

}  // namespace vlogger
