#include "settings/settings_import.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <thread>

#include "common/string_table.h"
#include "settings/setting_work.h"
#include "temp_dir.h"

namespace {

using settings_import::CheckTickedItems;
using settings_import::DecodeSettingsBytes;
using settings_import::SettingsText;
using settings_import::ValueProblem;

const std::vector<int> kAllItems = {6, 11, 21, 22};

// A valid file of all four items; line numbers: 4 battery, 6-9 access point,
// 11 judgement, 13-18 measurement.
std::string GoodFile() {
  return "[ZEB_TXLI]\r\nDATE,2026-01-02 03:04:05\r\nIMEI,\r\n"
         "BATTERY_ALART,3000\r\n"
         "//11\r\n"
         "AP_NAME,iijmio.jp\r\nAP_USER,mio@iij\r\nAP_PASS,iij\r\nAP_AUTH,CHAP\r\n"
         "//21\r\n"
         "ALM_AD,0,5.0000,1.0000,1,0\r\n"
         "//22\r\n"
         "MES_ENABLE,1\r\nMES_START_TIME,2026-01-03 00:00:00\r\nMES_INTERVAL_TIME,600\r\n"
         "MES_INTERVAL_NUM,6\r\nMES_INTERVAL_EVENT_TIME,60\r\nMES_INTERVAL_EVENT_NUM,1\r\n";
}

// The good file with the line of `key` replaced by `line`.
std::string WithLine(const std::string& key, const std::string& line) {
  std::string text = GoodFile();
  const size_t at = text.find("\n" + key + ",") + 1;
  const size_t end = text.find("\r\n", at);
  return text.replace(at, end - at, line);
}

std::vector<ValueProblem> Check(const std::string& bytes, const std::vector<int>& items, DeviceRecord* record) {
  SettingsText file;
  EXPECT_EQ(DecodeSettingsBytes(bytes, &file), SettingsFileLoad::kOk);
  CVTCSettingWork::ApplySettingsText(file.text, *record);
  return CheckTickedItems(file, items, record);
}

TEST(SettingsImport, BadValuesAreNamedByKeyLineAndValue) {
  struct Case {
    std::string key;  // the line replaced
    std::string line;
    std::string reportedKey;
    int reportedLine;
    std::string reportedValue;
  };
  const Case cases[] = {
      {"BATTERY_ALART", "BATTERY_ALART,3.3", "BATTERY_ALART", 4, "3.3"},
      {"BATTERY_ALART", "BATTERY_ALART,abc", "BATTERY_ALART", 4, "abc"},
      {"BATTERY_ALART", "BATTERY_ALART,\xEF\xBC\x93\xEF\xBC\x90\xEF\xBC\x90\xEF\xBC\x90", "BATTERY_ALART", 4,
       "\xEF\xBC\x93\xEF\xBC\x90\xEF\xBC\x90\xEF\xBC\x90"},  // full-width digits, file in UTF-8
      {"BATTERY_ALART", "BATTERY_ALART,5000", "BATTERY_ALART", 4, "5000"},
      {"AP_NAME", "AP_NAME,my apn", "AP_NAME", 6, "my apn"},
      {"AP_NAME", "AP_NAME,\xE3\x82\xA2\xE3\x82\xA4", "AP_NAME", 6, "\xE3\x82\xA2\xE3\x82\xA4"},  // full-width
      {"AP_USER", "AP_USER,caf\xC3\xA9\xF0\x9F\x98\x80", "AP_USER", 7, "caf\xC3\xA9\xF0\x9F\x98\x80"},
      {"AP_AUTH", "AP_AUTH,MSCHAP", "AP_AUTH", 9, "MSCHAP"},
      {"ALM_AD", "ALM_AD,0,abc,def,1,1", "ALM_AD", 11, "abc,def,1,1"},
      {"ALM_AD", "ALM_AD,0,2,5,1,0,1,1", "ALM_AD", 11, "2,5,1,0,1,1"},  // decimal commas
      {"ALM_AD", "ALM_AD,0,99999999,-1e300,1,1", "ALM_AD", 11, "99999999,-1e300,1,1"},
      {"ALM_AD", "ALM_AD,0,inf,nan,1,1", "ALM_AD", 11, "inf,nan,1,1"},
      {"ALM_AD", "ALM_AD,0,5.0,1.0,2,0", "ALM_AD", 11, "5.0,1.0,2,0"},
      {"MES_ENABLE", "MES_ENABLE,yes", "MES_ENABLE", 13, "yes"},
      {"MES_START_TIME", "MES_START_TIME,2027-13-45 25:61:61", "MES_START_TIME", 14, "2027-13-45 25:61:61"},
      {"MES_START_TIME", "MES_START_TIME,1999-12-31 00:00:00", "MES_START_TIME", 14, "1999-12-31 00:00:00"},
      {"MES_START_TIME", "MES_START_TIME,2150-01-01 00:00:00", "MES_START_TIME", 14, "2150-01-01 00:00:00"},
      {"MES_INTERVAL_TIME", "MES_INTERVAL_TIME,abc", "MES_INTERVAL_TIME", 15, "abc"},
      {"MES_INTERVAL_TIME", "MES_INTERVAL_TIME,8640000", "MES_INTERVAL_TIME", 15, "8640000"},  // 100 days
      {"MES_INTERVAL_NUM", "MES_INTERVAL_NUM,241", "MES_INTERVAL_NUM", 16, "241"},
      {"MES_INTERVAL_EVENT_TIME", "MES_INTERVAL_EVENT_TIME,60s", "MES_INTERVAL_EVENT_TIME", 17, "60s"},
      {"MES_INTERVAL_EVENT_NUM", "MES_INTERVAL_EVENT_NUM,-1", "MES_INTERVAL_EVENT_NUM", 18, "-1"},
  };
  for (const Case& c : cases) {
    DeviceRecord record;
    const std::vector<ValueProblem> problems = Check(WithLine(c.key, c.line), kAllItems, &record);
    ASSERT_EQ(problems.size(), 1u) << c.line;
    EXPECT_EQ(problems[0].key, c.reportedKey) << c.line;
    EXPECT_EQ(problems[0].line, c.reportedLine) << c.line;
    EXPECT_EQ(problems[0].value, c.reportedValue) << c.line;

    const std::string message = settings_import::DescribeProblems(problems);
    EXPECT_EQ(message.rfind(strings::Text(strings::id::kNotValidFile), 0), 0u) << message;
    EXPECT_NE(message.find(c.reportedKey), std::string::npos) << message;
    EXPECT_NE(message.find(std::to_string(c.reportedLine)), std::string::npos) << message;
  }
}

TEST(SettingsImport, OnlyTickedItemsAreChecked) {
  DeviceRecord record;
  const std::string bad = WithLine("BATTERY_ALART", "BATTERY_ALART,3.3");
  EXPECT_TRUE(Check(bad, {11, 21, 22}, &record).empty());
  EXPECT_EQ(Check(bad, {6}, &record).size(), 1u);
}

TEST(SettingsImport, EmptyValuesKeepTheLoggersValue) {
  DeviceRecord record;
  record.mail.apnUser = "keep";
  std::string text = WithLine("AP_USER", "AP_USER,");
  text = text.replace(text.find("BATTERY_ALART,3000"), 18, "BATTERY_ALART,");
  EXPECT_TRUE(Check(text, kAllItems, &record).empty());
  EXPECT_EQ(record.mail.apnUser, "keep");
}

TEST(SettingsImport, AuthenticationIsTakenInAnyCase) {
  struct Case {
    std::string given, kept;
  };
  for (const Case& c : {Case{"pap", "PAP"}, Case{"Chap", "CHAP"}, Case{"none", ""}, Case{"NONE", ""}}) {
    DeviceRecord record;
    EXPECT_TRUE(Check(WithLine("AP_AUTH", "AP_AUTH," + c.given), kAllItems, &record).empty()) << c.given;
    EXPECT_EQ(record.mail.apnAuth, c.kept) << c.given;
  }
}

TEST(SettingsImport, TheProgramsOwnExportReadsBackUnchanged) {
  DeviceRecord source;
  source.sys.batteryAlert = 3300;
  source.sys.upperThreshold = 9999.999;
  source.sys.lowerThreshold = -2.5;
  source.sys.upperEnabled = 1;
  source.sys.lowerEnabled = 0;
  source.sys.measuring = 0;
  source.sys.startTime = CSdlTime{2026, 1, 1, 0, 0, 0};
  source.sys.sampling = 10 * 86400;
  source.sys.interval = 0;
  source.sys.eventSampling = 60;
  source.sys.eventInterval = 240;
  source.mail.apn = "\xB1\xB2\xB3.example";  // half-width katakana in the code page
  source.mail.apnUser = "";
  source.mail.apnPassword = "p@ss";
  source.mail.apnAuth = "PAP";
  CSettingItemList list;
  list.Init(source.sys.deviceType, true);
  std::tm when{};
  when.tm_year = 126;
  when.tm_mday = 2;
  const std::string file = CVTCSettingWork::FormatSettingsFile(source, list, when);

  DeviceRecord read;
  EXPECT_TRUE(Check(file, kAllItems, &read).empty());
  EXPECT_EQ(read.sys.batteryAlert, source.sys.batteryAlert);
  EXPECT_EQ(read.sys.upperThreshold, source.sys.upperThreshold);
  EXPECT_EQ(read.sys.lowerEnabled, source.sys.lowerEnabled);
  EXPECT_EQ(read.sys.startTime, source.sys.startTime);
  EXPECT_EQ(read.sys.sampling, source.sys.sampling);
  EXPECT_EQ(read.sys.eventInterval, source.sys.eventInterval);
  EXPECT_EQ(read.mail.apn, source.mail.apn);
  EXPECT_EQ(read.mail.apnAuth, source.mail.apnAuth);
}

TEST(SettingsImport, FileForms) {
  struct Case {
    std::string bytes;
    SettingsFileLoad expected;
    std::string apn;  // the access point name read, in the code page
  };
  const std::string body = "\r\nAP_NAME,\xEF\xBD\xB1\xEF\xBD\xB2\r\n";  // half-width katakana in UTF-8
  const Case cases[] = {
      {"", SettingsFileLoad::kNotSettingsFile, ""},
      {std::string("\x7F"
                   "ELF\x02\x01\x01\0\0\0",
                   10),
       SettingsFileLoad::kNotSettingsFile, ""},
      {"\xFF\xFE[\0Z\0E\0B\0", SettingsFileLoad::kNotSettingsFile, ""},  // UTF-16 with its mark
      {std::string("[\0Z\0E\0B\0_\0", 10), SettingsFileLoad::kNotSettingsFile, ""},
      {"[zeb_txli]\r\nAP_NAME,x\r\n", SettingsFileLoad::kNotSettingsFile, ""},
      {"\xEF\xBB\xBF[ZEB_TXLI]\r\nAP_NAME,x\r\n", SettingsFileLoad::kOk, "x"},  // byte-order mark skipped
      {"[ZEB_TXLI]" + body, SettingsFileLoad::kOk, "\xB1\xB2"},
      {"\xEF\xBB\xBF[ZEB_TXLI]" + body, SettingsFileLoad::kOk, "\xB1\xB2"},
      {"[ZEB_TXLI]\r\nAP_NAME,\xB1\xB2\r\n", SettingsFileLoad::kOk, "\xB1\xB2"},  // already the code page
  };
  for (const Case& c : cases) {
    SettingsText file;
    ASSERT_EQ(DecodeSettingsBytes(c.bytes, &file), c.expected) << c.bytes;
    if (c.expected != SettingsFileLoad::kOk) continue;
    std::string apn;
    CVTCSettingWork::FindValue(file.text, "AP_NAME", apn);
    EXPECT_EQ(apn, c.apn);
  }
}

TEST(SettingsImport, UnconvertibleCharacterIsRefusedNotReplaced) {
  // A character outside the code page on a line of an unticked item does no harm.
  const std::string text = WithLine("AP_NAME", "AP_NAME,\xF0\x9F\x98\x80") + "COMMENT,\xE2\x82\xAC\r\n";
  DeviceRecord record;
  EXPECT_TRUE(Check(text, {6, 21, 22}, &record).empty());
  const std::vector<ValueProblem> problems = Check(text, {11}, &record);
  ASSERT_EQ(problems.size(), 1u);
  EXPECT_EQ(problems[0].key, "AP_NAME");
  EXPECT_EQ(problems[0].line, 6);
  EXPECT_EQ(problems[0].value, "\xF0\x9F\x98\x80");
}

#ifndef _WIN32
// Pipes and named pipes as a POSIX shell gives them.
class SettingsFileStreamTest : public TempDirTest {};

TEST_F(SettingsFileStreamTest, PipesAndFifosAreReadToTheirEnd) {
  // An anonymous pipe by its /dev/fd name, as process substitution gives it.
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  std::thread writer([fd = fds[1]] {
    const std::string text = GoodFile();
    EXPECT_EQ(write(fd, text.data(), text.size()), static_cast<ssize_t>(text.size()));
    close(fd);
  });
  SettingsText file;
  EXPECT_EQ(settings_import::ReadSettingsFile("/dev/fd/" + std::to_string(fds[0]), &file), SettingsFileLoad::kOk);
  writer.join();
  close(fds[0]);
  EXPECT_EQ(file.text, GoodFile());

  // A named pipe: the open waits for its writer.
  const std::string fifo = Path("settings.fifo");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  std::thread fifoWriter([&fifo] {
    const int fd = open(fifo.c_str(), O_WRONLY);
    ASSERT_GE(fd, 0);
    const std::string text = GoodFile();
    EXPECT_EQ(write(fd, text.data(), text.size()), static_cast<ssize_t>(text.size()));
    close(fd);
  });
  EXPECT_EQ(settings_import::ReadSettingsFile(fifo, &file), SettingsFileLoad::kOk);
  fifoWriter.join();
  EXPECT_EQ(file.text, GoodFile());
}

TEST_F(SettingsFileStreamTest, AnEndlessStreamIsRefusedOneByteBeyondTheLimit) {
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  std::thread writer([fd = fds[1]] {
    std::string chunk = "[ZEB_TXLI]\r\n" + std::string(4096, 'x');
    // Writes until the reader closes its end (then EPIPE, SIGPIPE ignored below).
    while (write(fd, chunk.data(), chunk.size()) > 0) {
    }
    close(fd);
  });
  signal(SIGPIPE, SIG_IGN);
  std::string bytes;
  EXPECT_EQ(settings_import::ReadFileBytes("/dev/fd/" + std::to_string(fds[0]), &bytes), SettingsFileLoad::kNotWhole);
  EXPECT_EQ(bytes.size(), CVTCSettingWork::kMaxFileBytes + 1);
  close(fds[0]);
  writer.join();
}

#endif

}  // namespace
