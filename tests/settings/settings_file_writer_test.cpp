#include <gtest/gtest.h>

#include "settings/setting_work.h"
#include "temp_dir.h"

namespace {

std::tm ExportTime() {
  std::tm t{};
  t.tm_year = 2026 - 1900;
  t.tm_mon = 0;
  t.tm_mday = 2;
  t.tm_hour = 3;
  t.tm_min = 4;
  t.tm_sec = 5;
  return t;
}

// Measures every 10 minutes and sends every 6th measurement; every minute and
// every measurement in the event state.
DeviceRecord ExampleRecord() {
  DeviceRecord r;
  r.sys.batteryAlert = 3000;
  r.sys.upperThreshold = 5.0;
  r.sys.lowerThreshold = 1.0;
  r.sys.upperEnabled = 1;
  r.sys.lowerEnabled = 0;
  r.sys.measuring = 1;
  r.sys.startTime = CSdlTime{2026, 1, 3, 0, 0, 0};
  r.sys.sampling = 600;
  r.sys.interval = 6;
  r.sys.eventSampling = 60;
  r.sys.eventInterval = 1;
  return r;
}

CSettingItemList Selection(std::initializer_list<int> items) {
  CSettingItemList list;
  list.Init(0, true);
  for (auto& e : list.entries) e.selected = 0;
  for (int i : items) list.entries[i].selected = 1;
  return list;
}

TEST(SettingsFileWriter, ReproducesTheDocumentedExampleByteForByte) {
  const std::string expected =
      "[ZEB_TXLI]\r\n"
      "DATE,2026-01-02 03:04:05\r\n"
      "IMEI,\r\n"
      "//6\r\n"
      "BATTERY_ALART,3000\r\n"
      "//21\r\n"
      "ALM_AD,0,5.0000,1.0000,1,0\r\n"
      "//22\r\n"
      "MES_ENABLE,1\r\n"
      "MES_START_TIME,2026-01-03 00:00:00\r\n"
      "MES_INTERVAL_TIME,600\r\n"
      "MES_INTERVAL_NUM,6\r\n"
      "MES_INTERVAL_EVENT_TIME,60\r\n"
      "MES_INTERVAL_EVENT_NUM,1\r\n";
  EXPECT_EQ(CVTCSettingWork::FormatSettingsFile(ExampleRecord(), Selection({6, 21, 22}), ExportTime()), expected);
}

TEST(SettingsFileWriter, AllItemsInIndexOrderWithAccessPointBytesUnchanged) {
  DeviceRecord r = ExampleRecord();
  r.mail.imei = "356938035643809";
  r.mail.apn = "\x83\x65\x83\x58\x83\x67.example";  // Shift_JIS text stays as it is
  r.mail.apnUser = "";
  r.mail.apnPassword = "p,w";
  r.mail.apnAuth = "CHAP";
  r.sys.upperThreshold = -0.00005;  // rounds like "%.4lf"
  r.sys.lowerThreshold = 12.34567;
  const std::string text = CVTCSettingWork::FormatSettingsFile(r, Selection({22, 11, 21, 6}), ExportTime());
  const std::string expected =
      "[ZEB_TXLI]\r\n"
      "DATE,2026-01-02 03:04:05\r\n"
      "IMEI,356938035643809\r\n"
      "//6\r\n"
      "BATTERY_ALART,3000\r\n"
      "//11\r\n"
      "AP_NAME,\x83\x65\x83\x58\x83\x67.example\r\n"
      "AP_USER,\r\n"
      "AP_PASS,p,w\r\n"
      "AP_AUTH,CHAP\r\n"
      "//21\r\n"
      "ALM_AD,0,-0.0001,12.3457,1,0\r\n"
      "//22\r\n"
      "MES_ENABLE,1\r\n"
      "MES_START_TIME,2026-01-03 00:00:00\r\n"
      "MES_INTERVAL_TIME,600\r\n"
      "MES_INTERVAL_NUM,6\r\n"
      "MES_INTERVAL_EVENT_TIME,60\r\n"
      "MES_INTERVAL_EVENT_NUM,1\r\n";
  EXPECT_EQ(text, expected);
}

TEST(SettingsFileWriter, SelectedItemWithoutValuesGetsOnlyItsMarker) {
  const std::string text = CVTCSettingWork::FormatSettingsFile(ExampleRecord(), Selection({1}), ExportTime());
  EXPECT_EQ(text, "[ZEB_TXLI]\r\nDATE,2026-01-02 03:04:05\r\nIMEI,\r\n//1\r\n");
}

TEST(SettingsFileWriter, DefaultNameCarriesTheExportTime) {
  EXPECT_EQ(CVTCSettingWork::DefaultFileName(ExportTime()), "TXL_20260102_030405.txi");
}

TEST(SettingsFileWriter, WrittenFileReadsBackIntoTheSameValues) {
  DeviceRecord r = ExampleRecord();
  r.mail.apn = "apn.example";
  r.mail.apnUser = "user";
  r.mail.apnPassword = "secret";
  r.mail.apnAuth = "PAP";
  r.sys.upperThreshold = 3.25;
  r.sys.lowerThreshold = -1.5;
  const std::string text = CVTCSettingWork::FormatSettingsFile(r, Selection({6, 11, 21, 22}), ExportTime());

  DeviceRecord back;
  CVTCSettingWork::ApplySettingsText(text, back);
  for (int i = 0; i < kSettingItemCount; ++i) {
    const bool expected = i == 6 || i == 11 || i == 21 || i == 22;
    EXPECT_EQ(back.itemPresent[i], expected ? 1 : 0) << i;
  }
  EXPECT_EQ(back.sys.batteryAlert, 3000);
  EXPECT_EQ(back.mail.apn, "apn.example");
  EXPECT_EQ(back.mail.apnUser, "user");
  EXPECT_EQ(back.mail.apnPassword, "secret");
  EXPECT_EQ(back.mail.apnAuth, "PAP");
  EXPECT_DOUBLE_EQ(back.sys.upperThreshold, 3.25);
  EXPECT_DOUBLE_EQ(back.sys.lowerThreshold, -1.5);
  EXPECT_EQ(back.sys.upperEnabled, 1);
  EXPECT_EQ(back.sys.lowerEnabled, 0);
  EXPECT_EQ(back.sys.measuring, 1);
  EXPECT_EQ(back.sys.startTime, (CSdlTime{2026, 1, 3, 0, 0, 0}));
  EXPECT_EQ(back.sys.sampling, 600);
  EXPECT_EQ(back.sys.interval, 6);
  EXPECT_EQ(back.sys.eventSampling, 60);
  EXPECT_EQ(back.sys.eventInterval, 1);
}

class SettingsFileWriteTest : public TempDirTest {};

TEST_F(SettingsFileWriteTest, ReplacesALongerFileCompletely) {
  const std::string path = Path("TXL_20260102_030405.txi");
  WriteBytes(path, std::string(5000, 'x'));
  ASSERT_EQ(CVTCSettingWork::WriteSettingsFile(path, ExampleRecord(), Selection({6}), ExportTime()), 0);
  EXPECT_EQ(ReadBytes(path), "[ZEB_TXLI]\r\nDATE,2026-01-02 03:04:05\r\nIMEI,\r\n//6\r\nBATTERY_ALART,3000\r\n");
  EXPECT_EQ(Entries(), std::vector<std::string>{"TXL_20260102_030405.txi"});
}

TEST_F(SettingsFileWriteTest, FailureIsReportedAndLeavesNothingBehind) {
  std::string error;
  EXPECT_EQ(
      CVTCSettingWork::WriteSettingsFile(Path("missing/x.txi"), ExampleRecord(), Selection({6}), ExportTime(), &error),
      -1);
  EXPECT_FALSE(error.empty());
  EXPECT_TRUE(Entries().empty());
}

}  // namespace
