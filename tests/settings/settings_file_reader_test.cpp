#include <gtest/gtest.h>

#include "settings/setting_work.h"
#include "settings/settings_import.h"
#include "temp_dir.h"

namespace {

const std::string kHead = "[ZEB_TXLI]\r\nDATE,2026-01-02 03:04:05\r\nIMEI,\r\n";

// A record as the logger last reported it; values the file does not give
// must survive the import.
DeviceRecord LoggerRecord() {
  DeviceRecord r;
  for (uint16_t& p : r.itemPresent) p = 1;
  r.sys.batteryAlert = 3300;
  r.sys.upperThreshold = 2.0;
  r.sys.lowerThreshold = -2.0;
  r.sys.upperEnabled = 0;
  r.sys.lowerEnabled = 0;
  r.sys.measuring = 0;
  r.sys.startTime = CSdlTime{2025, 12, 1, 6, 0, 0};
  r.sys.sampling = 300;
  r.sys.interval = 12;
  r.sys.eventSampling = 30;
  r.sys.eventInterval = 2;
  r.mail.apn = "old.apn";
  r.mail.apnUser = "olduser";
  r.mail.apnPassword = "oldpass";
  r.mail.apnAuth = "PAP";
  return r;
}

DeviceRecord Apply(const std::string& text) {
  DeviceRecord r = LoggerRecord();
  CVTCSettingWork::ApplySettingsText(text, r);
  return r;
}

std::vector<int> PresentItems(const DeviceRecord& r) {
  std::vector<int> out;
  for (int i = 0; i < kSettingItemCount; ++i) {
    if (r.itemPresent[i] != 0) out.push_back(i);
  }
  return out;
}

TEST(SettingsFileFindValue, KeyAnywhereFirstOccurrenceToLineEnd) {
  std::string v;
  EXPECT_EQ(CVTCSettingWork::FindValue("A,1\r\nXKEY,abc\r\nKEY,second\r\n", "KEY", v), 3);
  EXPECT_EQ(v, "abc");
  EXPECT_EQ(CVTCSettingWork::FindValue("KEY,last line without end", "KEY", v), 21);
  EXPECT_EQ(v, "last line without end");
  EXPECT_EQ(CVTCSettingWork::FindValue("KEY,\r\nKEY,later", "KEY", v), 0);
  EXPECT_EQ(v, "");
  EXPECT_EQ(CVTCSettingWork::FindValue("KEY,lf only\nNEXT,1", "KEY", v), 7);
  EXPECT_EQ(v, "lf only");
  v = "stale";
  EXPECT_EQ(CVTCSettingWork::FindValue("KEY 1\r\nkey,2\r\nKEYS,3", "KEY", v), -1);
  EXPECT_EQ(v, "");
}

TEST(SettingsFileFindValue, NeverMatchesOnTheSecondByteOfADoubleByteCharacter) {
  // 0x83 0x41 is one katakana character whose second byte is 'A': the text
  // "AP_NAME," that seems to follow the lead byte is not a key.
  const std::string text = kHead +
                           "AP_PASS,\x83"
                           "AP_NAME,wrong\r\nAP_NAME,right\r\n";
  std::string v;
  EXPECT_EQ(CVTCSettingWork::FindValue(text, "AP_NAME", v), 5);
  EXPECT_EQ(v, "right");
  // A lone lead byte before the line end does not swallow the next line.
  EXPECT_EQ(CVTCSettingWork::FindValue("X,\x83\r\nKEY,1", "KEY", v), 1);
  EXPECT_EQ(v, "1");
}

TEST(SettingsFileSplitNonEmptyFields, DropsEmptyRuns) {
  std::vector<std::string> f{"stale"};
  EXPECT_EQ(CVTCSettingWork::SplitNonEmptyFields(",,5.0,,1.0,1,0,", f), 4);
  EXPECT_EQ(f, (std::vector<std::string>{"5.0", "1.0", "1", "0"}));
  EXPECT_EQ(CVTCSettingWork::SplitNonEmptyFields("", f), 0);
  EXPECT_TRUE(f.empty());
}

TEST(SettingsFileParseDateTime, Forms) {
  struct Case {
    const char* value;
    CSdlTime expected;
  };
  const CSdlTime before{2025, 12, 1, 6, 7, 8};
  const Case cases[] = {
      {"2026-01-03 00:00:00", {2026, 1, 3, 0, 0, 0}},
      {"2026/01/03 08:30", {2026, 1, 3, 8, 30, 0}},
      {"  2026_1_3 8:5:9", {2026, 1, 3, 8, 5, 9}},
      {"2026--01-03 10::15", {2026, 1, 3, 10, 15, 0}},
      {"2026-01 12", {2026, 1, 0, 12, 0, 0}},
      {"2026-01-03 ", {2026, 1, 3, 0, 0, 0}},
      {"2026-01-03", before},  // no time part: unchanged
      {"   ", before},
      {"", before},
  };
  for (const Case& c : cases) {
    CSdlTime t = before;
    CVTCSettingWork::ParseDateTime(c.value, t);
    EXPECT_EQ(t, c.expected) << '"' << c.value << '"';
  }
}

TEST(SettingsFileApply, FullFileTakesEveryValue) {
  const DeviceRecord r = Apply(kHead +
                               "//6\r\nBATTERY_ALART,3100\r\n"
                               "//11\r\nAP_NAME,new.apn\r\nAP_USER,u\r\nAP_PASS,p\r\nAP_AUTH,CHAP\r\n"
                               "//21\r\nALM_AD,0,5.0000,-1.2500,1,0\r\n"
                               "//22\r\nMES_ENABLE,1\r\nMES_START_TIME,2026-01-03 08:30:00\r\n"
                               "MES_INTERVAL_TIME,600\r\nMES_INTERVAL_NUM,6\r\n"
                               "MES_INTERVAL_EVENT_TIME,60\r\nMES_INTERVAL_EVENT_NUM,1\r\n");
  EXPECT_EQ(PresentItems(r), (std::vector<int>{6, 11, 21, 22}));
  EXPECT_EQ(r.sys.batteryAlert, 3100);
  EXPECT_EQ(r.mail.apn, "new.apn");
  EXPECT_EQ(r.mail.apnUser, "u");
  EXPECT_EQ(r.mail.apnPassword, "p");
  EXPECT_EQ(r.mail.apnAuth, "CHAP");
  EXPECT_DOUBLE_EQ(r.sys.upperThreshold, 5.0);
  EXPECT_DOUBLE_EQ(r.sys.lowerThreshold, -1.25);
  EXPECT_EQ(r.sys.upperEnabled, 1);
  EXPECT_EQ(r.sys.lowerEnabled, 0);
  EXPECT_EQ(r.sys.measuring, 1);
  EXPECT_EQ(r.sys.startTime, (CSdlTime{2026, 1, 3, 8, 30, 0}));
  EXPECT_EQ(r.sys.sampling, 600);
  EXPECT_EQ(r.sys.interval, 6);
  EXPECT_EQ(r.sys.eventSampling, 60);
  EXPECT_EQ(r.sys.eventInterval, 1);
}

TEST(SettingsFileApply, EmptyValuesMarkTheItemButKeepTheLoggerValues) {
  const DeviceRecord r = Apply(kHead +
                               "BATTERY_ALART,\r\n"
                               "AP_NAME,\r\nAP_USER,abc\r\nAP_PASS,\r\n"
                               "MES_ENABLE,\r\nMES_START_TIME,\r\nMES_INTERVAL_TIME,\r\nMES_INTERVAL_NUM,9\r\n");
  const DeviceRecord logger = LoggerRecord();
  EXPECT_EQ(PresentItems(r), (std::vector<int>{6, 11, 22}));
  EXPECT_EQ(r.sys.batteryAlert, logger.sys.batteryAlert);
  EXPECT_EQ(r.mail.apn, logger.mail.apn);
  EXPECT_EQ(r.mail.apnUser, "abc");
  EXPECT_EQ(r.mail.apnPassword, logger.mail.apnPassword);
  EXPECT_EQ(r.mail.apnAuth, logger.mail.apnAuth);
  EXPECT_EQ(r.sys.measuring, logger.sys.measuring);
  EXPECT_EQ(r.sys.startTime, logger.sys.startTime);
  EXPECT_EQ(r.sys.sampling, logger.sys.sampling);
  EXPECT_EQ(r.sys.interval, 9);
}

TEST(SettingsFileApply, ItemsThatDoNotCount) {
  struct Case {
    const char* lines;
    const char* why;
  };
  const Case cases[] = {
      {"ALM_AD,1,5.0,1.0,1,1\r\n", "channel 1"},
      {"ALM_AD,0,5.0,,1,1\r\n", "an empty field leaves three"},
      {"ALM_AD,0,\r\n", "empty value"},
      {"ALM_AD,0,5.0,1.0,1\r\n", "three fields"},
      {"MES_INTERVAL_TIME,600\r\nMES_START_TIME,2026-01-03 08:30:00\r\n", "no MES_ENABLE"},
      {"AP_USER,abc\r\nAP_PASS,x\r\n", "no AP_NAME"},
      {"battery_alart,3000\r\nBATTERY_ALART 3000\r\n", "keys are exact"},
  };
  const DeviceRecord logger = LoggerRecord();
  for (const Case& c : cases) {
    const DeviceRecord r = Apply(kHead + c.lines);
    EXPECT_TRUE(PresentItems(r).empty()) << c.why;
    EXPECT_DOUBLE_EQ(r.sys.upperThreshold, logger.sys.upperThreshold) << c.why;
    EXPECT_EQ(r.sys.sampling, logger.sys.sampling) << c.why;
    EXPECT_EQ(r.sys.startTime, logger.sys.startTime) << c.why;
    EXPECT_EQ(r.mail.apnUser, logger.mail.apnUser) << c.why;
    EXPECT_EQ(r.sys.batteryAlert, logger.sys.batteryAlert) << c.why;
  }
}

TEST(SettingsFileApply, ChannelZeroIsFoundAfterOtherChannelsAndExtraFieldsAreIgnored) {
  const DeviceRecord r = Apply(kHead + "ALM_AD,1,9.0,9.0,0,0\r\nALM_AD,0,+1.5e0,  -0.25,1,1,77\r\n");
  EXPECT_EQ(PresentItems(r), std::vector<int>{21});
  EXPECT_DOUBLE_EQ(r.sys.upperThreshold, 1.5);
  EXPECT_DOUBLE_EQ(r.sys.lowerThreshold, -0.25);
  EXPECT_EQ(r.sys.upperEnabled, 1);
  EXPECT_EQ(r.sys.lowerEnabled, 1);
}

TEST(SettingsFileApply, KeysInsideLinesAndFirstOccurrenceOnly) {
  const DeviceRecord r = Apply(kHead + "NOTE: BATTERY_ALART,3450 (set)\r\nBATTERY_ALART,2900\r\n");
  EXPECT_EQ(PresentItems(r), std::vector<int>{6});
  EXPECT_EQ(r.sys.batteryAlert, 3450);  // leading number of "3450 (set)"
}

TEST(SettingsFileApply, ShiftJisValuesAreTakenByteForByte) {
  // "テスト" and a half-width katakana user name.
  const std::string apn = "\x83\x65\x83\x58\x83\x67";
  const DeviceRecord r = Apply(kHead + "AP_NAME," + apn + "\r\nAP_USER,\xB1\xB2\xB3\r\n");
  EXPECT_EQ(r.mail.apn, apn);
  EXPECT_EQ(r.mail.apnUser, "\xB1\xB2\xB3");
}

class SettingsFileLoadTest : public TempDirTest {};

TEST_F(SettingsFileLoadTest, HeaderVariants) {
  struct Case {
    std::string bytes;
    SettingsFileLoad expected;
  };
  const Case cases[] = {
      {"[ZEB_TXLI]\r\nBATTERY_ALART,3000\r\n", SettingsFileLoad::kOk},
      {"[ZEB_TXLI] exported by hand\r\nBATTERY_ALART,3000\r\n", SettingsFileLoad::kOk},
      {"[ZEB_TXLI]", SettingsFileLoad::kOk},
      {"[zeb_txli]\r\nBATTERY_ALART,3000\r\n", SettingsFileLoad::kNotSettingsFile},
      {" [ZEB_TXLI]\r\nBATTERY_ALART,3000\r\n", SettingsFileLoad::kNotSettingsFile},
      {"[ZEB_TXL", SettingsFileLoad::kNotSettingsFile},
      {"", SettingsFileLoad::kNotSettingsFile},
      {std::string("[ZEB\0TXLI]\r\n", 12), SettingsFileLoad::kNotSettingsFile},
  };
  for (const Case& c : cases) {
    const std::string path = Path("case.txi");
    WriteBytes(path, c.bytes);
    DeviceRecord r = LoggerRecord();
    EXPECT_EQ(CVTCSettingWork::LoadSettingsFile(path, r), c.expected) << c.bytes;
    if (c.expected == SettingsFileLoad::kOk) {
      EXPECT_EQ(r.itemPresent[6], c.bytes.size() > 10 ? 1 : 0);
    } else {
      EXPECT_EQ(r.itemPresent[6], 1) << "a rejected file changes nothing";
      EXPECT_EQ(r.sys.batteryAlert, 3300);
    }
  }
}

// A file is taken whole or refused whole: nothing after a NUL byte or the
// reader's limit is dropped while the items before it are applied.
TEST_F(SettingsFileLoadTest, FilesThatCannotBeReadWholeAreRefused) {
  const std::string items = "BATTERY_ALART,3000\r\nMES_ENABLE,1\r\nMES_INTERVAL_TIME,abc\r\n";
  std::string atLimit = kHead + items;
  atLimit.resize(CVTCSettingWork::kMaxFileBytes, ' ');
  struct Case {
    const char* what;
    std::string bytes;
    SettingsFileLoad expected;
    int brokenLine;
    bool tooLong;
  };
  const Case cases[] = {
      {"exactly the limit", atLimit, SettingsFileLoad::kOk, 0, false},
      {"one byte beyond", atLimit + "x", SettingsFileLoad::kNotWhole, 7, true},
      {"150,000 bytes", atLimit + std::string(50000, '.'), SettingsFileLoad::kNotWhole, 7, true},
      {"a NUL inside a value", kHead + "AP_NAME,a.ex" + std::string(1, '\0') + "ample\r\n" + items,
       SettingsFileLoad::kNotWhole, 4, false},
      {"a NUL at the end", kHead + items + std::string(1, '\0'), SettingsFileLoad::kNotWhole, 7, false},
  };
  for (const Case& c : cases) {
    const std::string path = Path("whole.txi");
    WriteBytes(path, c.bytes);
    settings_import::SettingsText file;
    EXPECT_EQ(settings_import::ReadSettingsFile(path, &file), c.expected) << c.what;
    EXPECT_EQ(file.brokenLine, c.brokenLine) << c.what;
    EXPECT_EQ(file.tooLong, c.tooLong) << c.what;
    DeviceRecord r = LoggerRecord();
    EXPECT_EQ(CVTCSettingWork::LoadSettingsFile(path, r), c.expected) << c.what;
    if (c.expected != SettingsFileLoad::kOk) {
      EXPECT_EQ(r.sys.batteryAlert, 3300) << c.what << ": nothing taken";
    }
  }
}

TEST_F(SettingsFileLoadTest, MissingFileOrDirectoryCannotBeOpened) {
  DeviceRecord r = LoggerRecord();
  EXPECT_EQ(CVTCSettingWork::LoadSettingsFile(Path("absent.txi"), r), SettingsFileLoad::kCannotOpen);
  EXPECT_EQ(CVTCSettingWork::LoadSettingsFile(dir_.string(), r), SettingsFileLoad::kCannotOpen);
  EXPECT_EQ(r.itemPresent[0], 1);
}

}  // namespace
