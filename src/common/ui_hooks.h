#pragma once
// Hooks through which the core calls into a user interface without knowing it.
// The desktop program registers them at start-up; without registration they do
// nothing, so the core works the same in the command-line tool and in tests.
#include <functional>

namespace ui_hooks {

// Runs the user interface's pending events once. The registered function must
// itself return at once when it is called on a thread other than the UI thread.
void SetMessagePump(std::function<void()> pump);
void PumpMessages();

}  // namespace ui_hooks
