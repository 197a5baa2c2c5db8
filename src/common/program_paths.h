#pragma once
// Folders the program finds through the operating system. One implementation
// per platform (program_paths_posix.cpp, program_paths_win32.cpp).
#include <string>

namespace program_paths {

// The folder of the running executable (where the English catalogue and the
// ini file lie); empty when the system does not say.
std::string ExecutableDirectory();

// The user's folder for data kept on this machine: %LOCALAPPDATA% on
// Windows, $XDG_DATA_HOME or ~/.local/share elsewhere; empty when unknown.
std::string LocalDataDirectory();

}  // namespace program_paths
