#include "common/ui_hooks.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <thread>

namespace ui_hooks {
namespace {
std::mutex g_mutex;
std::shared_ptr<const std::function<void()>> g_pump;
std::thread::id g_ui_thread;
std::atomic<bool> g_registered{false};
}  // namespace

void SetMessagePump(std::function<void()> pump) {
  auto p = pump ? std::make_shared<const std::function<void()>>(std::move(pump)) : nullptr;
  std::lock_guard<std::mutex> lock(g_mutex);
  g_registered.store(p != nullptr);
  g_pump = std::move(p);
  g_ui_thread = std::this_thread::get_id();
}

bool PumpsOnThisThread() {
  if (!g_registered.load()) return false;
  std::lock_guard<std::mutex> lock(g_mutex);
  return g_pump != nullptr && g_ui_thread == std::this_thread::get_id();
}

void PumpMessages() {
  if (!g_registered.load()) return;
  std::shared_ptr<const std::function<void()>> pump;
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    if (g_ui_thread != std::this_thread::get_id()) return;
    pump = g_pump;
  }
  if (pump) (*pump)();
}

}  // namespace ui_hooks
