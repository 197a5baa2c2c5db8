#pragma once
// A text of the string table as a QString.
#include <QString>

#include <cstdint>

#include "controls/ui_text.h"

inline QString ShellText(uint32_t id) { return ui_text::Text(id); }
