#pragma once
// The setting items: everything the user can set on the logger, as 23
// numbered items in four groups, and the per-operation list that says which
// of them are available and which are selected.
#include <cstdint>

#include "protocol/device_record.h"

// The wizard page that serves a setting item. The page classes themselves
// belong to the user interface; the core only names them.
enum class SettingPage {
  kNone,
  kInitReset,       // initialisation
  kBatteryAlert,    // battery cut-off voltage
  kSimSetting,      // access point
  kAntennaTest,     // antenna check
  kTestMail,        // test transmission
  kRange1ch,        // judgement criteria
  kMeasureSetting,  // measurement schedule
};

// Usage bits of a setting item.
constexpr uint8_t kUsageSettingsFile = 0x01;
constexpr uint8_t kUsageWizard = 0x02;
constexpr uint32_t kAllModels = 0xFFFFFFFFu;

struct SettingItemInfo {
  uint16_t group;         // 1 to 4
  uint16_t nameStringId;  // 3000 + index
  uint32_t modelMask;     // bit 0 set: the item exists for this device family
  uint8_t enabled;        // bit 0
  uint8_t usage;          // kUsageSettingsFile | kUsageWizard
  SettingPage page;
};

// Item indexes that other code refers to by number.
enum SettingItemIndex : int {
  kItemInitReset = 0,
  kItemDateTime = 1,
  kItemBatteryAlert = 6,
  kItemAccessPoint = 11,
  kItemAntennaCheck = 19,
  kItemTestMail = 20,
  kItemJudgement = 21,
  kItemMeasurement = 22,
};

// The static setting item table, indexed 0 to kSettingItemCount - 1.
const SettingItemInfo& SettingItem(int index);

// String id of the heading of a group: 1 (and 0) "初期設定", 2 "無線設定",
// 3 "接続設定", 4 and above "測定設定".
uint16_t SettingGroupHeadingStringId(int group);

// Which items one operation (export, import, wizard run) covers. Copied by
// value between the callers, the item tree and the wizard.
struct CSettingItemList {
  struct Entry {
    int available = 0;  // the item tree shows the item
    int selected = 0;   // the wizard or the export covers it
  };

  Entry entries[kSettingItemCount];
  int deviceType = 0;
  int16_t group = -1;  // 0 to 4 when a group wizard command filled the list

  // Fills the list from the table: an item is available and selected when it
  // exists for the device family, is enabled and has the mode's usage bit
  // (settings file or wizard). The device type is stored, not tested.
  void Init(int deviceType, bool settingsFileMode);

  bool AnySelected() const;
};
