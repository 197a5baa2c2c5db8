#pragma once
// Qt's own texts (message box buttons, the file dialog) in the program's
// language: with the Japanese texts in use, Qt's Japanese translation
// (Debian's qt6-translations-l10n) is installed; with the English catalogue
// Qt keeps its English texts.
#include <QTranslator>

#include <memory>

// The installed translator for Japanese, or none (English, or no
// translation found). The translator stays installed while it lives.
std::unique_ptr<QTranslator> InstallQtTranslations(bool japanese);
