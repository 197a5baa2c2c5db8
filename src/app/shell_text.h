#pragma once
// A text of the string table as a QString.
#include <QString>

#include <cstdint>

#include "common/string_table.h"

inline QString ShellText(uint32_t id) { return QString::fromStdString(strings::Text(id)); }
