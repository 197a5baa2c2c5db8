#include "firmware/firmware_image.h"

#include <gtest/gtest.h>

#include "../support/temp_path.h"

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

using Strings = std::vector<std::string>;

std::string Hex(const std::string& bytes, bool lower = false) {
  static const char* kUpper = "0123456789ABCDEF";
  static const char* kLower = "0123456789abcdef";
  const char* digits = lower ? kLower : kUpper;
  std::string out;
  for (unsigned char c : bytes) {
    out += digits[c >> 4];
    out += digits[c & 15];
  }
  return out;
}

// One Intel HEX record with a correct checksum, ended by CR LF.
std::string Record(int type, int address, const std::string& data, bool lower = false) {
  std::string raw;
  raw += static_cast<char>(data.size());
  raw += static_cast<char>(address >> 8);
  raw += static_cast<char>(address & 0xFF);
  raw += static_cast<char>(type);
  raw += data;
  unsigned sum = 0;
  for (unsigned char c : raw) sum += c;
  raw += static_cast<char>((0x100 - (sum & 0xFF)) & 0xFF);
  return ":" + Hex(raw, lower) + "\r\n";
}

// Data records of 0xFF bytes appended until the text is at least `size` long.
std::string PadTo(std::string text, size_t size) {
  int address = 0x1000;
  while (text.size() < size) {
    text += Record(0, address, std::string(16, '\xFF'));
    address += 16;
  }
  return text;
}

const std::string kTagData = std::string("v-TREL7\0A\0", 10);

class TempFile {
 public:
  explicit TempFile(const std::string& content) {
    path_ = UniqueTempPath("qhx_fw_").string();
    std::ofstream(path_, std::ios::binary) << content;
  }
  ~TempFile() { std::remove(path_.c_str()); }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

struct ScanCase {
  const char* name;
  std::string image;
  Strings expected;
};

TEST(FirmwareImageScan, ExtractsStringsAsTheRecordsHoldThem) {
  const std::vector<ScanCase> cases = {
      {"tag and one more string", Record(0, 0, kTagData), {"v-TREL7", "A"}},
      {"two consecutive 00 add nothing", Record(0, 0, std::string("v-TREL7\0\0A\0", 11)), {"v-TREL7", "A"}},
      {"text without 00 before CR LF is dropped, checksum too",
       Record(0, 0, std::string("v-TREL7\0ABC", 11)),
       {"v-TREL7"}},
      {"strings of the second record count",
       Record(0, 0, std::string("AB\0", 3)) + Record(0, 3, std::string("CD\0EF\0", 6)),
       {"AB", "CD", "EF"}},
      {"a text never continues into the next record", Record(0, 0, "XY") + Record(0, 2, std::string("Z\0", 2)), {"Z"}},
      // Extended address record: type byte 04 and the data bytes up to 00.
      {"record type 04 contributes its type byte", Record(4, 0, std::string("\x08\x00", 2)), {"\x04\x08"}},
      {"lower-case hex digits", Record(0, 0, kTagData, /*lower=*/true), {"v-TREL7", "A"}},
      {"a third record is never scanned",
       Record(0, 0, "\x11\x22") + Record(0, 2, "\x11\x22") + Record(0, 4, kTagData),
       {}},
      // "7G" decodes as 0x70 ('p'), "Z4" as 0x04, "4Z" as 0x40 ('@').
      {"non-hex characters count 0", ":0A000000" + std::string("7G") + "Z4" + "4Z" + "00\r\n", {"p\x04@"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(firmware_image::ScanIdentificationStrings(PadTo(c.image, 600)), c.expected);
  }
}

TEST(FirmwareImageScan, NeverLooksBeyondTheFirst512Bytes) {
  // One long record: a colon prefix, then "41" pairs up to the terminator.
  // The terminator pair at bytes 510-511 still counts; at 512-513 it does not.
  auto image_with_terminator_at = [](size_t pos) {
    std::string text = ":00000000";  // type 00 at 7-8 ends an empty string
    while (text.size() < pos) text += "41";
    text += "00";
    return PadTo(text + "\r\n", 700);
  };
  EXPECT_EQ(firmware_image::ScanIdentificationStrings(image_with_terminator_at(509)), Strings{std::string(250, 'A')});
  EXPECT_TRUE(firmware_image::ScanIdentificationStrings(image_with_terminator_at(511)).empty());

  // A colon at byte 505 skips to 512: the scan ends there and the "00" at
  // 512-513 is never read.
  std::string colon_late = ":00000000";
  while (colon_late.size() < 505) colon_late += "41";
  colon_late += ":XXXXXX00\r\n";
  EXPECT_TRUE(firmware_image::ScanIdentificationStrings(PadTo(colon_late, 700)).empty());
}

TEST(FirmwareImageFile, AcceptsOnlyFilesOf512BytesStartingWithAColon) {
  const std::string image = PadTo(Record(0, 0, kTagData), 600);
  struct Case {
    const char* name;
    std::string content;
    int expected;
  };
  const std::vector<Case> cases = {
      {"511 bytes", image.substr(0, 511), firmware_image::kNotImage},
      {"512 bytes", image.substr(0, 512), firmware_image::kOk},
      {"longer", image, firmware_image::kOk},
      {"first byte blank", " " + image, firmware_image::kNotImage},
      {"byte-order mark", "\xEF\xBB\xBF" + image, firmware_image::kNotImage},
      {"empty", "", firmware_image::kNotImage},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TempFile f(c.content);
    Strings strings = {"previous"};
    EXPECT_EQ(firmware_image::ReadIdentification(f.path(), &strings), c.expected);
    const Strings expected = c.expected == firmware_image::kOk ? Strings{"v-TREL7", "A"} : Strings{"previous"};
    EXPECT_EQ(strings, expected);
  }
}

TEST(FirmwareImageFile, MissingFileCannotBeOpened) {
  Strings strings = {"previous"};
  EXPECT_EQ(firmware_image::ReadIdentification("/nonexistent/dir/image.hex", &strings), firmware_image::kCannotOpen);
  EXPECT_EQ(strings, Strings{"previous"});
  std::string text = "previous";
  EXPECT_EQ(firmware_image::LoadText("/nonexistent/dir/image.hex", &text), firmware_image::kCannotOpen);
  EXPECT_EQ(text, "previous");
}

TEST(FirmwareImageFile, LoadTextKeepsEveryByte) {
  std::string content = PadTo(Record(0, 0, kTagData), 200000);
  content += std::string("\0tail\r", 6);
  TempFile f(content);
  std::string text;
  ASSERT_EQ(firmware_image::LoadText(f.path(), &text), firmware_image::kOk);
  EXPECT_EQ(text, content);
}

TEST(FirmwareImageModuleTag, NeedsFourStringsAndTheExactTag) {
  struct Case {
    Strings strings;
    bool expected;
  };
  const std::vector<Case> cases = {
      {{"v-TREL7", "a", "b", "c"}, true},   {{"v-TREL7", "a", "b", "c", "d"}, true},
      {{"v-TREL7", "a", "b"}, false},       {{"V-TREL7", "a", "b", "c"}, false},
      {{"v-TREL7 ", "a", "b", "c"}, false}, {{"v-TREL", "a", "b", "c"}, false},
      {{"a", "v-TREL7", "b", "c"}, false},  {{}, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.strings.empty() ? "(none)" : c.strings[0] + " x" + std::to_string(c.strings.size()));
    EXPECT_EQ(firmware_image::HasModuleTag(c.strings), c.expected);
  }
}

TEST(FirmwareImageLines, SplitsAtAnyLineEndAndDropsEmptyLines) {
  struct Case {
    const char* name;
    std::string text;
    Strings expected;
  };
  const std::vector<Case> cases = {
      {"CR LF", ":A\r\n:B\r\n", {":A", ":B"}},
      {"LF", ":A\n:B\n", {":A", ":B"}},
      {"CR", ":A\r:B\r", {":A", ":B"}},
      {"mixed and blank lines", "\r\n\r\n:A\r\n\n\r:B\n\n", {":A", ":B"}},
      {"no final line end", ":A\r\n:B", {":A", ":B"}},
      {"blanks are kept inside a line", " :A \r\n", {" :A "}},
      {"only line ends", "\r\n\n\r", {}},
      {"empty", "", {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(firmware_image::SplitLines(c.text), c.expected);
  }
}

}  // namespace
