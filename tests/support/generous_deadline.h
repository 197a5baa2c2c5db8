#pragma once
// Deadlines for tests that wait on a condition whose time depends on the
// machine's speed: another thread or process, or the virtual logger, has to
// get its turn on a busy machine. The deadline is generous, so that only a
// wait that never ends reaches it, and it grows with the time seam's scale
// (QHX_TEST_TIME_SCALE), which the slower sanitizer builds set larger than
// the usual 0.05.
#include <chrono>
#include <cstdlib>

namespace testwait {

inline std::chrono::milliseconds Generous(std::chrono::milliseconds usual) {
  constexpr double kUsualScale = 0.05;
  const char* env = std::getenv("QHX_TEST_TIME_SCALE");
  const double scale = env != nullptr ? std::atof(env) : kUsualScale;
  const double stretch = scale > kUsualScale ? scale / kUsualScale : 1.0;
  return std::chrono::milliseconds(static_cast<long long>(static_cast<double>(usual.count()) * stretch));
}

}  // namespace testwait
