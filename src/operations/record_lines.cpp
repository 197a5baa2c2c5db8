#include "operations/record_lines.h"

#include <strings.h>

#include <cstring>

namespace ops {

namespace {

// Record IDs run 0 to 99999.
constexpr size_t kMaxIdDigits = 5;

bool IsWholeLine(const char* line, size_t length, const char* word) {
  // Trailing blanks after the word are tolerated; nothing else.
  const size_t n = std::strlen(word);
  if (length < n || strncasecmp(line, word, n) != 0) return false;
  for (size_t i = n; i < length; ++i)
    if (line[i] != ' ' && line[i] != '\t') return false;
  return true;
}

}  // namespace

ListingLine ClassifyListingLine(const char* line, size_t length) {
  size_t digits = 0;
  while (digits < length && line[digits] >= '0' && line[digits] <= '9') ++digits;
  if (digits > 0 && digits <= kMaxIdDigits && digits < length && line[digits] == ',') return ListingLine::kRecord;
  if (digits > 0) return ListingLine::kOther;
  if (IsWholeLine(line, length, "YES END")) return ListingLine::kEnd;
  if (IsWholeLine(line, length, "NOT END") || IsWholeLine(line, length, "NG")) return ListingLine::kRefusal;
  return ListingLine::kOther;
}

}  // namespace ops
