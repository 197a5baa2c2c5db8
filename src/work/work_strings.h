#pragma once
// Ids of the work runner's texts in the string table.
#include <cstdint>

namespace strings::id {
constexpr uint32_t kWorkingTitle = 5000;
constexpr uint32_t kWorkingText = 5001;
constexpr uint32_t kWorkingAbort = 5002;
}  // namespace strings::id
