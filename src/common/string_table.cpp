#include "common/string_table.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <mutex>
#include <shared_mutex>
#include <unordered_map>

namespace strings {
namespace {

struct BuiltInEntry {
  uint32_t id;
  const char* text;
};

constexpr BuiltInEntry kBuiltIn[] = {
// One file per area of the program, so that each area adds its texts in
// its own file; the English catalogue is split the same way (resources/en/).
// In the order of their ids:
// clang-format off
#include "common/strings_ja/core.inc"
#include "common/strings_ja/shell.inc"
#include "common/strings_ja/data.inc"
#include "common/strings_ja/wizard.inc"
#include "common/strings_ja/comm.inc"
#include "common/strings_ja/operations.inc"
#include "common/strings_ja/archive.inc"
#include "common/strings_ja/chart.inc"
    // clang-format on
};

using TextMap = std::unordered_map<uint32_t, std::string>;

const std::unordered_map<uint32_t, const char*>& BuiltInMap() {
  static const auto* map = [] {
    auto* m = new std::unordered_map<uint32_t, const char*>();
    for (const auto& e : kBuiltIn) m->emplace(e.id, e.text);
    return m;
  }();
  return *map;
}

std::shared_mutex g_lock;
std::shared_ptr<const TextMap> g_catalogue;  // guarded by g_lock

std::shared_ptr<const TextMap> Catalogue() {
  std::shared_lock<std::shared_mutex> lock(g_lock);
  return g_catalogue;
}

std::string Unescape(const std::string& s) {
  std::string out;
  out.reserve(s.size());
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '\\' && i + 1 < s.size()) {
      const char n = s[i + 1];
      const char* rep = n == 'r' ? "\r" : n == 'n' ? "\n" : n == 't' ? "\t" : n == '\\' ? "\\" : nullptr;
      if (rep) {
        out += rep;
        ++i;
        continue;
      }
    }
    out += s[i];
  }
  return out;
}

// The printf conversions of a text in order, each reduced to what decides the
// argument it consumes: '*' for a star width or precision, the length
// modifier and the conversion letter ("%-5.3lf" gives "lf").
std::string Conversions(const char* text) {
  static const std::string kLetters = "diouxXeEfFgGaAcspn";
  static const std::string kModifiers = "-+ #.0123456789*hlLqjzt";
  static const std::string kSignificant = "*hlLqjzt";
  std::string out;
  for (const char* p = text; *p; ++p) {
    if (*p != '%') continue;
    ++p;
    if (*p == '%') continue;
    // Flags, width and precision do not change the argument; a star and
    // the length modifier do. Whatever character ends the run is the
    // conversion (also when it is not a valid one: it is compared as it is).
    std::string conversion;
    while (*p && kLetters.find(*p) == std::string::npos && kModifiers.find(*p) != std::string::npos) {
      if (kSignificant.find(*p) != std::string::npos) conversion += *p;
      ++p;
    }
    if (!*p) {
      out += conversion + "?|";
      break;
    }
    out += conversion + *p + "|";
  }
  return out;
}

bool ParseId(const std::string& s, uint32_t* id) {
  if (s.empty() || s.size() > 10) return false;
  uint64_t v = 0;
  for (char c : s) {
    if (c < '0' || c > '9') return false;
    v = v * 10 + static_cast<uint64_t>(c - '0');
  }
  if (v > UINT32_MAX) return false;
  *id = static_cast<uint32_t>(v);
  return true;
}

}  // namespace

const char* BuiltIn(uint32_t id) {
  const auto& map = BuiltInMap();
  auto it = map.find(id);
  return it == map.end() ? nullptr : it->second;
}

std::vector<uint32_t> BuiltInIds() {
  std::vector<uint32_t> ids;
  ids.reserve(std::size(kBuiltIn));
  for (const auto& e : kBuiltIn) ids.push_back(e.id);
  return ids;
}

std::string Text(uint32_t id) { return Text(id, ""); }

std::string Text(uint32_t id, const char* fallback) {
  if (auto cat = Catalogue()) {
    auto it = cat->find(id);
    if (it != cat->end()) return it->second;
  }
  if (const char* b = BuiltIn(id)) return b;
  return fallback ? fallback : "";
}

bool LoadCatalogue(const std::string& path) {
  std::error_code ec;
  if (std::filesystem::is_directory(path, ec)) return false;
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  auto map = std::make_shared<TextMap>();
  std::string line;
  bool first = true;
  while (std::getline(in, line)) {
    if (first && line.compare(0, 3, "\xEF\xBB\xBF") == 0) line.erase(0, 3);
    first = false;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    const size_t tab = line.find('\t');
    uint32_t id = 0;
    if (tab == std::string::npos || !ParseId(line.substr(0, tab), &id)) continue;
    std::string text = Unescape(line.substr(tab + 1));
    if (const char* builtin = BuiltIn(id)) {
      if (Conversions(builtin) != Conversions(text.c_str())) continue;
    }
    (*map)[id] = std::move(text);
  }
  if (in.bad()) return false;
  std::unique_lock<std::shared_mutex> lock(g_lock);
  g_catalogue = std::move(map);
  return true;
}

void ClearCatalogue() {
  std::unique_lock<std::shared_mutex> lock(g_lock);
  g_catalogue.reset();
}

bool CatalogueLoaded() { return Catalogue() != nullptr; }

bool CatalogueHas(uint32_t id) {
  auto cat = Catalogue();
  return cat && cat->count(id) != 0;
}

}  // namespace strings
