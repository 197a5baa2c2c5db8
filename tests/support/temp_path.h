#pragma once
// A path in the system's temporary folder that nothing uses yet, on every
// platform the tests run on.
#include <chrono>
#include <filesystem>
#include <random>
#include <string>

inline std::filesystem::path UniqueTempPath(const std::string& prefix) {
  static std::mt19937_64 random(std::random_device{}() ^
                                static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()));
  const std::filesystem::path base = std::filesystem::temp_directory_path();
  for (;;) {
    const std::filesystem::path p = base / (prefix + std::to_string(random()));
    std::error_code ec;
    if (!std::filesystem::exists(p, ec)) return p;
  }
}

// Creates a fresh directory there.
inline std::filesystem::path MakeTempDirectory(const std::string& prefix) {
  for (;;) {
    const std::filesystem::path p = UniqueTempPath(prefix);
    std::error_code ec;
    if (std::filesystem::create_directory(p, ec)) return p;
  }
}
