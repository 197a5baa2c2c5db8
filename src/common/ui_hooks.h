#pragma once
// Hooks through which the core calls into a user interface without knowing it.
// The desktop program registers them at start-up; without registration they do
// nothing, so the core works the same in the command-line tool and in tests.
#include <functional>

namespace ui_hooks {

// Runs the user interface's pending events once. The thread that registers
// the pump is taken as the UI thread; on any other thread PumpMessages()
// does nothing.
void SetMessagePump(std::function<void()> pump);
void PumpMessages();
// True when a pump is registered and this is its thread: waits on this thread
// then wake regularly to run it; waits on other threads simply block.
bool PumpsOnThisThread();

}  // namespace ui_hooks
