#pragma once
// Finds the texts a window cuts: every visible label, button, check box,
// radio button, group box title, tab and column header whose text is wider
// (or, wrapped, taller) than the room its widget gives it.
#include <QString>
#include <QStringList>

class QWidget;

// One line per cut text: "<class> <object name> \"<text>\" needs N px, has M".
QStringList CutTexts(const QWidget* window);
