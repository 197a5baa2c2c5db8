#include <locale.h>
#include <stdlib.h>

#include "common/c_number.h"

double StrtodC(const char* text) {
  static const _locale_t c = _create_locale(LC_ALL, "C");
  if (c == nullptr) return strtod(text, nullptr);
  return _strtod_l(text, nullptr, c);
}
