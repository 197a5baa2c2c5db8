#pragma once
// The save dialog for a ".log" file (the traffic recording and the saved
// terminal display), proposing "TXL_" + local date and time + ".log".
#include <QString>

class QWidget;

// The chosen path, or an empty string when the user cancelled.
QString AskLogFilePath(QWidget* owner);
