#include "progress_bar.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "common/console.h"

namespace {
constexpr int kWidth = 40;
constexpr auto kRedrawEvery = std::chrono::milliseconds(100);
}  // namespace

ProgressBar::ProgressBar() : enabled_(StandardErrorIsTerminal()) {}

void ProgressBar::SetRange(int total) {
  total_ = total;
  Draw();
}

void ProgressBar::SetPosition(int received) {
  received_ = received;
  const auto now = std::chrono::steady_clock::now();
  if (received_ < total_ && now - last_draw_ < kRedrawEvery) return;
  Draw();
}

void ProgressBar::Finish() {
  if (!enabled_ || !drawn_) return;
  Draw();
  std::fputc('\n', stderr);
  std::fflush(stderr);
  drawn_ = false;
}

void ProgressBar::Draw() {
  if (!enabled_) return;
  last_draw_ = std::chrono::steady_clock::now();
  const int filled = total_ > 0 ? static_cast<int>(std::min<long long>(kWidth, 1LL * kWidth * received_ / total_)) : 0;
  const std::string bar = std::string(filled, '#') + std::string(kWidth - filled, '.');
  std::fprintf(stderr, "\r[%s] %d/%d", bar.c_str(), received_, total_);
  std::fflush(stderr);
  drawn_ = true;
}
