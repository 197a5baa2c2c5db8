#include "pages/device_page_texts.h"

#include "settings/decimal_text.h"

bool ProductInfoText(const std::string& imei, const std::string& serial, std::string* text) {
  std::string info;
  if (!imei.empty()) info = "IMEI:" + imei;
  if (!info.empty()) info += "/";
  info += "SN:" + serial;
  if (serial.empty()) return false;
  *text = info;
  return true;
}

std::string MemoryRangeText(int firstId, int lastId) {
  if (firstId == 0 && lastId == 0) return std::string();
  return std::to_string(firstId) + " - " + std::to_string(lastId);
}

std::string CutoffVoltsText(int millivolts) { return FormatFixed(millivolts / 1000.0, 1); }

namespace {
std::string JudgementLine(const std::string& label, double metres, int enabled) {
  return label + ":" + FormatFixed(metres, 3) + "[m], " + (enabled == 1 ? "ON " : "OFF");
}
}  // namespace

std::string JudgementText(const std::string& upperLabel, double upper, int upperEnabled, const std::string& lowerLabel,
                          double lower, int lowerEnabled) {
  return JudgementLine(upperLabel, upper, upperEnabled) + "\r\n" + JudgementLine(lowerLabel, lower, lowerEnabled);
}
