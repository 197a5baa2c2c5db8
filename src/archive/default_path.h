#pragma once
// Where the archive lives unless the user names another file:
// $XDG_DATA_HOME/quorvane-hx/archive.sqlite, or ~/.local/share/... when
// XDG_DATA_HOME is unset or empty.
#include <string>

namespace archive {

// Empty when neither XDG_DATA_HOME nor HOME is set.
std::string DefaultArchivePath();

}  // namespace archive
