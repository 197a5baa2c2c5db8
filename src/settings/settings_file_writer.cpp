// Writing the settings file.
#include <cstdio>

#include "common/atomic_file.h"
#include "settings/decimal_text.h"
#include "settings/setting_work.h"

namespace {

constexpr const char* kEol = "\r\n";

std::string FormatTm(const char* format, const std::tm& t) {
  char buf[64];
  const size_t n = std::strftime(buf, sizeof buf, format, &t);
  return std::string(buf, n);
}

void AppendText(std::string& out, const char* key, const std::string& value) {
  out += key;
  out += ',';
  out += value;
  out += kEol;
}

void AppendInt(std::string& out, const char* key, int value) { AppendText(out, key, std::to_string(value)); }

std::string DateTimeText(const CSdlTime& t) {
  char buf[96];
  std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour, t.minute, t.second);
  return buf;
}

void AppendItemBlock(std::string& out, int index, const DeviceRecord& record) {
  out += "//" + std::to_string(index) + kEol;
  const CVT7SysInfo& sys = record.sys;
  const CVT7MailInfo& mail = record.mail;
  switch (index) {
    case kItemBatteryAlert: AppendInt(out, "BATTERY_ALART", sys.batteryAlert); break;
    case kItemAccessPoint:
      AppendText(out, "AP_NAME", mail.apn);
      AppendText(out, "AP_USER", mail.apnUser);
      AppendText(out, "AP_PASS", mail.apnPassword);
      AppendText(out, "AP_AUTH", mail.apnAuth);
      break;
    case kItemJudgement:
      // Channel number (always 0), limits in metres, judgement flags.
      AppendText(out, "ALM_AD",
                 "0," + FormatFixed(sys.upperThreshold, 4) + "," + FormatFixed(sys.lowerThreshold, 4) + "," +
                     std::to_string(sys.upperEnabled) + "," + std::to_string(sys.lowerEnabled));
      break;
    case kItemMeasurement:
      AppendInt(out, "MES_ENABLE", sys.measuring);
      AppendText(out, "MES_START_TIME", DateTimeText(sys.startTime));
      AppendInt(out, "MES_INTERVAL_TIME", sys.sampling);
      AppendInt(out, "MES_INTERVAL_NUM", sys.interval);
      AppendInt(out, "MES_INTERVAL_EVENT_TIME", sys.eventSampling);
      AppendInt(out, "MES_INTERVAL_EVENT_NUM", sys.eventInterval);
      break;
    default: break;  // the file format knows no values of other items
  }
}

}  // namespace

std::string CVTCSettingWork::DefaultFileName(const std::tm& exportTime) {
  return "TXL" + FormatTm("_%Y%m%d_%H%M%S", exportTime) + ".txi";
}

std::string CVTCSettingWork::FormatSettingsFile(const DeviceRecord& record, const CSettingItemList& items,
                                                const std::tm& exportTime) {
  std::string out;
  out += kHeader;
  out += kEol;
  AppendText(out, "DATE", FormatTm("%Y-%m-%d %H:%M:%S", exportTime));
  AppendText(out, "IMEI", record.mail.imei);
  for (int i = 0; i < kSettingItemCount; ++i) {
    if (items.entries[i].selected != 0) AppendItemBlock(out, i, record);
  }
  return out;
}

int CVTCSettingWork::WriteSettingsFile(const std::string& path, const DeviceRecord& record,
                                       const CSettingItemList& items, const std::tm& exportTime, std::string* error) {
  return SaveFileAtomically(path, FormatSettingsFile(record, items, exportTime), error) ? 0 : -1;
}
