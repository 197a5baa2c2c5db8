#include "language.h"

#include <filesystem>
#include <system_error>

#include "common/string_table.h"
#include "output.h"

namespace {
constexpr const char* kEnglishCatalogue = "TessaHXResE.txt";
}

std::string ExecutableDirectory() {
  std::error_code ec;
  const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  return ec ? std::string() : exe.parent_path().string();
}

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
