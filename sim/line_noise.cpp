#include "line_noise.h"

#include <algorithm>
#include <cstring>

namespace vlogger {

void LineNoise::Start(int64_t bytes, size_t line_length) {
  left_ = bytes < 0 ? -1 : bytes;
  line_length_ = line_length;
  column_ = 0;
}

std::string LineNoise::Next(size_t max_bytes) {
  size_t n = max_bytes;
  if (left_ >= 0) n = static_cast<size_t>(std::min<int64_t>(left_, static_cast<int64_t>(max_bytes)));
  std::string out;
  out.reserve(n);
  std::uniform_int_distribution<int> any(0, 255), printable(0x21, 0x7E);
  while (out.size() < n) {
    if (line_length_ == 0) {
      out += static_cast<char>(any(rng_));
    } else if (column_ < line_length_) {
      char c = static_cast<char>(printable(rng_));
      // A line of noise never begins as an answer ("NG", "NOT END", "OK",
      // "YES END", "WAKE", "*>RX:ERROR") would: noise is what it stays.
      while (column_ == 0 && std::strchr("NnOoYyWw*", c) != nullptr) c = static_cast<char>(printable(rng_));
      out += c;
      ++column_;
    } else {
      out += column_ == line_length_ ? '\r' : '\n';
      column_ = column_ == line_length_ ? column_ + 1 : 0;
    }
  }
  if (left_ > 0) left_ -= static_cast<int64_t>(out.size());
  return out;
}

}  // namespace vlogger
