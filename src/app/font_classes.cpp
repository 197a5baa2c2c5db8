#include "app/font_classes.h"

#include <QGuiApplication>
#include <QScreen>

#include <cmath>
#include <cstdlib>
#include <string>

#include "common/string_table.h"

namespace {

constexpr int kClassBoundaries[] = {500, 700, 800, 1050};
constexpr int kClassCount = 5;

int NumberOfString(uint32_t id) {
  const std::string text = strings::Text(id);
  char* end = nullptr;
  const long value = std::strtol(text.c_str(), &end, 10);
  return end == text.c_str() ? 0 : static_cast<int>(value);
}

}  // namespace

int LogicalScreenHeight(int pixelHeight, int dpiY) {
  if (dpiY <= 0) dpiY = 96;
  const long long product = static_cast<long long>(pixelHeight) * 96;
  // Round to the nearest integer, halves away from zero.
  const long long half = dpiY / 2;
  return static_cast<int>(product >= 0 ? (product + half) / dpiY : (product - half) / dpiY);
}

int ScreenHeightClass(int logicalHeight) {
  int heightClass = 0;
  for (int boundary : kClassBoundaries)
    if (logicalHeight >= boundary) ++heightClass;
  return heightClass;
}

DialogFontSizes FontSizesForClass(int heightClass) {
  if (heightClass < 0) heightClass = 0;
  if (heightClass >= kClassCount) heightClass = kClassCount - 1;
  const uint32_t c = static_cast<uint32_t>(heightClass);
  DialogFontSizes sizes;
  sizes.baseSize = NumberOfString(strings::id::kFontBaseSize0 + c);
  if (sizes.baseSize == 0) sizes.baseSize = 10;
  sizes.measurePageReduction = NumberOfString(strings::id::kMeasurePageReduction0 + 2 * c);
  sizes.dialogReduction = NumberOfString(strings::id::kDialogReduction0 + 2 * c);
  return sizes;
}

DialogFontSizes FontSizesForPrimaryScreen() {
  int pixels = 768;
  int dpi = 96;
  if (QGuiApplication::instance() != nullptr) {
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
      pixels = screen->geometry().height();
      dpi = static_cast<int>(std::lround(screen->logicalDotsPerInchY()));
    }
  }
  return FontSizesForClass(ScreenHeightClass(LogicalScreenHeight(pixels, dpi)));
}
