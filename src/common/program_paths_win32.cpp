#include <windows.h>

#include <cstdlib>
#include <string>

#include "common/program_paths.h"

namespace program_paths {

std::string ExecutableDirectory() {
  char path[MAX_PATH * 4] = {};
  const DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
  if (n == 0 || n >= sizeof path) return std::string();
  std::string full(path, n);
  const size_t slash = full.find_last_of("\\/");
  return slash == std::string::npos ? std::string() : full.substr(0, slash);
}

std::string LocalDataDirectory() {
  const char* local = std::getenv("LOCALAPPDATA");
  return local != nullptr ? std::string(local) : std::string();
}

}  // namespace program_paths
