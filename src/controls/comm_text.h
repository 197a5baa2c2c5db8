#pragma once
// Small conversions the communication, test and firmware windows share: texts
// of the string table, and the logger's code-page strings, as QString.
#include <QString>

#include <cstdint>
#include <string>

#include "common/codepage.h"
#include "controls/ui_text.h"

namespace comm_text {

using ui_text::Text;

// A logger string (code page 932) for display.
inline QString FromAnsi(const std::string& ansi) { return QString::fromStdString(codepage::AnsiToUtf8(ansi)); }
// Text typed by the user, for the logger.
inline std::string ToAnsi(const QString& text) { return codepage::Utf8ToAnsi(text.toStdString()); }

// The object name of a control of a template ("ctl" + its id), as the
// wizard pages name theirs, so that tests can find it.
inline QString ControlName(int id) { return QStringLiteral("ctl%1").arg(id); }

}  // namespace comm_text
