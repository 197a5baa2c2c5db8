#include "settings/value_checks.h"

#include <gtest/gtest.h>

#include <string>

#include "settings/wizard_values.h"

namespace {

using namespace value_checks;

TEST(ValueChecks, StrictNumbersAreNumbersAsAWhole) {
  struct Case {
    std::string text;
    bool isInt, isDecimal;
  };
  const Case cases[] = {
      {"3000", true, true},       {"-12", true, true},
      {" 42 ", true, true},  // blanks around are not text
      {"5.0000", false, true},    {"-0.5", false, true},
      {".5", false, true},        {"3.", false, true},
      {"", false, false},         {"-", false, false},
      {".", false, false},        {"abc", false, false},
      {"3000abc", false, false},  {"3.3V", false, false},
      {"2,5", false, false},  // decimal comma
      {"1e3", false, false},  // no exponent
      {"inf", false, false},      {"nan", false, false},
      {"+5", false, false},       {"\xEF\xBC\x93", false, false},  // full-width 3 in UTF-8
      {"\x82\x52", false, false},                                  // full-width 3 in the code page
      {"1 2", false, false},      {"99999999999", false, true},    // beyond the 32-bit range
      {"1.2.3", false, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(StrictInt(c.text).has_value(), c.isInt) << c.text;
    EXPECT_EQ(StrictDecimal(c.text).has_value(), c.isDecimal) << c.text;
  }
  EXPECT_EQ(*StrictInt("-2147483648"), INT32_MIN);
  EXPECT_FALSE(StrictInt("2147483648"));
  EXPECT_FALSE(StrictDecimal(std::string(400, '9')));  // overflows to infinity
}

TEST(ValueChecks, BatteryWithinThePageRangeAndStep) {
  // Every step the page offers reaches the logger as given.
  for (int mv = kBatteryMinMillivolts; mv <= kBatteryMaxMillivolts; mv += kBatteryStepMillivolts) {
    EXPECT_EQ(BatteryProblem(mv), "") << mv;
    EXPECT_EQ(BatteryFromVoltsText(VoltsFieldText(mv)).value_or(0), mv);
  }

  struct Case {
    std::string volts;
    int millivolts;  // 0: refused
  };
  const Case cases[] = {{"3.3", 3300}, {"2.4", 2400}, {"3.6", 3600}, {"3", 3000}, {"3.25", 0}, {"2.3", 0},
                        {"3.7", 0},    {"", 0},       {"3,3", 0},    {"-3.0", 0}, {"3.3V", 0}, {"3300", 0}};
  for (const Case& c : cases) {
    const auto mv = BatteryFromVoltsText(c.volts);
    EXPECT_EQ(mv.value_or(0), c.millivolts) << c.volts;
  }
}

TEST(ValueChecks, LimitsFiniteAndWithinTheFieldRange) {
  EXPECT_TRUE(LimitOk(0));
  EXPECT_TRUE(LimitOk(9999.999));
  EXPECT_TRUE(LimitOk(-9999.999));
  EXPECT_TRUE(LimitOk(9999.9994));  // rounds to 9999.999 on the page
  EXPECT_FALSE(LimitOk(9999.9996));
  EXPECT_FALSE(LimitOk(99999999));
  EXPECT_FALSE(LimitOk(-1e300));
  EXPECT_FALSE(LimitOk(std::numeric_limits<double>::infinity()));
  EXPECT_FALSE(LimitOk(std::numeric_limits<double>::quiet_NaN()));
  EXPECT_DOUBLE_EQ(*LimitFromText("1.2345"), 1.2345);  // the page field rounds what it shows
  EXPECT_FALSE(LimitFromText("10000"));
  EXPECT_FALSE(LimitFromText("2,5"));
  EXPECT_TRUE(JudgementFlagOk(0));
  EXPECT_TRUE(JudgementFlagOk(1));
  EXPECT_FALSE(JudgementFlagOk(2));
  EXPECT_FALSE(JudgementFlagOk(-1));
}

TEST(ValueChecks, IntervalsAndTransmissionCounts) {
  EXPECT_EQ(IntervalFromFieldTexts("1", "0230").value_or(-1), 95400);
  EXPECT_EQ(IntervalFromFieldTexts("", "0010").value_or(-1), 600);
  EXPECT_EQ(IntervalFromFieldTexts("10", "0000").value_or(-1), 864000);
  EXPECT_FALSE(IntervalFromFieldTexts("0", "0000"));   // a zero interval
  EXPECT_FALSE(IntervalFromFieldTexts("10", "2359"));  // beyond 10 days
  EXPECT_FALSE(IntervalFromFieldTexts("11", "0000"));
  EXPECT_FALSE(IntervalFromFieldTexts("0", "2400"));
  EXPECT_FALSE(IntervalFromFieldTexts("0", "0060"));
  EXPECT_FALSE(IntervalFromFieldTexts("0", "99_9"));
  EXPECT_FALSE(IntervalFromFieldTexts("0", "12"));

  EXPECT_TRUE(TransmissionOk(0));
  EXPECT_TRUE(TransmissionOk(240));
  EXPECT_FALSE(TransmissionOk(241));
  EXPECT_FALSE(TransmissionOk(-1));
  EXPECT_FALSE(TransmissionFromText("6x"));
}

// Each value either reaches the logger as given or is refused with a reason
// that names it and what the page would have sent.
TEST(ValueChecks, ProblemsNameTheValueAndWhatWouldBeSent) {
  struct Case {
    std::string problem;
    std::string expected;  // Japanese built-in texts
  };
  const Case cases[] = {
      {BatteryProblem(3300), ""},
      {BatteryProblem(3333), "3333 mV: 設定は 100 mV 単位です (3300 または 3400)"},
      {BatteryProblem(3350), "3350 mV: 設定は 100 mV 単位です (3300 または 3400)"},
      {BatteryProblem(3260), "3260 mV: 設定は 100 mV 単位です (3200 または 3300)"},
      {BatteryProblem(3), "3 mV: 設定範囲は 2400 - 3600 mV です"},  // volts given for millivolts
      {BatteryProblem(3700), "3700 mV: 設定範囲は 2400 - 3600 mV です"},
      {IntervalProblem(600), ""},
      {IntervalProblem(60), ""},
      {IntervalProblem(864000), ""},
      {IntervalProblem(90), "90 秒: 間隔は分単位で設定します (送信される値は 60 秒)"},
      {IntervalProblem(7), "7 秒: 間隔は分単位で設定します (送信される値は 0 秒)"},
      {IntervalProblem(59), "59 秒: 間隔は分単位で設定します (送信される値は 0 秒)"},
      {IntervalProblem(90061), "90061 秒: 間隔は分単位で設定します (送信される値は 90060 秒)"},
      {IntervalProblem(0), "0 秒: 間隔の設定範囲は 1分 - 10日 (60 - 864000 秒) です"},
      {IntervalProblem(864060), "864060 秒: 間隔の設定範囲は 1分 - 10日 (60 - 864000 秒) です"},
      {IntervalProblem(-60), "-60 秒: 間隔の設定範囲は 1分 - 10日 (60 - 864000 秒) です"},
      {TransmissionProblem(240), ""},
      {TransmissionProblem(241), "241: 送信間隔の設定範囲は 0 - 240 です"},
      {LimitProblem(5.0), ""},
      {LimitProblem(-9999.999), ""},
      {LimitProblem(1.2345), "1.2345 m: 判定値は 0.001 m 単位で設定します (送信される値は 1.2340)"},
      {LimitProblem(10000), "10000.0000 m: 判定値の設定範囲は -9999.999 - 9999.999 m です"},
      {LimitTextProblem("5.0000"), ""},
      {LimitTextProblem("-0.000"), ""},
      {LimitTextProblem("1.23401"), "1.23401 m: 判定値は 0.001 m 単位で設定します (送信される値は 1.2340)"},
      {StartTimeProblem(CSdlTime{2030, 1, 3, 0, 0, 0}), ""},
      {StartTimeProblem(CSdlTime{2030, 1, 3, 0, 0, 30}),
       "2030-01-03 00:00:30: 測定開始日時は分単位で設定します (送信される値は 2030-01-03 00:00)"},
  };
  for (const Case& c : cases) EXPECT_EQ(c.problem, c.expected);
}

TEST(ValueChecks, StartTimeIsARealDateIn2000To2099) {
  struct Case {
    std::string text;
    bool ok;
  };
  const Case cases[] = {
      {"2026-01-03 00:00:00", true},  {"2026/01/03 08:30", true},  // seconds may be left out
      {"2099-12-31 23:59:59", true},  {"2000-01-01 00:00:00", true},  {"2028-02-29 12:00:00", true},
      {"2027-02-29 12:00:00", false}, {"2100-02-29 12:00:00", false}, {"2027-13-45 25:61:61", false},
      {"2027-04-31 00:00:00", false}, {"1999-12-31 23:59:59", false}, {"2150-01-01 00:00:00", false},
      {"2026-01-03", false},  // no time
      {"2026-01-03 08", false},       {"2026-01-03 24:00:00", false}, {"2026-01-03 08:30:60", false},
      {"2026--01-03 08:30", false},   {"2026-01-03 08:30x", false},   {"2000-00-00 00:00:00", false},
  };
  for (const Case& c : cases) EXPECT_EQ(StartTimeFromText(c.text).has_value(), c.ok) << c.text;
  const CSdlTime t = *StartTimeFromText("2026/01/03 08:30");
  EXPECT_EQ(t, (CSdlTime{2026, 1, 3, 8, 30, 0}));

  EXPECT_EQ(*StartTimeFromDigits("2601030830"), (CSdlTime{2026, 1, 3, 8, 30, 0}));
  EXPECT_FALSE(StartTimeFromDigits("2713459999"));
  EXPECT_FALSE(StartTimeFromDigits("26010308_0"));
  EXPECT_FALSE(StartTimeFromDigits("260103083"));
}

TEST(ValueChecks, AuthenticationInAnyCaseSentCanonical) {
  EXPECT_EQ(CanonicalAuth("pap").value_or("?"), "PAP");
  EXPECT_EQ(CanonicalAuth("Chap").value_or("?"), "CHAP");
  EXPECT_EQ(CanonicalAuth("NONE").value_or("?"), "");
  EXPECT_EQ(CanonicalAuth("none").value_or("?"), "");
  EXPECT_FALSE(CanonicalAuth("MSCHAP"));
  EXPECT_FALSE(CanonicalAuth("PAP CHAP"));
  EXPECT_FALSE(CanonicalAuth("ＰＡＰ"));
}

TEST(ValueChecks, AccessPointTextsOnlyWhatTheEditAccepts) {
  EXPECT_TRUE(AccessPointTextOk("iijmio.jp"));
  EXPECT_TRUE(AccessPointTextOk("user@example-1_2!#$%&'*+/=?^{|}~\""));
  EXPECT_TRUE(AccessPointTextOk("\xB1\xB2\xB3"));  // half-width katakana
  EXPECT_TRUE(AccessPointTextOk(""));
  // As long as a command line carries whole, and no longer.
  EXPECT_TRUE(AccessPointTextOk(std::string(kMaxAccessPointText, 'a')));
  EXPECT_FALSE(AccessPointTextOk(std::string(kMaxAccessPointText + 1, 'a')));
  EXPECT_FALSE(AccessPointTextOk("a b"));
  EXPECT_FALSE(AccessPointTextOk("a,b"));
  EXPECT_FALSE(AccessPointTextOk("a:b"));
  EXPECT_FALSE(AccessPointTextOk("a\\b"));
  EXPECT_FALSE(AccessPointTextOk("a\tb"));
  EXPECT_FALSE(AccessPointTextOk("a\x7F"));
  EXPECT_FALSE(AccessPointTextOk("\xA1"));      // half-width full stop: not a letter
  EXPECT_FALSE(AccessPointTextOk("\x83\x41"));  // full-width katakana

  EXPECT_EQ(AccessPointTextFromUtf8("\xEF\xBD\xB1").value_or("?"), "\xB1");  // half-width A-kana
  EXPECT_FALSE(AccessPointTextFromUtf8("caf\xC3\xA9"));
  EXPECT_FALSE(AccessPointTextFromUtf8("ok\xF0\x9F\x98\x80"));  // emoji: not in the code page
  EXPECT_FALSE(AccessPointTextFromUtf8("\xE3\x82\xA2"));        // full-width katakana
  EXPECT_FALSE(AccessPointTextFromUtf8("\xFF"));                // not UTF-8
}

}  // namespace
