#include <gtest/gtest.h>

#include "archive/record_line.h"

namespace {

using archive::ParseRecordLine;

struct LineCase {
  const char* line;
  bool parses;
  int id;
  const char* iso;
  double battery;
  double level;
};

TEST(RecordLine, ParsesTheLoggersLineFormOnly) {
  const LineCase cases[] = {
      {"00091,26/01/03 08:30:00,3.612,1.2345", true, 91, "2026-01-03T08:30:00", 3.612, 1.2345},
      {"00091,26/01/03 08:30:00,3.612,1.2345\r\n", true, 91, "2026-01-03T08:30:00", 3.612, 1.2345},
      {"99999,28/02/29 23:59:59,3.000,-0.0500", true, 99999, "2028-02-29T23:59:59", 3.0, -0.05},
      {"00000,26/12/31 00:00:00,3.700,0.0000", true, 0, "2026-12-31T00:00:00", 3.7, 0.0},
      {"", false, 0, "", 0, 0},
      {"#>RX:$NOISE", false, 0, "", 0, 0},
      {"YES END", false, 0, "", 0, 0},
      {"00091,26/01/03 08:30:00,3612", false, 0, "", 0, 0},       // cut off
      {"00091,26/01/03 08:30:00,3.612,", false, 0, "", 0, 0},     // no level
      {"00091,26/01/03 08:30:00,3.6x2,1.2", false, 0, "", 0, 0},  // noise in a number
      {"00091,26/01/03 08:30:00,3.612,1.2x", false, 0, "", 0, 0},
      {"00091,26/02/30 08:30:00,3.612,1.2345", false, 0, "", 0, 0},  // no such day
      {"00091,26/13/01 08:30:00,3.612,1.2345", false, 0, "", 0, 0},
      {"00091,26/01/03 24:00:00,3.612,1.2345", false, 0, "", 0, 0},
      {"123456,26/01/03 08:30:00,3.612,1.2345", false, 0, "", 0, 0},  // six-digit ID
      {"-0091,26/01/03 08:30:00,3.612,1.2345", false, 0, "", 0, 0},
      {"00091;26/01/03 08:30:00;3612;1.2345", false, 0, "", 0, 0},
  };
  for (const LineCase& c : cases) {
    SCOPED_TRACE(c.line);
    const auto v = ParseRecordLine(c.line);
    ASSERT_EQ(v.has_value(), c.parses);
    if (!c.parses) continue;
    EXPECT_EQ(v->id, c.id);
    EXPECT_EQ(archive::IsoTime(v->time), c.iso);
    EXPECT_DOUBLE_EQ(v->batteryV, c.battery);
    EXPECT_DOUBLE_EQ(v->levelM, c.level);
  }
}

TEST(RecordLine, IsoTimeReadsBackAndRejectsOtherForms) {
  for (const char* t : {"1970-01-01T00:00:00", "2000-02-29T12:00:01", "2026-01-03T08:30:00", "2099-12-31T23:59:59"}) {
    const auto s = archive::ParseIsoTime(t);
    ASSERT_TRUE(s.has_value()) << t;
    EXPECT_EQ(archive::IsoTime(*s), t);
  }
  EXPECT_EQ(archive::ParseIsoTime("2026-01-03"), archive::ParseIsoTime("2026-01-03T00:00:00"));
  EXPECT_EQ(archive::ParseIsoTime("2026-01-03 08:30:00"), archive::ParseIsoTime("2026-01-03T08:30:00"));
  for (const char* bad : {"", "2026-1-3", "2026-02-30", "2026-01-03T8:30:00", "26/01/03 08:30:00", "2026-01-03T08:30"})
    EXPECT_FALSE(archive::ParseIsoTime(bad).has_value()) << bad;
}

}  // namespace
