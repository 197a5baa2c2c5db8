// The services each platform implements on its own (calendar, code page,
// memory, program paths, file replacement, port error texts): the same
// results on every system the core is built for.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "../support/temp_path.h"
#include "common/atomic_file.h"
#include "common/civil_time.h"
#include "common/codepage.h"
#include "common/program_paths.h"
#include "common/string_table.h"
#include "common/zeroed_block.h"
#include "link/port_open_error.h"

namespace {

struct CivilCase {
  int year, month, day, hour, minute, second;
  int64_t seconds;
  int weekday;
};

TEST(CivilTime, FieldsAndSecondsBothWays) {
  const CivilCase cases[] = {
      {1970, 1, 1, 0, 0, 0, 0, 4},
      {1969, 12, 31, 23, 59, 59, -1, 3},
      {2000, 2, 29, 12, 34, 56, 951827696, 2},
      {2024, 12, 31, 23, 59, 59, 1735689599, 2},
      {2100, 3, 1, 0, 0, 0, 4107542400, 1},  // 2100 is no leap year
      {1900, 1, 1, 0, 0, 0, -2208988800, 1},
  };
  for (const CivilCase& c : cases) {
    SCOPED_TRACE(c.seconds);
    std::tm f{};
    f.tm_year = c.year - 1900;
    f.tm_mon = c.month - 1;
    f.tm_mday = c.day;
    f.tm_hour = c.hour;
    f.tm_min = c.minute;
    f.tm_sec = c.second;
    EXPECT_EQ(civil_time::SecondsFromFields(f), c.seconds);
    const std::tm back = civil_time::FieldsFromSeconds(c.seconds);
    EXPECT_EQ(back.tm_year + 1900, c.year);
    EXPECT_EQ(back.tm_mon + 1, c.month);
    EXPECT_EQ(back.tm_mday, c.day);
    EXPECT_EQ(back.tm_hour, c.hour);
    EXPECT_EQ(back.tm_min, c.minute);
    EXPECT_EQ(back.tm_sec, c.second);
    EXPECT_EQ(back.tm_wday, c.weekday);
  }
}

TEST(CivilTime, DaysBeyondTheMonthCarryOver) {
  std::tm april31{};
  april31.tm_year = 2026 - 1900;
  april31.tm_mon = 3;
  april31.tm_mday = 31;
  EXPECT_EQ(civil_time::SecondsFromFields(april31), 1777593600);  // 2026-05-01
  std::tm feb30{};
  feb30.tm_year = 2024 - 1900;
  feb30.tm_mon = 1;
  feb30.tm_mday = 30;
  EXPECT_EQ(civil_time::FieldsFromSeconds(civil_time::SecondsFromFields(feb30)).tm_mday, 1);  // 2024-03-01
}

struct CodePageCase {
  const char* name;
  std::string ansi;
  std::string utf8;
};

// Both directions where the Japanese code page and Unicode correspond one to one.
TEST(CodePage, JapaneseTextBothWays) {
  const CodePageCase cases[] = {
      {"ascii with backslash", "C:\\data~", "C:\\data~"},
      {"kanji", "\x93\xfa\x96\x7b\x8c\xea", "\xe6\x97\xa5\xe6\x9c\xac\xe8\xaa\x9e"},
      {"half-width katakana", "\xb1\xb2", "\xef\xbd\xb1\xef\xbd\xb2"},
      {"full-width tilde", "\x81\x60", "\xef\xbd\x9e"},
      {"circled one", "\x87\x40", "\xe2\x91\xa0"},
      {"empty", "", ""},
  };
  for (const CodePageCase& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(codepage::AnsiToUtf8(c.ansi), c.utf8);
    EXPECT_EQ(codepage::Utf8ToAnsi(c.utf8), c.ansi);
  }
}

TEST(CodePage, BrokenBytesAndMissingCharactersAreReplaced) {
  const CodePageCase toUtf8[] = {
      {"lone lead byte at the end", "A\x82", "A\xef\xbf\xbd"},
      {"lead byte before a space", "\x82 B", "\xef\xbf\xbd B"},
  };
  for (const CodePageCase& c : toUtf8) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(codepage::AnsiToUtf8(c.ansi), c.utf8);
  }
  // Neither the euro sign nor an accented letter has a Japanese form.
  EXPECT_EQ(codepage::Utf8ToAnsi("x\xe2\x82\xac"
                                 "y"),
            "x?y");
  EXPECT_EQ(codepage::Utf8ToAnsi("caf\xc3\xa9"), "caf?");
}

TEST(ZeroedBlock, ReadsZeroBeforeAndAfterDiscard) {
  constexpr size_t kBytes = 64 << 20;
  auto* block = static_cast<unsigned char*>(zeroed_block::Reserve(kBytes));
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(block[0], 0);
  EXPECT_EQ(block[kBytes - 1], 0);
  std::memset(block, 0x5A, 3 << 20);
  block[kBytes - 1] = 7;
  zeroed_block::Discard(block, 3 << 20);
  EXPECT_EQ(block[0], 0);
  EXPECT_EQ(block[(3 << 20) - 1], 0);
  EXPECT_EQ(block[kBytes - 1], 7);  // beyond the discarded part
  block[0] = 1;                     // still writable
  EXPECT_EQ(block[0], 1);
  zeroed_block::Release(block, kBytes);
}

TEST(ProgramPaths, ExecutableDirectoryHoldsThisProgram) {
  const std::filesystem::path dir = program_paths::ExecutableDirectory();
  ASSERT_FALSE(dir.empty());
  bool found = false;
  for (const auto& entry : std::filesystem::directory_iterator(dir))
    found = found || entry.path().stem() == "core_unit_tests";
  EXPECT_TRUE(found) << dir;
}

class AtomicSave : public ::testing::Test {
 protected:
  void SetUp() override { dir_ = MakeTempDirectory("qhx_save_"); }
  void TearDown() override {
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
  }
  static std::string Read(const std::filesystem::path& p) {
    std::ifstream f(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
  }
  size_t EntryCount() const {
    return static_cast<size_t>(std::distance(std::filesystem::directory_iterator(dir_), {}));
  }
  std::filesystem::path dir_;
};

TEST_F(AtomicSave, CreatesAndReplacesByteForByte) {
  const std::filesystem::path target = dir_ / "TXL_ALL_20260101_000000.txt";
  const std::string first("1\r\n2\r\n\0\x1a", 8);
  ASSERT_TRUE(SaveFileAtomically(target.string(), first, nullptr));
  EXPECT_EQ(Read(target), first);
  ASSERT_TRUE(SaveFileAtomically(target.string(), "short", nullptr));
  EXPECT_EQ(Read(target), "short");
  EXPECT_EQ(EntryCount(), 1u);  // no temporary file left beside it
}

TEST_F(AtomicSave, FailuresLeaveNothingBehind) {
  std::string error;
  EXPECT_FALSE(SaveFileAtomically(dir_.string(), "x", &error));  // a folder
  EXPECT_NE(error.find(dir_.string()), std::string::npos) << error;
  error.clear();
  EXPECT_FALSE(SaveFileAtomically((dir_ / "no-such-folder" / "f.txt").string(), "x", &error));
  EXPECT_FALSE(error.empty());
  EXPECT_EQ(EntryCount(), 0u);
}

TEST(PortOpenErrorText, ReasonThenHint) {
  PortOpenError e;
  e.code = 0xF1;
  e.fault = PortOpenError::kNoSuchDevice;
  e.reason = "No such file or directory";
  EXPECT_EQ(DescribePortOpenError(e, "COM7"),
            "(COM7: No such file or directory)\r\n" + strings::Text(strings::id::kPortHintNoSuchDevice));

  e.fault = PortOpenError::kOther;
  e.reason = "Input/output error";
  EXPECT_EQ(DescribePortOpenError(e, "/dev/ttyS0"), "(/dev/ttyS0: Input/output error)");
  e.reason.clear();
  EXPECT_EQ(DescribePortOpenError(e, "/dev/ttyS0"), "(/dev/ttyS0)");
}

// The permission hint names the group that owns the device, or dialout when
// the system did not say.
TEST(PortOpenErrorText, PermissionHintNamesTheGroup) {
  PortOpenError e;
  e.fault = PortOpenError::kPermissionDenied;
  e.reason = "Permission denied";
  e.group = "uucp";
  const std::string withGroup = DescribePortOpenError(e, "/dev/ttyUSB0");
  EXPECT_NE(withGroup.find("adduser $USER uucp"), std::string::npos) << withGroup;
  EXPECT_EQ(withGroup.find("%s"), std::string::npos) << withGroup;
  e.group.clear();
  EXPECT_NE(DescribePortOpenError(e, "/dev/ttyUSB0").find("adduser $USER dialout"), std::string::npos);
}

}  // namespace
