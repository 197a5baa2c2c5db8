#include "controls/half_width.h"

#include <QChar>

#include <unicode/translit.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>

#include <memory>

namespace half_width {

bool IsRefusedWidth(char32_t c) {
  const auto width =
      static_cast<UEastAsianWidth>(u_getIntPropertyValue(static_cast<UChar32>(c), UCHAR_EAST_ASIAN_WIDTH));
  if (width == U_EA_HALFWIDTH || width == U_EA_NARROW) return false;
  return width == U_EA_FULLWIDTH || width == U_EA_WIDE || QChar::isLetter(c);
}

namespace {

// ICU's own full-width to half-width transform; built once, used on the UI thread.
const icu::Transliterator* FullwidthToHalfwidth() {
  static const std::unique_ptr<icu::Transliterator> transform = [] {
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::Transliterator> t(
        icu::Transliterator::createInstance("Fullwidth-Halfwidth", UTRANS_FORWARD, status));
    if (U_FAILURE(status)) t.reset();
    return t;
  }();
  return transform.get();
}

}  // namespace

QString ToHalfWidth(const QString& text) {
  const icu::Transliterator* transform = FullwidthToHalfwidth();
  if (transform == nullptr || text.isEmpty()) return text;
  icu::UnicodeString buffer(reinterpret_cast<const UChar*>(text.constData()), static_cast<int32_t>(text.size()));
  transform->transliterate(buffer);
  return QString(reinterpret_cast<const QChar*>(buffer.getBuffer()), buffer.length());
}

}  // namespace half_width
