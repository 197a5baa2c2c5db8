#include "common/ui_hooks.h"

#include <memory>
#include <mutex>

namespace ui_hooks {
namespace {
std::mutex g_mutex;
std::shared_ptr<const std::function<void()>> g_pump;
}  // namespace

void SetMessagePump(std::function<void()> pump) {
  auto p = pump ? std::make_shared<const std::function<void()>>(std::move(pump)) : nullptr;
  std::lock_guard<std::mutex> lock(g_mutex);
  g_pump = std::move(p);
}

void PumpMessages() {
  std::shared_ptr<const std::function<void()>> pump;
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    pump = g_pump;
  }
  if (pump) (*pump)();
}

}  // namespace ui_hooks
