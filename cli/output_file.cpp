#include "output_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "common/atomic_file.h"
#include "common/console.h"
#include "output.h"

std::tm LocalNow() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return local;
}

std::string TimestampedName(const std::string& prefix, const std::tm& time, const std::string& extension) {
  char stamp[32];
  const size_t n = std::strftime(stamp, sizeof stamp, "%Y%m%d_%H%M%S", &time);
  return prefix + std::string(stamp, n) + "." + extension;
}

bool WriteOutput(const std::string& target, const std::string& bytes, std::string* error) {
  StreamedOutput out;
  if (!out.Begin(target, error)) return false;
  out.Write(bytes.data(), bytes.size());
  return out.Finish(std::string(), error);
}

bool StreamedOutput::Begin(const std::string& target, std::string* error) {
  toStandardOutput_ = target == kStandardOutput;
  failed_ = false;
  error_ = 0;
  if (!toStandardOutput_) return file_.Begin(target, error);
  StandardOutputAsBytes();  // the file's CR LF stay as they are
  return true;
}

bool StreamedOutput::Write(const char* bytes, size_t size) {
  if (size == 0) return !failed_;
  if (!toStandardOutput_) {
    if (!file_.Write(bytes, size)) failed_ = true;
    return !failed_;
  }
  if (!failed_ && std::fwrite(bytes, 1, size, stdout) != size) {
    failed_ = true;
    error_ = errno;
  }
  return !failed_;
}

bool StreamedOutput::Finish(const std::string& finalTarget, std::string* error) {
  if (!toStandardOutput_) return file_.Commit(error, finalTarget);
  if (!failed_ && std::fflush(stdout) != 0) {
    failed_ = true;
    error_ = errno;
  }
  if (!failed_) return true;
  if (error) *error = std::string("standard output: ") + std::strerror(error_);
  output::StandardOutputFailureTold();
  return false;
}
