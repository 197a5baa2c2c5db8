#pragma once
// Ids of the port selection dialog's texts in the string table.
#include <cstdint>

namespace strings::id {
// Port selection dialog
constexpr uint32_t kPortDialogTitle = 5050;
constexpr uint32_t kPortDialogPrompt = 5051;
constexpr uint32_t kOkButtonText = 5052;
constexpr uint32_t kCancelButtonText = 5053;
constexpr uint32_t kSimulatedPortDescription = 5054;
}  // namespace strings::id
