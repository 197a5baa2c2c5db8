// The virtual logger's command set, exercised over its pseudo-terminal.
#include "sim_fixture.h"

#include <cmath>
#include <cstdio>

#include "sim/record_memory.h"

namespace simtest {
namespace {

using vlogger::CalendarTime;
using vlogger::FromCalendarSeconds;
using vlogger::IdentityMode;
using vlogger::ToCalendarSeconds;

int64_t ParseListingTime(const std::string& text) {
  const auto t = vlogger::ParseStartTime(text.substr(0, 8), text.substr(9, 5));
  EXPECT_TRUE(t.has_value()) << text;
  return t ? ToCalendarSeconds(*t) + std::stoi(text.substr(15, 2)) : 0;
}

TEST_F(SimTest, WakeUpAnswersWithTheIdentityOfEachMode) {
  struct Case {
    IdentityMode mode;
    Lines expected;
  };
  const Case cases[] = {
      {IdentityMode::kWithVersion, {"WAKE", "Quorvane-HX9 Ver[2.10]"}},
      {IdentityMode::kNameOnly, {"WAKE", "Quorvane-HX9"}},
      {IdentityMode::kNone, {"WAKE"}},
  };
  for (const Case& c : cases) {
    logger_.SetIdentity("Quorvane-HX9", "2.10", c.mode);
    // The wake-up line arrives split, with its leading CR LF; the listing
    // after it shows where the identity ends.
    client().Write("\r\nHEL");
    client().Write("LO\r\nRD ANT\r\n");
    Lines expected = c.expected;
    expected.insert(expected.end(), {"OK", "ANT 18", "YES END"});
    EXPECT_EQ(client().ReadUntil("YES END"), expected);
  }
  EXPECT_EQ(logger_.ReceivedLines(), (Lines{"HELLO", "RD ANT", "HELLO", "RD ANT", "HELLO", "RD ANT"}));
  EXPECT_EQ(logger_.ReceivedBytes().substr(0, 9), "\r\nHELLO\r\n");
}

TEST_F(SimTest, WakeWordCountsInAnyCaseAndNothingElseWakes) {
  struct Case {
    const char* line;
    Lines expected;
  };
  const Case cases[] = {
      {"hello", {"WAKE", "Quorvane-HX9 Ver[2.10]"}},
      {"Hello", {"WAKE", "Quorvane-HX9 Ver[2.10]"}},
      {"HELLO", {"WAKE", "Quorvane-HX9 Ver[2.10]"}},
      {"HELLO X", {"NOT END"}},
      {"HELL", {"NOT END"}},
  };
  logger_.SetIdentity("Quorvane-HX9", "2.10", IdentityMode::kWithVersion);
  for (const Case& c : cases) {
    client().Write(std::string(c.line) + "\r\nRD ANT\r\n");
    Lines expected = c.expected;
    expected.insert(expected.end(), {"OK", "ANT 18", "YES END"});
    EXPECT_EQ(client().ReadUntil("YES END"), expected) << c.line;
  }
}

TEST_F(SimTest, SystemListingReflectsEverySetting) {
  const Lines commands = {"ST SMP D00H00M05S00", "ST SMP2 D00H00M00S30", "ST ITV 3",
                          "ST ITV2 2",           "ST BAT 3300",          "ST ALM AN 1.2500 -0.5000 ",
                          "ST ALM AN ON OFF",    "ST STM 99/12/31 23:50"};
  for (const auto& command : commands) {
    EXPECT_EQ(client().Exchange(command), Lines{"YES END"}) << command;
  }
  // The lines are recorded as sent, trailing blank included.
  EXPECT_EQ(logger_.ReceivedLines(), commands);

  const Lines listing = client().Exchange("RD SYS");
  ASSERT_FALSE(listing.empty());
  EXPECT_EQ(listing.front().substr(0, 4), "STM ");  // no "OK" before the listing
  EXPECT_EQ(listing.back(), "YES END");
  auto sys = Keyed(listing);
  EXPECT_EQ(sys["STM"], "99/12/31 23:50:00");
  EXPECT_EQ(sys["NEX"], "99/12/31 23:50:00");
  EXPECT_EQ(sys["SMP"], "D00H00M05S00");
  EXPECT_EQ(sys["SMP2"], "D00H00M00S30");
  EXPECT_EQ(sys["ITV"], "3");
  EXPECT_EQ(sys["ITV2"], "2");
  EXPECT_EQ(sys["BAT"].substr(4), "3300");  // four characters, then the number
  EXPECT_EQ(sys["ID"], "0-0(0)");
  EXPECT_EQ(sys["ALM"], "AN 1.2500 -0.5000 ON OFF");
  for (const char* key : {"TIM", "CAL", "BLD", "SN", "MEASURING"}) {
    EXPECT_EQ(sys.count(key), 1u) << key;
  }
  EXPECT_EQ(sys.count("STOP"), 0u);

  const vlogger::LoggerState state = logger_.State();
  EXPECT_TRUE(state.measuring);
  EXPECT_EQ(state.sampling_seconds, 300);
  EXPECT_EQ(state.battery_cutoff_mv, 3300);
  EXPECT_DOUBLE_EQ(state.lower_threshold, -0.5);
  EXPECT_TRUE(state.upper_enabled);
  EXPECT_FALSE(state.lower_enabled);

  EXPECT_EQ(client().Exchange("ST STP"), Lines{"YES END"});
  sys = Keyed(client().Exchange("RD SYS"));
  EXPECT_EQ(sys.count("STOP"), 1u);
  EXPECT_EQ(sys.count("MEASURING"), 0u);
}

TEST_F(SimTest, MalformedCommandsAreRefusedAndChangeNothing) {
  const Lines refused = {
      "ST SMP 600",
      "ST SMP D00H00M00S00",
      "ST SMP D00H00M10S00 X",
      "ST ITV x",
      "ST BAT",
      "ST ALM AN 1.0",
      "ST ALM AN ON MAYBE",
      "ST ALM XX 1.0 2.0",
      "ST STM 26/13/01 00:00",
      "ST STM 26/02/30 10:00",
      "ST STM 26/01/01",
      "ST IDL 61",
      "ST IDL 005",
      "ST CAL AV abc",
      "RD SYS X",
      "RD ALL -1",
      "MAIL INI FOO",
      "SRAMCLR",
      "mon",
      ":100000000102",
      "HELLO X",
      "XYZ",
  };
  for (const auto& command : refused) {
    EXPECT_EQ(client().Exchange(command, "NOT END"), Lines{"NOT END"}) << command;
  }
  const vlogger::LoggerState state = logger_.State();
  EXPECT_EQ(state.sampling_seconds, 600);
  EXPECT_FALSE(state.measuring);
  EXPECT_FALSE(state.maintenance);
  EXPECT_DOUBLE_EQ(state.upper_threshold, 2.5);
}

TEST_F(SimTest, PastStartTimeMovesToTheNextGridPoint) {
  const int64_t now = ToCalendarSeconds(logger_.Now());
  const CalendarTime start = FromCalendarSeconds(now - now % 60 - 25 * 60);
  char line[64];
  std::snprintf(line, sizeof line, "ST STM %02d/%02d/%02d %02d:%02d", start.year % 100, start.month, start.day,
                start.hour, start.minute);
  ASSERT_EQ(client().Exchange(line), Lines{"YES END"});

  auto sys = Keyed(client().Exchange("RD SYS"));
  const int64_t next = ParseListingTime(sys["NEX"]);
  const int64_t clock = ParseListingTime(sys["TIM"]);
  EXPECT_EQ(ParseListingTime(sys["STM"]), ToCalendarSeconds(start));
  EXPECT_EQ((next - ToCalendarSeconds(start)) % 600, 0);
  EXPECT_GT(next, clock);
  EXPECT_LE(next - clock, 600);
}

TEST_F(SimTest, MeasurementTakesRecordsOnTheLoggersClock) {
  ASSERT_EQ(client().Exchange("ST STM"), Lines{"YES END"});
  logger_.SetClockOffset(std::chrono::hours(1));  // an hour passes at once

  auto sys = Keyed(client().Exchange("RD SYS"));
  EXPECT_EQ(sys["ID"], "1-7(7)");

  Lines records = client().Exchange("RD ALL");
  ASSERT_EQ(records.size(), 9u);
  EXPECT_EQ(records.front(), "OK");
  EXPECT_EQ(records.back(), "YES END");
  records = Lines(records.begin() + 1, records.end() - 1);
  for (size_t i = 0; i < records.size(); ++i) {
    const std::string& r = records[i];
    ASSERT_TRUE(IsRecordLine(r)) << r;
    EXPECT_EQ(std::stoi(r.substr(0, 5)), static_cast<int>(i + 1));
    const double level = std::stod(r.substr(r.rfind(',') + 1));
    EXPECT_GT(level, 0.0);
    EXPECT_LT(level, 3.0);
    if (i > 0) {
      EXPECT_EQ(ParseListingTime(r.substr(6, 17)) - ParseListingTime(records[i - 1].substr(6, 17)), 600);
    }
  }

  // Clearing erases records and error log and stops measuring.
  EXPECT_EQ(client().Exchange("ST CLR"), Lines{"YES END"});
  sys = Keyed(client().Exchange("RD SYS"));
  EXPECT_EQ(sys["ID"], "0-0(0)");
  EXPECT_EQ(sys.count("STOP"), 1u);
  EXPECT_EQ(client().Exchange("RD ERR"), (Lines{"OK", "YES END"}));
  EXPECT_EQ(client().Exchange("RD ALL"), (Lines{"OK", "YES END"}));
  EXPECT_EQ(client().Exchange("RD ALL 1", "NOT END"), Lines{"NOT END"});
}

TEST_F(SimTest, ReadAllSelectsRangesAcrossTheIdWrap) {
  logger_.PresetMemory(20, 99990);  // 99990..99999, then 0..9
  EXPECT_EQ(Keyed(client().Exchange("RD SYS"))["ID"], "99990-9(20)");

  struct Case {
    std::string command;
    int first;  // -1: refused
    int count;
  };
  const Case cases[] = {
      {"RD ALL", 99990, 20},         {"RD ALL 99995 10", 99995, 10}, {"RD ALL 5", 5, 5},        {"RD ALL 0 100", 0, 10},
      {"RD ALL 99999 0", 99999, 11}, {"RD ALL 10", -1, 0},           {"RD ALL 99989 1", -1, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.command);
    if (c.first < 0) {
      EXPECT_EQ(client().Exchange(c.command, "NOT END"), Lines{"NOT END"});
      continue;
    }
    const Lines reply = client().Exchange(c.command);
    ASSERT_EQ(reply.size(), static_cast<size_t>(c.count) + 2);
    EXPECT_EQ(reply.front(), "OK");
    EXPECT_EQ(reply.back(), "YES END");
    for (int i = 0; i < c.count; ++i) {
      const std::string& record = reply[static_cast<size_t>(i) + 1];
      EXPECT_TRUE(IsRecordLine(record)) << record;
      EXPECT_EQ(std::stoi(record.substr(0, 5)), (c.first + i) % 100000);
    }
  }
}

TEST(RecordMemoryTest, RecordsDependOnlyOnSeedAndTime) {
  vlogger::RecordMemory a(10, 7), b(10, 7), other(10, 8);
  const int64_t last = ToCalendarSeconds(CalendarTime{2026, 1, 3, 0, 10, 0});
  for (auto* memory : {&a, &b, &other}) memory->Preset(5, 99998, last, 600);
  EXPECT_EQ(a.FirstId(), 99998);
  EXPECT_EQ(a.LastId(), 2);
  int differing = 0;
  for (uint64_t s = a.FrontSequence(); s < a.EndSequence(); ++s) {
    const std::string line = a.FormatLine(*a.AtSequence(s));
    EXPECT_EQ(line, b.FormatLine(*b.AtSequence(s)));
    if (line != other.FormatLine(*other.AtSequence(s))) ++differing;
  }
  EXPECT_EQ(a.FormatLine(*a.AtSequence(a.EndSequence() - 1)).substr(0, 23), "00002,26/01/03 00:10:00");
  EXPECT_GT(differing, 0);
}

// The record line against its printf form, across the ID wrap, the turn of a
// year and a leap day, for a memory of 3,000 records an hour apart.
TEST(RecordMemoryTest, RecordLineIsItsPrintfForm) {
  vlogger::RecordMemory memory(3000, 11);
  memory.Preset(3000, 98500, ToCalendarSeconds(CalendarTime{2028, 3, 1, 5, 0, 59}), 3599);
  for (uint64_t s = memory.FrontSequence(); s < memory.EndSequence(); ++s) {
    const vlogger::Record& r = *memory.AtSequence(s);
    const CalendarTime t = FromCalendarSeconds(r.time);
    char expected[96];
    std::snprintf(expected, sizeof expected, "%05d,%02d/%02d/%02d %02d:%02d:%02d,%d.%03d,%.4f", r.id, t.year % 100,
                  t.month, t.day, t.hour, t.minute, t.second, memory.Series().BatteryAt(r.time) / 1000,
                  memory.Series().BatteryAt(r.time) % 1000,
                  std::round(memory.Series().LevelAt(r.time) * 10000) / 10000);
    ASSERT_EQ(memory.FormatLine(r), expected) << s;
  }
}

// A listing longer than one batch of the logger, in lower case with noise
// lines mixed in, carries every record line as the memory formats it.
TEST_F(SimTest, LongListingWithNoiseCarriesEveryRecordLine) {
  logger_.PresetMemory(2500, 99000);
  logger_.SetLowerCase(true);
  logger_.SetNoiseLine("#>RX:$NOISE", 700);
  ASSERT_TRUE(client().Write("RD ALL\r\n"));
  const Lines got = client().ReadUntil("yes end");
  size_t noise = 0, records = 0;
  int id = 99000;
  for (const std::string& line : got) {
    if (line == "#>RX:$NOISE") {
      ++noise;
    } else if (IsRecordLine(line)) {
      ASSERT_EQ(std::stoi(line.substr(0, 5)), id) << line;
      id = (id + 1) % 100000;
      ++records;
    }
  }
  EXPECT_EQ(records, 2500u);
  // Before the first line ("ok") and every 700th line after it: lines 0, 700, 1400, 2100.
  EXPECT_EQ(noise, 4u);
  EXPECT_EQ(got.front(), "#>RX:$NOISE");
  EXPECT_EQ(got.back(), "yes end");
}

TEST_F(SimTest, MailCommandsSetAndListTheAccessPoint) {
  for (const std::string command : {"MAIL APN my.apn.example", "MAIL APU ", "MAIL APP se cret", "MAIL APA"}) {
    EXPECT_EQ(client().Exchange(command), Lines{"YES END"}) << command;
  }
  const Lines dsp = client().Exchange("MAIL DSP");
  EXPECT_EQ(dsp.front(), "APN my.apn.example");  // no "OK" before the listing
  auto mail = Keyed(dsp);
  EXPECT_EQ(mail["APU"], "");
  EXPECT_EQ(mail["APP"], "se cret");
  EXPECT_EQ(mail["APA"], "");
  EXPECT_EQ(mail["IMEI"], "356938035643809");
  EXPECT_EQ(mail["MYDIAL"], "08012345678");
  for (const char* key : {"HOST", "PORT", "POST"}) EXPECT_EQ(mail.count(key), 1u) << key;

  const Lines init = client().Exchange("MAIL INI IIJ");
  EXPECT_EQ(init.front(), "OK");
  EXPECT_EQ(init.back(), "YES END");
  EXPECT_NE(logger_.State().mail.apn, "my.apn.example");
  EXPECT_EQ(client().Exchange("MAIL IMEI"), (Lines{"OK", "IMEI 356938035643809", "YES END"}));
  const Lines start = client().Exchange("MAIL START");
  EXPECT_EQ(start.front(), "OK");
  EXPECT_EQ(start.back(), "YES END");
  EXPECT_GT(start.size(), 2u);
}

TEST_F(SimTest, ReadoutsOfErrorsCurrentValueAntennaAndNetworkTime) {
  logger_.SetErrorLog({"26/01/02 10:11:12,E03,LOW BATTERY"});
  EXPECT_EQ(client().Exchange("RD ERR"), (Lines{"OK", "26/01/02 10:11:12,E03,LOW BATTERY", "YES END"}));

  const Lines current = client().Exchange("RD REL");
  ASSERT_EQ(current.size(), 3u);
  EXPECT_TRUE(IsRecordLine(current[1])) << current[1];
  // The battery field is in volts, as the monitor shows it ("[V]").
  const double volts = std::stod(current[1].substr(24, 5));
  EXPECT_GE(volts, 2.9) << current[1];
  EXPECT_LE(volts, 3.8) << current[1];

  logger_.SetAntennaLevel(std::nullopt);
  EXPECT_EQ(client().Exchange("RD ANT"), (Lines{"OK", "YES END"}));

  logger_.SetClockOffset(std::chrono::hours(-72));
  const int64_t host = vlogger::HostLocalCalendarSeconds();
  EXPECT_LT(ToCalendarSeconds(logger_.Now()), host - 3600);
  EXPECT_EQ(client().Exchange("MAIL TIME"), (Lines{"OK", "YES END"}));
  EXPECT_LT(std::llabs(ToCalendarSeconds(logger_.Now()) - host), 60);
}

TEST_F(SimTest, FirmwareTransferKeepsTheImageLines) {
  const Lines image = {":10000000763D5452454C37004100000000000000C4", ":00000001FF"};
  EXPECT_EQ(client().Exchange("INSPECT ON"), Lines{"YES END"});
  EXPECT_EQ(client().Exchange("SRAMCLR", "OK"), Lines{"OK"});
  EXPECT_EQ(client().Exchange("MONITOR", "OK"), Lines{"OK"});
  for (const auto& line : image) EXPECT_EQ(client().Exchange(line, "OK"), Lines{"OK"});

  logger_.SetWeepMode(vlogger::WeepMode::kWriteFails);
  EXPECT_EQ(client().Exchange("WEEP", "NG"), (Lines{"writing", "NG"}));
  logger_.SetWeepMode(vlogger::WeepMode::kRefuse);
  EXPECT_EQ(client().Exchange("WEEP", "NOT END"), Lines{"NOT END"});
  logger_.SetWeepMode(vlogger::WeepMode::kSucceed);
  EXPECT_EQ(client().Exchange("WEEP", "OK"), (Lines{"writing", "OK"}));

  EXPECT_EQ(logger_.FirmwareLines(), image);
  EXPECT_EQ(logger_.State().program_writes, 1);
  // Writing restarts the logger: the maintenance state has to be entered again.
  EXPECT_EQ(client().Exchange("SYSINIT", "NOT END"), Lines{"NOT END"});
  EXPECT_EQ(client().Exchange("INSPECT ON"), Lines{"YES END"});
  EXPECT_EQ(client().Exchange("SYSINIT", "OK"), Lines{"OK"});
  EXPECT_EQ(client().Exchange("ST RES"), Lines{"YES END"});
  EXPECT_FALSE(logger_.State().maintenance);
}

TEST_F(SimTest, ModuleCommandsAnswerWithModuleNotices) {
  EXPECT_EQ(client().Exchange("INSPECT ON"), Lines{"YES END"});
  EXPECT_EQ(client().Exchange("dbg mtcoff"), Lines{"YES END"});
  EXPECT_EQ(client().Exchange("dbg mtcon", "#>RX:$SLEEP"), (Lines{"YES END", "#>RX:$SLEEP"}));
  logger_.SetModuleError("mon", 1);
  EXPECT_EQ(client().Exchange("mon", "*>RX:ERROR"), Lines{"*>RX:ERROR"});
  EXPECT_EQ(client().Exchange("mon", "#>RX:$WAKEUP"), Lines{"#>RX:$WAKEUP"});
  EXPECT_EQ(client().Exchange("at$ver", "#>RX:"), Lines{"#>RX:$VER:1.2.3"});
  EXPECT_EQ(client().Exchange("moff", "#>RX:$SLEEP"), (Lines{"YES END", "#>RX:$SLEEP"}));

  // A module that never goes idle: the next answer follows "YES END" directly.
  logger_.SetModuleNeverSleeps(true);
  client().Write("dbg mtcon\r\nat$ver\r\n");
  EXPECT_EQ(client().ReadUntil("#>RX:"), (Lines{"YES END", "#>RX:$VER:1.2.3"}));
}

}  // namespace
}  // namespace simtest

namespace simtest {

// Knobs for visits between readouts: records taken while time passes, the
// memory cleared behind the reader's back, IDs running on past 99,999.
TEST_F(SimTest, RecordsAddedClearedAndWrappedBetweenReadouts) {
  logger_.PresetMemory(3);
  const Lines before = client().Exchange("RD ALL");
  ASSERT_EQ(before.size(), 5u);
  const vlogger::CalendarTime clockBefore = logger_.Now();

  logger_.AddRecords(4);
  EXPECT_EQ(Keyed(client().Exchange("RD SYS"))["ID"], "1-7(7)");
  const Lines after = client().Exchange("RD ALL 3");
  ASSERT_EQ(after.size(), 7u);
  EXPECT_EQ(after[1], before[3]);  // the records already there are unchanged
  // Each new record is one sampling interval after the one before, and the
  // logger's clock has moved on past the newest.
  for (size_t i = 2; i < 6; ++i) {
    EXPECT_TRUE(IsRecordLine(after[i])) << after[i];
    EXPECT_EQ(std::stoi(after[i].substr(0, 5)), static_cast<int>(i) + 2);
    EXPECT_EQ(std::stoi(after[i].substr(18, 2)) % 10, 0) << after[i];
  }
  const vlogger::CalendarTime clockAfter = logger_.Now();
  EXPECT_GE(vlogger::ToCalendarSeconds(clockAfter) - vlogger::ToCalendarSeconds(clockBefore), 4 * 600 - 600);

  logger_.ClearMemory();
  EXPECT_EQ(Keyed(client().Exchange("RD SYS"))["ID"], "0-0(0)");
  logger_.AddRecords(2);
  EXPECT_EQ(Keyed(client().Exchange("RD SYS"))["ID"], "1-2(2)");

  // IDs run on past 99,999 to 0 while records are added.
  logger_.PresetMemory(2, 99998);
  logger_.AddRecords(3);
  EXPECT_EQ(Keyed(client().Exchange("RD SYS"))["ID"], "99998-2(5)");
  const Lines wrapped = client().Exchange("RD ALL 99999");
  ASSERT_EQ(wrapped.size(), 6u);
  EXPECT_EQ(wrapped[1].substr(0, 5), "99999");
  EXPECT_EQ(wrapped[2].substr(0, 5), "00000");
  EXPECT_EQ(wrapped[4].substr(0, 5), "00002");
}

}  // namespace simtest
