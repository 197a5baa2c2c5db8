#include "app/qt_translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>

std::unique_ptr<QTranslator> InstallQtTranslations(bool japanese) {
  if (!japanese || QCoreApplication::instance() == nullptr) return nullptr;
  auto translator = std::make_unique<QTranslator>();
  // "qt_ja" pulls in qtbase_ja and the other modules' translations.
  if (!translator->load(QLocale(QLocale::Japanese, QLocale::Japan), QStringLiteral("qt"), QStringLiteral("_"),
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
    return nullptr;
  QCoreApplication::installTranslator(translator.get());
  return translator;
}
