#include "settings/setting_item_list.h"

namespace {

constexpr uint8_t kBoth = kUsageSettingsFile | kUsageWizard;

// clang-format off
const SettingItemInfo kItems[kSettingItemCount] = {
    {1, 3000, kAllModels, 1, kUsageWizard, SettingPage::kInitReset},       // 初期化
    {1, 3001, kAllModels, 1, kUsageWizard, SettingPage::kNone},            // 日時設定
    {1, 3002, 0,          1, kBoth,        SettingPage::kNone},            // GPS設定
    {1, 3003, 0,          1, kBoth,        SettingPage::kNone},            // 入力設定
    {1, 3004, 0,          1, kBoth,        SettingPage::kNone},            // メモ情報設定
    {1, 3005, 0,          1, kBoth,        SettingPage::kNone},            // 外部接点出力
    {1, 3006, kAllModels, 1, kBoth,        SettingPage::kBatteryAlert},        // バッテリ警告
    {1, 3007, 0,          1, kBoth,        SettingPage::kNone},            // アイドリング時間
    {2, 3008, 0,          1, kBoth,        SettingPage::kNone},            // 無線設定
    {2, 3009, 0,          1, kUsageWizard, SettingPage::kNone},            // 無線状態確認
    {3, 3010, 0,          1, kBoth,        SettingPage::kNone},            // SIM電話番号
    {3, 3011, kAllModels, 1, kBoth,        SettingPage::kSimSetting},      // アクセスポイント
    {3, 3012, 0,          0, kBoth,        SettingPage::kNone},            // メールサーバ設定
    {3, 3013, 0,          0, kBoth,        SettingPage::kNone},            // メール送信設定
    {3, 3014, 0,          0, kBoth,        SettingPage::kNone},            // データセンタ送信設定
    {3, 3015, 0,          0, kBoth,        SettingPage::kNone},            // SMS送信設定
    {3, 3016, 0,          0, kBoth,        SettingPage::kNone},            // 送信種別設定
    {3, 3017, 0,          1, kBoth,        SettingPage::kNone},            // 送信設定
    {3, 3018, 0,          1, kBoth,        SettingPage::kNone},            // リトライ回数設定
    {3, 3019, kAllModels, 1, kUsageWizard, SettingPage::kAntennaTest},      // アンテナ状態確認
    {3, 3020, kAllModels, 1, kUsageWizard, SettingPage::kTestMail},        // テスト送信
    {4, 3021, kAllModels, 1, kBoth,        SettingPage::kRange1ch},        // 判定基準
    {4, 3022, kAllModels, 1, kBoth,        SettingPage::kMeasureSetting},  // 測定設定
};
// clang-format on

}  // namespace

const SettingItemInfo& SettingItem(int index) { return kItems[index]; }

uint16_t SettingGroupHeadingStringId(int group) {
  switch (group) {
    case 2: return 2001;
    case 3: return 2002;
    default: return group >= 4 ? 2003 : 2000;
  }
}

void CSettingItemList::Init(int type, bool settingsFileMode) {
  const uint8_t modeBit = settingsFileMode ? kUsageSettingsFile : kUsageWizard;
  for (int i = 0; i < kSettingItemCount; ++i) {
    const SettingItemInfo& item = kItems[i];
    const int on = (item.modelMask & 1u) != 0 && (item.enabled & 1u) != 0 && (item.usage & modeBit) != 0;
    entries[i].available = on;
    entries[i].selected = on;
  }
  deviceType = type;
  group = -1;
}

bool CSettingItemList::AnySelected() const {
  for (const Entry& e : entries) {
    if (e.selected != 0) return true;
  }
  return false;
}
