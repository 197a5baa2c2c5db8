#pragma once
// Firmware image files for the logger: Intel HEX text (".hex") whose first
// two records carry NUL-terminated identification strings, the first of them
// the module tag. The program does not check HEX checksums, byte counts or
// addresses; the update sends the file's lines to the logger as they stand.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace firmware_image {

// Only this many bytes at the start of the file are examined when a file is
// chosen; a shorter file is not an image.
constexpr size_t kHeadSize = 512;
// The first identification string of an image for this logger.
constexpr char kModuleTag[] = "v-TREL7";
// An image carries at least this many identification strings.
constexpr size_t kMinIdentificationStrings = 4;

// Results of ReadIdentification and LoadText.
constexpr int kOk = 0;
constexpr int kCannotOpen = -1;
constexpr int kNotImage = -2;
constexpr int kReadFailed = -4;  // lack of memory or a read error

// Extracts the identification strings from the start of an image. Looks at
// no more than the first kHeadSize bytes of `head` (fewer when it is
// shorter) and stops at the second CR LF. Pairs of characters are taken in
// turn; a ':' skips the record's colon, byte count and address; "00" ends
// the current string (empty strings are not kept); CR LF drops the current,
// unterminated string; any other pair is decoded as one hexadecimal byte, a
// non-hex character counting 0 for its half. May throw std::bad_alloc.
std::vector<std::string> ScanIdentificationStrings(std::string_view head);

// Reads the start of the file at `path` and extracts its identification
// strings into `strings`. Returns kOk, kCannotOpen, kNotImage (shorter than
// kHeadSize bytes, or the first byte is not ':') or kReadFailed. `strings` is
// replaced only on kOk.
int ReadIdentification(const std::string& path, std::vector<std::string>* strings);

// Reads the whole file at `path` into `text`, byte for byte. Returns kOk, or
// kCannotOpen when the file cannot be opened or read completely; `text` is
// replaced only on kOk.
int LoadText(const std::string& path, std::string* text);

// True when the image is for this logger: at least four identification
// strings and the first one equals the module tag exactly.
bool HasModuleTag(const std::vector<std::string>& strings);

// The command lines of an image text for the transfer: the maximal runs of
// characters other than CR and LF, in order. CR LF, LF and CR line ends are
// all accepted and empty lines vanish.
std::vector<std::string> SplitLines(std::string_view text);

}  // namespace firmware_image
