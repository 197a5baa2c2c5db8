#include "app/language_config.h"

#include <QFile>
#include <QFileInfo>
#include <QSettings>

#include <cstdlib>

#include "common/string_table.h"

namespace language {

int ReadIniLanguage(const QString& iniPath) {
  if (!QFileInfo(iniPath).isFile()) return 0;
  const QSettings ini(iniPath, QSettings::IniFormat);
  const QVariant value = ini.value(QStringLiteral("TessaHX/Language"));
  // A value with commas reads as a list; the platform reads its leading digits.
  const QString text = value.userType() == QMetaType::QStringList ? value.toStringList().value(0) : value.toString();
  const QByteArray digits = text.trimmed().toLatin1();
  char* end = nullptr;
  const long number = std::strtol(digits.constData(), &end, 10);
  return end == digits.constData() ? 0 : static_cast<int>(number);
}

bool SelectsEnglish(int languageValue) { return (languageValue & 0xFF) == 1; }

bool Apply(const QString& moduleDir, Choice choice) {
  bool english = choice == Choice::kEnglish;
  if (choice == Choice::kFromIni)
    english = !moduleDir.isEmpty() && SelectsEnglish(ReadIniLanguage(moduleDir + QLatin1String(kIniFileName)));
  strings::ClearCatalogue();
  if (!english) return false;
  return strings::LoadCatalogue(QFile::encodeName(moduleDir + QLatin1String(kEnglishCatalogueName)).toStdString());
}

}  // namespace language
