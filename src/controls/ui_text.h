#pragma once
// The string table's texts as QString, for every window.
#include <QString>

#include <cstdint>

#include "common/string_table.h"

namespace ui_text {

inline QString Text(uint32_t id) { return QString::fromStdString(strings::Text(id)); }
inline QString Text(uint32_t id, const char* fallback) { return QString::fromStdString(strings::Text(id, fallback)); }

}  // namespace ui_text
