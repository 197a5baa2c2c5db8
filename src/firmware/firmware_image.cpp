#include "firmware/firmware_image.h"

#include <cstdio>
#include <memory>
#include <new>

namespace firmware_image {
namespace {

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return 0;
}

// Reads up to `size` bytes; false on a read error.
bool ReadUpTo(std::FILE* f, size_t size, std::string* out) {
  out->resize(size);
  const size_t got = std::fread(&(*out)[0], 1, size, f);
  out->resize(got);
  return !std::ferror(f);
}

}  // namespace

std::vector<std::string> ScanIdentificationStrings(std::string_view head) {
  const size_t limit = head.size() < kHeadSize ? head.size() : kHeadSize;
  // The record offset that a ':' skips: colon, byte count and address.
  constexpr size_t kRecordPrefix = 7;
  std::vector<std::string> found;
  std::string current;
  int line_ends = 0;
  size_t p = 0;
  while (p < limit) {
    if (head[p] == ':') p += kRecordPrefix;
    if (p + 1 >= limit) break;  // the pair would reach beyond the head
    const char a = head[p];
    const char b = head[p + 1];
    if (a == '0' && b == '0') {
      if (!current.empty()) found.push_back(std::move(current));
      current.clear();
    } else if (a == '\r' && b == '\n') {
      current.clear();
      if (++line_ends == 2) break;
    } else {
      current.push_back(static_cast<char>(HexValue(a) << 4 | HexValue(b)));
    }
    p += 2;
  }
  return found;
}

int ReadIdentification(const std::string& path, std::vector<std::string>* strings) {
  File f(std::fopen(path.c_str(), "rb"));
  if (!f) return kCannotOpen;
  try {
    std::string head;
    if (!ReadUpTo(f.get(), kHeadSize, &head)) return kReadFailed;
    if (head.size() < kHeadSize || head[0] != ':') return kNotImage;
    std::vector<std::string> found = ScanIdentificationStrings(head);
    strings->swap(found);
    return kOk;
  } catch (const std::bad_alloc&) {
    return kReadFailed;
  }
}

int LoadText(const std::string& path, std::string* text) {
  File f(std::fopen(path.c_str(), "rb"));
  if (!f) return kCannotOpen;
  try {
    // Read to the end rather than trusting a length taken beforehand.
    std::string all;
    std::string chunk;
    constexpr size_t kChunk = 64 * 1024;
    do {
      if (!ReadUpTo(f.get(), kChunk, &chunk)) return kCannotOpen;
      all += chunk;
    } while (chunk.size() == kChunk);
    text->swap(all);
    return kOk;
  } catch (const std::bad_alloc&) {
    return kCannotOpen;
  }
}

bool HasModuleTag(const std::vector<std::string>& strings) {
  return strings.size() >= kMinIdentificationStrings && strings[0] == kModuleTag;
}

std::vector<std::string> SplitLines(std::string_view text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    const size_t end = text.find_first_of("\r\n", start);
    const size_t stop = end == std::string_view::npos ? text.size() : end;
    if (stop > start) lines.emplace_back(text.substr(start, stop - start));
    start = stop + 1;
  }
  return lines;
}

}  // namespace firmware_image
