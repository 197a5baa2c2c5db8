#pragma once
// Ids of the terminal window's and the log file dialog's texts in the string
// table.
#include <cstdint>

namespace strings::id {
constexpr uint32_t kTerminalTitle = 5040;
constexpr uint32_t kTerminalHello = 5041;
constexpr uint32_t kTerminalSaveLog = 5042;
constexpr uint32_t kLogFileFilter = 5043;
// Beside the terminal's buttons: lines typed during an operation.
constexpr uint32_t kTerminalWaiting = 5044;
constexpr uint32_t kTerminalNotSent = 5045;
}  // namespace strings::id
