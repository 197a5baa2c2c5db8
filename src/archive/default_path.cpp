#include "archive/default_path.h"

#include <cstdlib>

namespace archive {

std::string DefaultArchivePath() {
  const char* xdg = std::getenv("XDG_DATA_HOME");
  // A relative XDG_DATA_HOME is invalid and ignored, as the basedir rules say.
  if (xdg != nullptr && xdg[0] == '/') return std::string(xdg) + "/quorvane-hx/archive.sqlite";
  const char* home = std::getenv("HOME");
  if (home == nullptr || home[0] == '\0') return {};
  return std::string(home) + "/.local/share/quorvane-hx/archive.sqlite";
}

}  // namespace archive
