#pragma once
// Template ids of the wizard pages of this folder.
namespace wizard_page {
constexpr int kInitResetTemplate = 362;
constexpr int kBatteryAlertTemplate = 329;
constexpr int kRange1chTemplate = 348;
constexpr int kMeasureSettingTemplate = 342;
}  // namespace wizard_page
