#include "app/font_faces.h"

#include <QFont>
#include <QFontDatabase>
#include <QStringList>

#include "common/string_table.h"

namespace {

// Japanese Gothic families in order of preference.
const QStringList& PreferredGothicFamilies() {
  static const QStringList families = {
      QStringLiteral("IPAGothic"),        QStringLiteral("IPAゴシック"), QStringLiteral("Noto Sans Mono CJK JP"),
      QStringLiteral("Noto Sans CJK JP"), QStringLiteral("TakaoGothic"), QStringLiteral("VL Gothic"),
      QStringLiteral("IPAexGothic"),
  };
  return families;
}

QStringList InstalledGothicFamilies() {
  const QStringList installed = QFontDatabase::families();
  QStringList found;
  for (const QString& family : PreferredGothicFamilies())
    if (installed.contains(family, Qt::CaseInsensitive)) found << family;
  if (found.isEmpty()) {
    // Any family that can write Japanese, the fixed-pitch ones first.
    const QStringList japanese = QFontDatabase::families(QFontDatabase::Japanese);
    for (const QString& family : japanese)
      if (QFontDatabase::isFixedPitch(family)) found << family;
    for (const QString& family : japanese)
      if (!found.contains(family)) found << family;
  }
  return found.isEmpty() ? PreferredGothicFamilies() : found;
}

}  // namespace

void InstallFontSubstitutions() {
  const QStringList targets = InstalledGothicFamilies();
  const QStringList gothicFaces = {QStringLiteral("ＭＳ ゴシック"), QStringLiteral("MS Gothic")};
  for (const QString& face : gothicFaces) {
    QFont::removeSubstitutions(face);
    QFont::insertSubstitutions(face, targets);
  }
  // Another face (the English catalogue names a proportional sans-serif one)
  // is used as it is where installed, else the nearest sans-serif family.
  const QString configured = QString::fromStdString(strings::Text(strings::id::kDialogFontFace));
  if (configured.isEmpty() || gothicFaces.contains(configured)) return;
  QFont::removeSubstitutions(configured);
  if (!QFontDatabase::hasFamily(configured))
    QFont::insertSubstitutions(configured, {QStringLiteral("DejaVu Sans"), QStringLiteral("Noto Sans"),
                                            QStringLiteral("Liberation Sans"), QStringLiteral("Sans Serif")});
}
