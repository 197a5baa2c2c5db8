#pragma once
// The checked side of reading a settings file: the file's bytes as the text
// the reader searches, and the check of every value of the items the user
// ticked, done before anything is sent.
//
// Bytes: a UTF-8 byte-order mark is skipped; a UTF-16 file is no settings
// file; a file that is valid UTF-8 and not plain ASCII is converted to the
// logger's code page line by line (a line holding a character the code page
// cannot hold keeps its bytes and is marked, so that a value on it is
// refused, never replaced); any other file is taken as code page text.
#include <string>
#include <vector>

#include "protocol/device_record.h"
#include "settings/setting_work.h"

namespace settings_import {

struct SettingsText {
  std::string text;  // in the logger's code page, from the header on
  // Lines (1-based) that could not be converted, with their UTF-8 text.
  std::vector<std::pair<int, std::string>> unconvertible;
  // kNotWhole: the line (1-based) of the first NUL byte, or of the first
  // byte beyond the reader's limit when `tooLong`.
  int brokenLine = 0;
  bool tooLong = false;
};

// Reads the file's bytes: of a regular file its length (fewer arriving is
// kReadError), of a pipe, FIFO or terminal up to the end of its data. "-" is
// standard input. A FIFO without a writer waits for one, as any reader of it
// does. At most CVTCSettingWork::kMaxFileBytes + 1 bytes are kept: one more
// than the limit tells a file that is too long (kNotWhole with those bytes).
// `osError` receives errno when the file cannot be opened or read.
SettingsFileLoad ReadFileBytes(const std::string& path, std::string* bytes, int* osError = nullptr);

// The text of the bytes as described above; kNotSettingsFile when the text
// does not start with the header, kNotWhole (with the line) when the bytes
// hold a NUL byte or more than the reader's limit.
SettingsFileLoad DecodeSettingsBytes(const std::string& bytes, SettingsText* out);

// ReadFileBytes followed by DecodeSettingsBytes.
SettingsFileLoad ReadSettingsFile(const std::string& path, SettingsText* out, int* osError = nullptr);

// A value that its page could not have sent.
struct ValueProblem {
  std::string key;
  int line = 0;       // 1-based line of the value in the file
  std::string value;  // as found, in UTF-8
  // Why the value does not reach the logger as given, naming the value (a
  // step or range it misses, what would be sent instead); empty when the
  // value is not of its key's form at all.
  std::string reason;
};

// Checks every value the file gives for the ticked items (6, 11, 21, 22;
// other indexes have no values) and, when there is no problem, writes the
// canonical form of a value into `record` where the page would send that
// form (authentication "pap" becomes "PAP"). `record` is expected to hold
// what CVTCSettingWork::ApplySettingsText took from the same text.
std::vector<ValueProblem> CheckTickedItems(const SettingsText& file, const std::vector<int>& tickedItems,
                                           DeviceRecord* record);

// String 2504 and the line where a kNotWhole file stops being whole.
std::string DescribeNotWhole(const SettingsText& file);

// String 2504 followed by one line per problem: key, line number, and the
// reason (or the value as found when there is none).
std::string DescribeProblems(const std::vector<ValueProblem>& problems);

}  // namespace settings_import
