// Every find and parse operation of the settings file reader on one input.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "settings/setting_work.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  if (text.size() > CVTCSettingWork::kMaxFileBytes) text.resize(CVTCSettingWork::kMaxFileBytes);
  DeviceRecord record;
  (void)CVTCSettingWork::HasHeader(text);
  CVTCSettingWork::ApplySettingsText(text, record);
  std::string value;
  for (const char* key :
       {"IMEI", "BATTERY_ALART", "AP_NAME", "AP_USER", "AP_PASS", "AP_AUTH", "ALM_AD", "MES_ENABLE", "MES_START_TIME",
        "MES_INTERVAL_TIME", "MES_INTERVAL_NUM", "MES_INTERVAL_EVENT_TIME", "MES_INTERVAL_EVENT_NUM", "DATE"}) {
    (void)CVTCSettingWork::FindValue(text, key, value);
  }
  (void)CVTCSettingWork::ParseAccessPoint(record, text);
  (void)CVTCSettingWork::ParseThresholds(record, text);
  CSdlTime t;
  CVTCSettingWork::ParseDateTime(text, t);
  std::vector<std::string> fields;
  (void)CVTCSettingWork::SplitNonEmptyFields(text, fields);
  return 0;
}
