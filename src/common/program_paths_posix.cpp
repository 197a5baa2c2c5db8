#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "common/program_paths.h"

namespace program_paths {

std::string ExecutableDirectory() {
  std::error_code ec;
  const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  return ec ? std::string() : exe.parent_path().string();
}

std::string LocalDataDirectory() {
  const char* xdg = std::getenv("XDG_DATA_HOME");
  if (xdg != nullptr && xdg[0] == '/') return xdg;
  const char* home = std::getenv("HOME");
  if (home == nullptr || home[0] == '\0') return std::string();
  return std::string(home) + "/.local/share";
}

}  // namespace program_paths
