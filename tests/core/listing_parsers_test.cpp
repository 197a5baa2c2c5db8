#include "protocol/listing_parsers.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

namespace {

TEST(ParseDuration, Cases) {
  const struct {
    const char* text;
    int seconds;
  } cases[] = {
      {"D01H02M03S04", 93784},
      {"D00H00M10S00", 600},
      {"S30", 30},
      {"600", 0},
      {"M5M5", 55 * 60},
      {"", 0},
      {"H1D1", 90000},
      {"D99999999999999999999", 2147483647},
  };
  for (const auto& c : cases) EXPECT_EQ(ParseDuration(c.text), c.seconds) << c.text;
}

TEST(FormatDuration, WrapsEachField) {
  EXPECT_EQ(FormatDuration(600), "D00H00M10S00");
  EXPECT_EQ(FormatDuration(90061), "D01H01M01S01");
  EXPECT_EQ(FormatDuration(-5), "D00H00M00S00");
}

TEST(SysInfoParser, KeysFillTheirFields) {
  CVT7SysInfo s;
  for (const char* line : {"STM 26/01/03 00:10:00", "TIM 26/01/02 03:04:05", "NEX 26/01/03 00:20:00",
                           "SMP D00H00M10S00", "SMP2 D00H00M01S00", "ITV 6", "ITV2 1", "BAT Vcut3000", "ID 12-34(56)",
                           "ALM AN 1.2500 -0.5000 ON OFF", "BLD 2026.01 build 7", "SN  AB12", "MEASURING", "CAL x"}) {
    ParseSysInfoLine(line, &s);
  }
  EXPECT_EQ(s.startTime, (CSdlTime{2026, 1, 3, 0, 10, 0}));
  EXPECT_EQ(s.clock, (CSdlTime{2026, 1, 2, 3, 4, 5}));
  EXPECT_EQ(s.sampling, 600);
  EXPECT_EQ(s.eventSampling, 60);
  EXPECT_EQ(s.interval, 6);
  EXPECT_EQ(s.eventInterval, 1);
  EXPECT_EQ(s.batteryAlert, 3000);
  EXPECT_EQ(s.firstId, 12);
  EXPECT_EQ(s.lastId, 34);
  EXPECT_EQ(s.id3, 56);
  EXPECT_DOUBLE_EQ(s.upperThreshold, 1.25);
  EXPECT_DOUBLE_EQ(s.lowerThreshold, -0.5);
  EXPECT_EQ(s.upperEnabled, 1);
  EXPECT_EQ(s.lowerEnabled, 0);
  EXPECT_STREQ(s.build, "2026.01 build 7");  // further blanks stay in the value
  EXPECT_STREQ(s.serialNumber, " AB12");
  EXPECT_EQ(s.measuring, 1);
  ParseSysInfoLine("STOP", &s);
  EXPECT_EQ(s.measuring, 0);  // the last one wins
}

TEST(SysInfoParser, MalformedValuesKeepOrZero) {
  CVT7SysInfo s;
  s.firstId = 7;
  ParseSysInfoLine("ALM AN 1.0", &s);
  ParseSysInfoLine("ID 5-6", &s);
  ParseSysInfoLine("ITV abc", &s);
  ParseSysInfoLine("TIM 26/01/02 03:04", &s);     // too short: unchanged
  ParseSysInfoLine("tim 26/01/02 03:04:05", &s);  // keys are case-sensitive
  ParseSysInfoLine(std::string(300, 'S') + " x", &s);
  EXPECT_DOUBLE_EQ(s.upperThreshold, 2.5);
  EXPECT_EQ(s.upperEnabled, 1);
  EXPECT_EQ(s.firstId, 7);
  EXPECT_EQ(s.interval, 0);
  EXPECT_EQ(s.clock, CSdlTime{});
  ParseSysInfoLine("BAT Vcut356938043809", &s);  // out of range: held, not undefined
  EXPECT_EQ(s.batteryAlert, 2147483647);
  ParseSysInfoLine("BAT Vcut-1e300", &s);
  EXPECT_EQ(s.batteryAlert, -2147483647 - 1);
  ParseSysInfoLine("SN " + std::string(100, 'n'), &s);
  EXPECT_EQ(std::strlen(s.serialNumber), 63u);
}

TEST(MailInfoParser, KeysAndValuesWithBlanks) {
  CVT7MailInfo m;
  for (const char* line : {"APN iijmio.jp", "APU ", "APP pass word", "APA CHAP", "IMEI 356938035643809", "X y"})
    ParseMailInfoLine(line, &m);
  EXPECT_EQ(m.apn, "iijmio.jp");
  EXPECT_EQ(m.apnUser, "");
  EXPECT_EQ(m.apnPassword, "pass word");
  EXPECT_EQ(m.apnAuth, "CHAP");
  EXPECT_EQ(m.imei, "356938035643809");
}

TEST(IdentityLine, NameAndVersion) {
  const struct {
    const char* line;
    const char* name;
    const char* version;
  } cases[] = {
      {"Quorvane-HX7 Ver[1.07]", "Quorvane-HX7", "1.07"},
      {"Ver[2.0]", "", "2.0"},
      {"Quorvane-HX7 Ver[1.07", "Quorvane-HX7", "1.07"},
      {"ABCDEFGHIJKLMNOPQRSTUVWXYZ Ver[12345678901234567890123]", "ABCDEFGHIJKLMNOPQRS", "1234567890123456789"},
      {"no version here", "old", "0.9"},
  };
  for (const auto& c : cases) {
    std::string name = "old", version = "0.9";
    ParseIdentityLine(c.line, static_cast<int>(std::strlen(c.line)), &name, &version);
    EXPECT_EQ(name, c.name) << c.line;
    EXPECT_EQ(version, c.version) << c.line;
  }
}

TEST(SplitKeepingEmptyFields, Cases) {
  std::vector<std::string> f;
  EXPECT_EQ(SplitKeepingEmptyFields("a,,b", &f), 3);
  EXPECT_EQ(f, (std::vector<std::string>{"a", "", "b"}));
  EXPECT_EQ(SplitKeepingEmptyFields("a,", &f), 1);
  EXPECT_EQ(SplitKeepingEmptyFields("x\r\n", &f), 1);
  EXPECT_EQ(f[0], "x");
  EXPECT_EQ(SplitKeepingEmptyFields("", &f), 0);
}

TEST(SdlTime, ParseAndConvert) {
  CSdlTime t;
  EXPECT_EQ(t.Parse("24/03/05 07:08:09"), 1);
  EXPECT_EQ(t, (CSdlTime{2024, 3, 5, 7, 8, 9}));
  EXPECT_EQ(t.Parse("24/03/05 07:08:0"), 0);  // 16 characters: unchanged
  EXPECT_EQ(t, (CSdlTime{2024, 3, 5, 7, 8, 9}));
  EXPECT_EQ(CSdlTime::FromTime(t.ToTime()), t);

  CSdlTime never;
  EXPECT_EQ(CSdlTime::FromTime(never.ToTime()), (CSdlTime{1971, 1, 1, 0, 0, 0}));

  CSdlTime overflow{2026, 2, 30, 0, 0, 0};  // rolls into March
  EXPECT_EQ(CSdlTime::FromTime(overflow.ToTime()), (CSdlTime{2026, 3, 2, 0, 0, 0}));
  EXPECT_EQ((CSdlTime{2026, 13, 1, 0, 0, 0}).ToTime(), -1);
  EXPECT_EQ((CSdlTime{2026, 1, 32, 0, 0, 0}).ToTime(), -1);
}

// Sets the time zone variable; an empty text removes it.
void SetTimeZone(const char* tz) {
#ifdef _WIN32
  _putenv_s("TZ", tz);
#else
  if (*tz != '\0')
    setenv("TZ", tz, 1);
  else
    unsetenv("TZ");
#endif
}

TEST(SdlTime, UsesStandardTimeAllYear) {
  // In a zone with daylight saving, summer and winter convert alike. The
  // zone is written out so that both C libraries understand it.
  SetTimeZone("CET-1CEST");
  const CSdlTime winter{2026, 1, 10, 12, 0, 0}, summer{2026, 7, 10, 12, 0, 0};
  EXPECT_EQ((summer.ToTime() - winter.ToTime()) % 86400, 0);
  EXPECT_EQ(CSdlTime::FromTime(summer.ToTime()), summer);
  SetTimeZone("");
}

TEST(DeviceRecord, FreshDefaultsAndDeepCopies) {
  DeviceRecord a;
  EXPECT_DOUBLE_EQ(a.sys.upperThreshold, 2.5);
  EXPECT_DOUBLE_EQ(a.sys.lowerThreshold, -2.5);
  EXPECT_EQ(a.sys.upperEnabled, 1);
  a.mail.apn = "one";
  DeviceRecord b = a;
  b.mail.apn = "two";
  EXPECT_EQ(a.mail.apn, "one");
}

}  // namespace
