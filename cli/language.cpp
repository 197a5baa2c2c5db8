#include "language.h"

#include <cstdlib>
#include <filesystem>

#include "common/program_paths.h"
#include "common/string_table.h"
#include "output.h"

namespace {
constexpr const char* kEnglishCatalogue = "TessaHXResE.txt";
}

std::string LanguageFromEnvironment() {
  for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* value = std::getenv(name);
    if (value == nullptr || *value == '\0') continue;
    return std::string(value).compare(0, 2, "ja") == 0 ? "ja" : "en";
  }
  return "ja";
}

std::string ExecutableDirectory() { return program_paths::ExecutableDirectory(); }

bool SelectLanguage(const std::string& lang) {
  if (lang != "en") {
    strings::ClearCatalogue();
    return true;
  }
  const std::string path = (std::filesystem::path(ExecutableDirectory()) / kEnglishCatalogue).string();
  if (strings::LoadCatalogue(path)) return true;
  output::Error("quorvane-ctl: cannot read the English catalogue " + path);
  return false;
}
