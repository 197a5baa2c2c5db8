#include "reply_style.h"

#include <cctype>

namespace vlogger {

void ReplyStyle::SetNoise(const std::string& line, int every) {
  noise_ = line;
  noise_every_ = every < 1 ? 1 : every;
}

void ReplyStyle::Append(std::string_view line, std::string& out) {
  if (!noise_.empty() && line_count_ % noise_every_ == 0) {
    out += noise_;
    out += "\r\n";
  }
  ++line_count_;
  const size_t start = out.size();
  out.append(line.data(), line.size());
  if (lower_case_) {
    for (size_t i = start; i < out.size(); ++i) {
      out[i] = static_cast<char>(std::tolower(static_cast<unsigned char>(out[i])));
    }
  }
  out += "\r\n";
}

}  // namespace vlogger
