// Value conversions of the wizard pages, the texts of the system and
// measurement pages, and the item lists of the wizard entries.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "pages/device_page_texts.h"
#include "settings/wizard_item_lists.h"
#include "settings/wizard_values.h"

namespace {

TEST(BatteryField, ShowsVoltsWithOneDecimalAndStoresTruncatedMillivolts) {
  EXPECT_EQ(VoltsFieldText(3000), "3.0");
  EXPECT_EQ(VoltsFieldText(3260), "3.3");
  EXPECT_EQ(VoltsFieldText(0), "0.0");
  struct Case {
    const char* text;
    int millivolts;
  };
  for (const Case& c : std::vector<Case>{
           {"3.3", 3300}, {"", 0}, {"abc", 0}, {"2.4", 2400}, {"3.6", 3600}, {"3.2999", 3299}, {"1e12", 2147483647}}) {
    EXPECT_EQ(MillivoltsFromVoltsText(c.text), c.millivolts) << c.text;
  }
  // Every one-decimal voltage a battery can have survives the round trip.
  for (int tenths = 0; tenths <= 99; ++tenths)
    EXPECT_EQ(MillivoltsFromVoltsText(VoltsFieldText(tenths * 100)), tenths * 100) << tenths;
}

TEST(JudgementField, RoundsToThreeDecimalsHalvesAwayFromZero) {
  struct Case {
    const char* text;
    double value;
  };
  for (const Case& c : std::vector<Case>{{"1.2345", 1.235},
                                         {"-1.2345", -1.235},
                                         {"1.2344", 1.234},
                                         {"0", 0.0},
                                         {"", 0.0},
                                         {"x", 0.0},
                                         {"9999.999", 9999.999}}) {
    EXPECT_NEAR(LimitFromFieldText(c.text), c.value, 1e-9) << c.text;
  }
  EXPECT_EQ(LimitFieldText(2.5), "2.500");
  EXPECT_EQ(LimitFieldText(-2.5), "-2.500");
}

TEST(SystemPageTexts, ProductInformationForms) {
  std::string text = "before";
  EXPECT_TRUE(ProductInfoText("", "123", &text));
  EXPECT_EQ(text, "SN:123");
  EXPECT_TRUE(ProductInfoText("352", "123", &text));
  EXPECT_EQ(text, "IMEI:352/SN:123");
  text = "kept";
  EXPECT_FALSE(ProductInfoText("352", "", &text));
  EXPECT_EQ(text, "kept");
}

TEST(SystemPageTexts, MemoryRangeAndVolts) {
  EXPECT_EQ(MemoryRangeText(0, 0), "");
  EXPECT_EQ(MemoryRangeText(0, 15), "0 - 15");
  EXPECT_EQ(MemoryRangeText(3, 15), "3 - 15");
  EXPECT_EQ(CutoffVoltsText(3600), "3.6");
  EXPECT_EQ(CutoffVoltsText(2400), "2.4");
  EXPECT_EQ(CutoffVoltsText(0), "0.0");
}

TEST(MeasurementPageTexts, JudgementLines) {
  EXPECT_EQ(JudgementText("上限値", 1.5, 1, "下限値", 0.25, 0), "上限値:1.500[m], ON \r\n下限値:0.250[m], OFF");
  // Any flag other than 1 shows as OFF.
  EXPECT_EQ(JudgementText("U", -2.5, 7, "L", -3.0, 1), "U:-2.500[m], OFF\r\nL:-3.000[m], ON ");
}

TEST(WizardItemLists, SingleItemSelectsExactlyThatItem) {
  const CSettingItemList list = SingleItemWizardList(0, kItemMeasurement);
  for (int i = 0; i < kSettingItemCount; ++i) EXPECT_EQ(list.entries[i].selected, i == kItemMeasurement ? 1 : 0) << i;
  // Availability stays as the wizard mode makes it.
  EXPECT_EQ(list.entries[kItemInitReset].available, 1);
  EXPECT_EQ(list.entries[9].available, 0);
  EXPECT_EQ(list.group, -1);
}

TEST(WizardItemLists, GroupKeepsOnlyItsOwnItems) {
  struct Case {
    int group;
    std::vector<int> selected;
  };
  for (const Case& c : std::vector<Case>{
           {0, {0, 1, 6, 11, 19, 20, 21, 22}}, {1, {0, 1, 6}}, {2, {}}, {3, {11, 19, 20}}, {4, {21, 22}}}) {
    const CSettingItemList list = GroupWizardList(0, c.group);
    EXPECT_EQ(list.group, c.group);
    std::vector<int> selected;
    for (int i = 0; i < kSettingItemCount; ++i) {
      if (list.entries[i].selected) selected.push_back(i);
      EXPECT_EQ(list.entries[i].available, list.entries[i].selected) << c.group << " " << i;
    }
    EXPECT_EQ(selected, c.selected) << "group " << c.group;
  }
}

}  // namespace
