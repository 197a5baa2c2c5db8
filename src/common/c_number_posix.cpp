#include <locale.h>

#include <cstdlib>

#include "common/c_number.h"

double StrtodC(const char* text) {
  static const locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
  if (c == static_cast<locale_t>(nullptr)) return std::strtod(text, nullptr);
  return strtod_l(text, nullptr, c);
}
