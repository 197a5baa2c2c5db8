#include <gtest/gtest.h>

#include <ctime>

#include "settings/schedule_fields.h"

namespace {

TEST(ScheduleFields, IntervalFromEditedFields) {
  struct Case {
    const char* hhmm;
    const char* days;
    int seconds;
  };
  const Case cases[] = {
      {"0230", "1", 95400}, {"0000", "0", 0},       {"0101", "1", 90060}, {"____", "", 0},
      {"1_3_", "_", 3780},  {"2359", "10", 950340}, {"", "2", 172800},
  };
  for (const Case& c : cases) EXPECT_EQ(IntervalFromFields(c.hhmm, c.days), c.seconds) << c.hhmm << " " << c.days;
}

TEST(ScheduleFields, IntervalShownAndEdited) {
  struct Case {
    int seconds;
    IntervalFields shown;
    const char* hoursMinutes;
    const char* days;
  };
  const Case cases[] = {
      {86400, {1, 0, 0}, "00:00", "1"},
      {3660, {0, 1, 1}, "01:01", "0"},
      {59, {0, 0, 0}, "00:00", "0"},
      {90061, {1, 1, 1}, "01:01", "1"},
      {101 * 86400 + 600, {101, 0, 10}, "00:10", "1"},  // the editor keeps two day digits
  };
  for (const Case& c : cases) {
    const IntervalFields f = IntervalDisplayFields(c.seconds);
    EXPECT_EQ(f.days, c.shown.days) << c.seconds;
    EXPECT_EQ(f.hours, c.shown.hours) << c.seconds;
    EXPECT_EQ(f.minutes, c.shown.minutes) << c.seconds;
    EXPECT_EQ(IntervalHoursMinutesText(c.seconds), c.hoursMinutes) << c.seconds;
    EXPECT_EQ(IntervalDaysText(c.seconds), c.days) << c.seconds;
  }
  // Editing without changes drops only the seconds.
  EXPECT_EQ(IntervalFromFields("0101", IntervalDaysText(90061)), 90060);
}

TEST(ScheduleFields, StartTimeEditorText) {
  EXPECT_EQ(StartTimeEditText(CSdlTime{2026, 1, 3, 8, 30, 45}), "2026-01-03 08:30");
  EXPECT_EQ(StartTimeEditText(CSdlTime{}), "2000-00-00 00:00");
  EXPECT_EQ(StartTimeFromDigits("2601030830"), (CSdlTime{2026, 1, 3, 8, 30, 0}));
  EXPECT_EQ(StartTimeFromDigits("26010308__"), (CSdlTime{2026, 1, 3, 8, 0, 0}));
  EXPECT_EQ(StartTimeFromDigits(""), (CSdlTime{20, 0, 0, 0, 0, 0}));
}

TEST(ScheduleFields, PresetIsTwoMinutesAfterNowInLocalTime) {
  std::tm t{};
  t.tm_year = 2025 - 1900;
  t.tm_mon = 11;
  t.tm_mday = 31;
  t.tm_hour = 23;
  t.tm_min = 59;
  t.tm_sec = 30;
  t.tm_isdst = -1;
  EXPECT_EQ(StartTimePresetText(std::mktime(&t)), "2026-01-01 00:01");
}

TEST(ScheduleFields, DeviceClockText) {
  EXPECT_EQ(DeviceClockText(0), "");
  EXPECT_EQ(DeviceClockText(86400), "");
  const CSdlTime clock{2026, 1, 3, 8, 30, 5};
  EXPECT_EQ(DeviceClockText(clock.ToTime()), "2026-01-03 08:30:05");
  EXPECT_EQ(DeviceClockText(clock.ToTime() + 60), "2026-01-03 08:31:05");
}

}  // namespace
