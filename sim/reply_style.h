#pragma once
// Turns reply lines into the bytes the logger sends: CR LF after each line,
// optionally everything in lower case, optionally module noise lines
// (beginning with '#') mixed in.
#include <string>
#include <string_view>
#include <vector>

namespace vlogger {

class ReplyStyle {
 public:
  void SetLowerCase(bool on) { lower_case_ = on; }
  // The noise line goes before the first line of each reply and then before
  // every `every`-th line (1: before every line). An empty line switches it off.
  void SetNoise(const std::string& line, int every);

  // Starts a new reply (the noise count starts again).
  void BeginReply() { line_count_ = 0; }
  // Lines need no styling beyond their CR LF.
  bool Plain() const { return noise_.empty() && !lower_case_; }
  // Counts lines appended as they are (Plain()) for the noise that may follow.
  void CountLines(long count) { line_count_ += count; }
  // Appends one reply line, styled, to `out`.
  void Append(std::string_view line, std::string& out);

 private:
  bool lower_case_ = false;
  std::string noise_;
  int noise_every_ = 1;
  long line_count_ = 0;
};

}  // namespace vlogger
