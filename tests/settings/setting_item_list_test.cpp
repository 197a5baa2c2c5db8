#include <gtest/gtest.h>

#include <set>

#include "settings/setting_item_list.h"

namespace {

std::set<int> Available(const CSettingItemList& list) {
  std::set<int> out;
  for (int i = 0; i < kSettingItemCount; ++i) {
    EXPECT_EQ(list.entries[i].available, list.entries[i].selected) << "item " << i;
    if (list.entries[i].available != 0) out.insert(i);
  }
  return out;
}

TEST(SettingItemList, SettingsFileModeAdmitsTheFourTransferableItems) {
  CSettingItemList list;
  list.group = 3;
  list.Init(7, true);
  EXPECT_EQ(Available(list), (std::set<int>{6, 11, 21, 22}));
  EXPECT_EQ(list.deviceType, 7);
  EXPECT_EQ(list.group, -1);
}

TEST(SettingItemList, WizardModeAdmitsItemsWithPagesAndDateTime) {
  CSettingItemList list;
  list.Init(0, false);
  // Item 9 allows the wizard but does not exist for this family; item 12 is
  // disabled.
  EXPECT_EQ(Available(list), (std::set<int>{0, 1, 6, 11, 19, 20, 21, 22}));
}

TEST(SettingItemList, InitReplacesAnEarlierSelection) {
  CSettingItemList list;
  list.Init(0, false);
  for (auto& e : list.entries) e = {0, 0};
  list.entries[2] = {1, 1};
  list.Init(0, true);
  EXPECT_EQ(Available(list), (std::set<int>{6, 11, 21, 22}));
  EXPECT_TRUE(list.AnySelected());
  for (auto& e : list.entries) e.selected = 0;
  EXPECT_FALSE(list.AnySelected());
}

TEST(SettingItemTable, GroupsNamesAndPages) {
  const int groupOf[kSettingItemCount] = {1, 1, 1, 1, 1, 1, 1, 1, 2, 2, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 4, 4};
  for (int i = 0; i < kSettingItemCount; ++i) {
    EXPECT_EQ(SettingItem(i).group, groupOf[i]) << i;
    EXPECT_EQ(SettingItem(i).nameStringId, 3000 + i) << i;
  }
  EXPECT_EQ(SettingItem(0).page, SettingPage::kInitReset);
  EXPECT_EQ(SettingItem(1).page, SettingPage::kNone);
  EXPECT_EQ(SettingItem(6).page, SettingPage::kBatteryAlert);
  EXPECT_EQ(SettingItem(11).page, SettingPage::kSimSetting);
  EXPECT_EQ(SettingItem(19).page, SettingPage::kAntennaTest);
  EXPECT_EQ(SettingItem(20).page, SettingPage::kTestMail);
  EXPECT_EQ(SettingItem(21).page, SettingPage::kRange1ch);
  EXPECT_EQ(SettingItem(22).page, SettingPage::kMeasureSetting);
}

TEST(SettingItemTable, GroupHeadings) {
  EXPECT_EQ(SettingGroupHeadingStringId(0), 2000);
  EXPECT_EQ(SettingGroupHeadingStringId(1), 2000);
  EXPECT_EQ(SettingGroupHeadingStringId(2), 2001);
  EXPECT_EQ(SettingGroupHeadingStringId(3), 2002);
  EXPECT_EQ(SettingGroupHeadingStringId(4), 2003);
  EXPECT_EQ(SettingGroupHeadingStringId(9), 2003);
}

}  // namespace
