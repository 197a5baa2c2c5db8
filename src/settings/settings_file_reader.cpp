// Reading the settings file: the file is searched for the keys that matter,
// every other line is ignored, and an item counts as present as soon as its
// leading key is found.
#include <cstring>
#include <utility>

#include "common/codepage.h"
#include "settings/decimal_text.h"
#include "settings/setting_work.h"
#include "settings/settings_import.h"

namespace {

bool IsTrailByte(unsigned char c) { return (c >= 0x40 && c <= 0x7E) || (c >= 0x80 && c <= 0xFC); }

// First position of `pattern` in `text` at a character boundary of the
// double-byte code page, or npos.
size_t FindAtCharacterBoundary(const std::string& text, const std::string& pattern) {
  const size_t n = text.size();
  size_t i = 0;
  while (i < n && n - i >= pattern.size()) {
    if (text.compare(i, pattern.size(), pattern) == 0) return i;
    const bool doubleByte = codepage::IsLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < n &&
                            IsTrailByte(static_cast<unsigned char>(text[i + 1]));
    i += doubleByte ? 2 : 1;
  }
  return std::string::npos;
}

// Splits at any of `delimiters` the way strtok() does: runs of delimiters
// count as one and leading ones are skipped.
std::vector<std::string> Tokens(const std::string& text, const char* delimiters) {
  std::vector<std::string> out;
  size_t pos = text.find_first_not_of(delimiters);
  while (pos != std::string::npos) {
    const size_t end = text.find_first_of(delimiters, pos);
    out.push_back(text.substr(pos, end == std::string::npos ? std::string::npos : end - pos));
    pos = end == std::string::npos ? end : text.find_first_not_of(delimiters, end);
  }
  return out;
}

}  // namespace

SettingsFileLoad CVTCSettingWork::ReadSettingsText(const std::string& path, std::string& text) {
  settings_import::SettingsText file;
  const SettingsFileLoad result = settings_import::ReadSettingsFile(path, &file);
  text = result == SettingsFileLoad::kOk ? std::move(file.text) : std::string();
  return result;
}

bool CVTCSettingWork::HasHeader(const std::string& text) {
  const size_t n = std::strlen(kHeader);
  return text.size() >= n && text.compare(0, n, kHeader) == 0;
}

void CVTCSettingWork::ApplySettingsText(const std::string& text, DeviceRecord& record) {
  for (uint16_t& present : record.itemPresent) present = 0;
  CVT7SysInfo& sys = record.sys;
  std::string value;

  if (FindValue(text, "BATTERY_ALART", value) >= 0) {
    record.itemPresent[kItemBatteryAlert] = 1;
    if (!value.empty()) sys.batteryAlert = DecimalToInt(value);
  }
  if (ParseAccessPoint(record, text) == 1) record.itemPresent[kItemAccessPoint] = 1;
  if (ParseThresholds(record, text) == 1) record.itemPresent[kItemJudgement] = 1;

  // The measurement item is present only with its leading key.
  if (FindValue(text, "MES_ENABLE", value) < 0) return;
  record.itemPresent[kItemMeasurement] = 1;
  if (!value.empty()) sys.measuring = DecimalToInt(value);
  if (FindValue(text, "MES_START_TIME", value) > 0) ParseDateTime(value, sys.startTime);
  if (FindValue(text, "MES_INTERVAL_TIME", value) > 0) sys.sampling = DecimalToInt(value);
  if (FindValue(text, "MES_INTERVAL_NUM", value) > 0) sys.interval = DecimalToInt(value);
  if (FindValue(text, "MES_INTERVAL_EVENT_TIME", value) > 0) sys.eventSampling = DecimalToInt(value);
  if (FindValue(text, "MES_INTERVAL_EVENT_NUM", value) > 0) sys.eventInterval = DecimalToInt(value);
}

SettingsFileLoad CVTCSettingWork::LoadSettingsFile(const std::string& path, DeviceRecord& record) {
  std::string text;
  const SettingsFileLoad result = ReadSettingsText(path, text);
  if (result == SettingsFileLoad::kOk) ApplySettingsText(text, record);
  return result;
}

int CVTCSettingWork::FindValue(const std::string& text, const std::string& key, std::string& value) {
  value.clear();
  const std::string pattern = key + ",";
  const size_t at = FindKey(text, pattern);
  if (at == std::string::npos) return -1;
  const size_t begin = at + pattern.size();
  const size_t end = text.find_first_of("\r\n", begin);
  value = text.substr(begin, end == std::string::npos ? std::string::npos : end - begin);
  return static_cast<int>(value.size());
}

size_t CVTCSettingWork::FindKey(const std::string& text, const std::string& pattern) {
  return FindAtCharacterBoundary(text, pattern);
}

int CVTCSettingWork::ParseAccessPoint(DeviceRecord& record, const std::string& text) {
  CVT7MailInfo& mail = record.mail;
  std::string value;
  if (FindValue(text, "AP_NAME", value) < 0) return -1;
  if (!value.empty()) mail.apn = value;
  if (FindValue(text, "AP_USER", value) > 0) mail.apnUser = value;
  if (FindValue(text, "AP_PASS", value) > 0) mail.apnPassword = value;
  if (FindValue(text, "AP_AUTH", value) > 0) mail.apnAuth = value;
  return 1;
}

int CVTCSettingWork::ParseThresholds(DeviceRecord& record, const std::string& text) {
  std::string value;
  // Only channel 0 exists on this logger.
  if (FindValue(text, "ALM_AD,0", value) <= 0) return -1;
  std::vector<std::string> fields;
  if (SplitNonEmptyFields(value, fields) < 4) return -1;
  record.sys.upperThreshold = DecimalToDouble(fields[0]);
  record.sys.lowerThreshold = DecimalToDouble(fields[1]);
  record.sys.upperEnabled = DecimalToInt(fields[2]);
  record.sys.lowerEnabled = DecimalToInt(fields[3]);
  return 1;
}

void CVTCSettingWork::ParseDateTime(const std::string& value, CSdlTime& time) {
  const size_t dateBegin = value.find_first_not_of(' ');
  if (dateBegin == std::string::npos) return;
  const size_t dateEnd = value.find(' ', dateBegin);
  if (dateEnd == std::string::npos) return;  // no time part
  const std::vector<std::string> date = Tokens(value.substr(dateBegin, dateEnd - dateBegin), "-/:_");
  const std::vector<std::string> clock = Tokens(value.substr(dateEnd + 1), "-/:_");
  auto part = [](const std::vector<std::string>& tokens, size_t i) {
    return i < tokens.size() ? DecimalToInt(tokens[i]) : 0;
  };
  time.year = part(date, 0);
  time.month = part(date, 1);
  time.day = part(date, 2);
  time.hour = part(clock, 0);
  time.minute = part(clock, 1);
  time.second = part(clock, 2);
}

int CVTCSettingWork::SplitNonEmptyFields(const std::string& text, std::vector<std::string>& fields) {
  fields = Tokens(text, ",");
  return static_cast<int>(fields.size());
}
