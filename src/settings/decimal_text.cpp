#include "settings/decimal_text.h"

#include <charconv>
#include <limits>

#include "common/c_number.h"

namespace {

bool IsCSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

}  // namespace

int32_t DecimalToInt(const std::string& text) {
  size_t i = 0;
  while (i < text.size() && IsCSpace(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  constexpr int64_t kLimit = int64_t{std::numeric_limits<int32_t>::max()} + 1;
  int64_t magnitude = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    if (magnitude < kLimit) magnitude = magnitude * 10 + (text[i] - '0');
  }
  if (magnitude > kLimit) magnitude = kLimit;
  const int64_t value = negative ? -magnitude : magnitude;
  if (value > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
  return static_cast<int32_t>(value);
}

double DecimalToDouble(const std::string& text) { return StrtodC(text.c_str()); }

std::string FormatFixed(double value, int decimals) {
  // Large enough for the longest double in fixed notation (309 digits).
  char buf[400];
  const auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, decimals);
  if (r.ec != std::errc()) return std::string();
  return std::string(buf, r.ptr);
}
