#pragma once
// One record line of the logger's memory listing, "ID,yy/mm/dd hh:mm:ss,
// battery mV,level m" (e.g. "00091,26/01/03 00:10:00,3612,1.2345"), and the
// calendar arithmetic of the logger's clock. Logger times are calendar
// seconds: the clock's fields read as if they were UTC, so that they do not
// depend on the PC's time zone.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace records {

constexpr int kRecordIdModulus = 100000;  // IDs run 0..99999, then 0 again

struct RecordValues {
  int id = 0;
  int64_t time = 0;  // calendar seconds of the logger's clock
  double batteryV = 0;
  double levelM = 0;
};

// The values of a record line (CR and LF at its end ignored), or nothing when
// the line is not of that form.
std::optional<RecordValues> ParseRecordLine(std::string_view line);

// The line without its trailing CR and LF.
std::string_view StripLineEnd(std::string_view line);

int64_t CalendarSeconds(int year, int month, int day, int hour, int minute, int second);
// "2026-01-03T08:30:00" of calendar seconds, written at `out` (19 chars).
char* PutIsoTime(char* out, int64_t calendarSeconds);
std::string IsoTime(int64_t calendarSeconds);
// Reads "2026-01-03T08:30:00", "2026-01-03 08:30:00" or "2026-01-03"
// (midnight); nothing when the text is not one of them.
std::optional<int64_t> ParseIsoTime(std::string_view text);

}  // namespace records
