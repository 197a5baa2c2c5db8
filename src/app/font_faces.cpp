#include "app/font_faces.h"

#include <QFont>
#include <QFontDatabase>
#include <QStringList>

#include "common/string_table.h"

namespace {

// Japanese Gothic families in order of preference.
const QStringList& PreferredGothicFamilies() {
  static const QStringList families = {
      QStringLiteral("IPAGothic"),          QStringLiteral("IPAゴシック"),
      QStringLiteral("Noto Sans Mono CJK JP"), QStringLiteral("Noto Sans CJK JP"),
      QStringLiteral("TakaoGothic"),        QStringLiteral("VL Gothic"),
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
  QStringList faces = {QStringLiteral("ＭＳ ゴシック"), QStringLiteral("MS Gothic")};
  const QString configured = QString::fromStdString(strings::Text(strings::id::kDialogFontFace));
  if (!configured.isEmpty() && !faces.contains(configured)) faces << configured;
  for (const QString& face : faces) {
    QFont::removeSubstitutions(face);
    QFont::insertSubstitutions(face, targets);
  }
}
