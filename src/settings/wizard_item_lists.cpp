#include "settings/wizard_item_lists.h"

CSettingItemList SingleItemWizardList(int deviceType, int item) {
  CSettingItemList list;
  list.Init(deviceType, false);
  for (int i = 0; i < kSettingItemCount; ++i) list.entries[i].selected = i == item ? 1 : 0;
  return list;
}

CSettingItemList GroupWizardList(int deviceType, int group) {
  CSettingItemList list;
  list.Init(deviceType, false);
  list.group = static_cast<int16_t>(group);
  if (group != 0) {
    for (int i = 0; i < kSettingItemCount; ++i) {
      CSettingItemList::Entry& e = list.entries[i];
      if (e.selected != 0 && SettingItem(i).group != group) e = CSettingItemList::Entry{};
    }
  }
  return list;
}
