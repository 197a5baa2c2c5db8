#include "settings/settings_import.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#ifdef _WIN32
#include <io.h>
#endif

#include <cerrno>
#include <cstdio>
#include <functional>
#include <optional>

#include "common/codepage.h"
#include "common/string_table.h"
#include "settings/setting_item_list.h"
#include "settings/value_checks.h"

namespace settings_import {
namespace {

constexpr char kUtf8Bom[] = "\xEF\xBB\xBF";

// Reads until `want` bytes arrived or the data ends; false on a read error.
bool ReadUpTo(int fd, std::string& out, size_t want, int* osError) {
  out.assign(want, '\0');
  size_t got = 0;
  while (got < want) {
    const ssize_t n = read(fd, &out[got], want - got);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      if (osError != nullptr) *osError = errno;
      out.resize(got);
      return false;
    }
    if (n == 0) break;
    got += static_cast<size_t>(n);
  }
  out.resize(got);
  return true;
}

bool HasNonAscii(const std::string& text) {
  for (const char c : text)
    if (static_cast<unsigned char>(c) >= 0x80) return true;
  return false;
}

// Converts a UTF-8 text line by line into the code page.
void ConvertUtf8Lines(const std::string& utf8, SettingsText* out) {
  out->text.clear();
  out->unconvertible.clear();
  int line = 1;
  size_t begin = 0;
  while (begin < utf8.size()) {
    size_t end = utf8.find('\n', begin);
    end = end == std::string::npos ? utf8.size() : end + 1;
    const std::string piece = utf8.substr(begin, end - begin);
    std::string ansi;
    if (codepage::Utf8ToAnsiExact(piece, &ansi)) {
      out->text += ansi;
    } else {
      out->text += piece;
      std::string shown = piece;
      while (!shown.empty() && (shown.back() == '\n' || shown.back() == '\r')) shown.pop_back();
      out->unconvertible.emplace_back(line, shown);
    }
    ++line;
    begin = end;
  }
}

int LineOf(const std::string& text, size_t offset) {
  int line = 1;
  for (size_t i = 0; i < offset && i < text.size(); ++i) {
    if (text[i] == '\n' || (text[i] == '\r' && (i + 1 >= text.size() || text[i + 1] != '\n'))) ++line;
  }
  return line;
}

// Judges one value: true when it passes, else false with the reason where
// there is one beyond the value itself.
using Judge = std::function<bool(const std::string& value, std::string* reason)>;

// A judge of a check without reasons.
Judge Plain(bool (*ok)(const std::string&)) {
  return [ok](const std::string& v, std::string*) { return ok(v); };
}

// A judge of an integer value: a strict number whose problem (if any) is
// given by `problem`.
Judge IntValue(std::string (*problem)(int32_t)) {
  return [problem](const std::string& v, std::string* reason) {
    const std::optional<int32_t> n = value_checks::StrictInt(v);
    if (!n) return false;
    *reason = problem(*n);
    return reason->empty();
  };
}

// Checks of the values of one file.
class Checker {
 public:
  Checker(const SettingsText& file, std::vector<ValueProblem>* problems) : file_(file), problems_(problems) {}

  // The value of `key` as CVTCSettingWork::FindValue finds it; nullopt when
  // the key is absent. `line` receives its line.
  std::optional<std::string> Find(const std::string& key, int* line) const {
    std::string value;
    const int length = CVTCSettingWork::FindValue(file_.text, key, value);
    if (length < 0) return std::nullopt;
    const size_t at = CVTCSettingWork::FindKey(file_.text, key + ",");
    *line = LineOf(file_.text, at);
    return value;
  }

  // Checks a non-empty value of `key` with `ok`, which may give the reason
  // of a refusal; an empty or absent value keeps the logger's value and
  // needs no check. `reportKey` names the value in a problem (defaults to
  // the key).
  void Check(const std::string& key, const Judge& ok, const std::string& reportKey = std::string()) {
    int line = 0;
    const std::optional<std::string> value = Find(key, &line);
    if (!value || value->empty()) return;
    std::string reason;
    if (Unconvertible(line) || !ok(*value, &reason)) Report(reportKey.empty() ? key : reportKey, line, *value, reason);
  }

  void Report(const std::string& key, int line, const std::string& value, const std::string& reason) {
    std::string shown = codepage::AnsiToUtf8(value);
    for (const auto& [badLine, text] : file_.unconvertible) {
      if (badLine != line) continue;
      // The value as it stands in the file's own UTF-8.
      const size_t comma = text.find(',', text.find(key));
      shown = comma == std::string::npos ? text : text.substr(comma + 1);
    }
    problems_->push_back(ValueProblem{key, line, shown, reason});
  }

  bool Unconvertible(int line) const {
    for (const auto& entry : file_.unconvertible)
      if (entry.first == line) return true;
    return false;
  }

 private:
  const SettingsText& file_;
  std::vector<ValueProblem>* problems_;
};

bool IntWhere(const std::string& text, bool (*ok)(int32_t)) {
  const std::optional<int32_t> v = value_checks::StrictInt(text);
  return v && ok(*v);
}

bool AccessPointText(const std::string& text) {
  // A single blank is what the page sends for an empty field.
  return text == " " || value_checks::AccessPointTextOk(text);
}

// The judgement line's four values: upper, lower, upper flag, lower flag.
bool ThresholdFields(const std::string& value, std::string* reason) {
  std::vector<std::string> parts(1);
  for (const char c : value) {
    if (c == ',')
      parts.emplace_back();
    else
      parts.back() += c;
  }
  if (parts.size() != 4) return false;
  for (int i = 0; i < 2; ++i) {
    if (!value_checks::StrictDecimal(parts[i])) return false;
    *reason = value_checks::LimitTextProblem(parts[i]);
    if (!reason->empty()) return false;
  }
  return IntWhere(parts[2], value_checks::JudgementFlagOk) && IntWhere(parts[3], value_checks::JudgementFlagOk);
}

bool Ticked(const std::vector<int>& items, int item) {
  for (const int i : items)
    if (i == item) return true;
  return false;
}

}  // namespace

#ifdef _WIN32
// Bytes as they are: no CR LF translation of the C runtime.
constexpr int kReadFlags = O_RDONLY | O_BINARY;
#else
constexpr int kReadFlags = O_RDONLY | O_CLOEXEC;
#endif

SettingsFileLoad ReadFileBytes(const std::string& path, std::string* bytes, int* osError) {
  bytes->clear();
  if (osError != nullptr) *osError = 0;
  const bool standardInput = path == "-";
  int fd = 0;
#ifdef _WIN32
  if (standardInput) _setmode(0, _O_BINARY);
#endif
  if (!standardInput) {
    do {
      fd = open(path.c_str(), kReadFlags);
    } while (fd < 0 && errno == EINTR);
  }
  if (fd < 0) {
    if (osError != nullptr) *osError = errno;
    return SettingsFileLoad::kCannotOpen;
  }
  auto finish = [&](SettingsFileLoad result) {
    if (!standardInput) close(fd);
    return result;
  };
  struct stat st {};
  if (fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
    if (osError != nullptr) *osError = S_ISDIR(st.st_mode) ? EISDIR : errno;
    return finish(SettingsFileLoad::kCannotOpen);
  }
  // One byte beyond the limit tells a file that is too long.
  const size_t limit = CVTCSettingWork::kMaxFileBytes + 1;
  if (S_ISREG(st.st_mode)) {
    // A regular file is read for its length; fewer bytes is a read error.
    const size_t length = st.st_size > static_cast<off_t>(limit) ? limit : static_cast<size_t>(st.st_size);
    if (!ReadUpTo(fd, *bytes, length, osError) || bytes->size() != length) {
      bytes->clear();
      return finish(SettingsFileLoad::kReadError);
    }
  } else if (!ReadUpTo(fd, *bytes, limit, osError)) {
    // Pipes, FIFOs and terminals have no length: their data up to the end.
    bytes->clear();
    return finish(SettingsFileLoad::kReadError);
  }
  return finish(bytes->size() > CVTCSettingWork::kMaxFileBytes ? SettingsFileLoad::kNotWhole : SettingsFileLoad::kOk);
}

SettingsFileLoad DecodeSettingsBytes(const std::string& bytes, SettingsText* out) {
  out->text.clear();
  out->unconvertible.clear();
  // UTF-16 in either byte order, with its mark.
  if (bytes.size() >= 2 && ((bytes[0] == '\xFF' && bytes[1] == '\xFE') || (bytes[0] == '\xFE' && bytes[1] == '\xFF')))
    return SettingsFileLoad::kNotSettingsFile;
  std::string text = bytes;
  if (text.compare(0, 3, kUtf8Bom) == 0) text.erase(0, 3);
  if (!CVTCSettingWork::HasHeader(text)) return SettingsFileLoad::kNotSettingsFile;
  // A file is taken whole or not at all: nothing after a NUL byte or the
  // reader's limit is quietly dropped.
  const size_t nul = text.find('\0');
  const bool tooLong = bytes.size() > CVTCSettingWork::kMaxFileBytes;
  if (nul != std::string::npos || tooLong) {
    const size_t at = nul != std::string::npos ? nul : text.size() - 1;
    out->brokenLine = LineOf(text, at);
    out->tooLong = nul == std::string::npos;
    return SettingsFileLoad::kNotWhole;
  }
  if (HasNonAscii(text) && codepage::IsValidUtf8(text))
    ConvertUtf8Lines(text, out);
  else
    out->text = std::move(text);
  return SettingsFileLoad::kOk;
}

SettingsFileLoad ReadSettingsFile(const std::string& path, SettingsText* out, int* osError) {
  std::string bytes;
  const SettingsFileLoad result = ReadFileBytes(path, &bytes, osError);
  // A file that is too long is still decoded, for the header and the line.
  if (result != SettingsFileLoad::kOk && result != SettingsFileLoad::kNotWhole) return result;
  return DecodeSettingsBytes(bytes, out);
}

std::string DescribeNotWhole(const SettingsText& file) {
  const std::string format =
      strings::Text(file.tooLong ? strings::id::kSettingsFileTooLong : strings::id::kSettingsFileNulByte);
  char line[256];
  std::snprintf(line, sizeof line, format.c_str(), static_cast<long>(file.brokenLine));
  return strings::Text(strings::id::kNotValidFile) + "\r\n" + line;
}

std::vector<ValueProblem> CheckTickedItems(const SettingsText& file, const std::vector<int>& tickedItems,
                                           DeviceRecord* record) {
  using namespace value_checks;
  std::vector<ValueProblem> problems;
  Checker c(file, &problems);

  if (Ticked(tickedItems, kItemBatteryAlert)) c.Check("BATTERY_ALART", IntValue(BatteryProblem));

  std::optional<std::string> auth;
  if (Ticked(tickedItems, kItemAccessPoint)) {
    for (const char* key : {"AP_NAME", "AP_USER", "AP_PASS"}) c.Check(key, Plain(AccessPointText));
    c.Check("AP_AUTH", [&auth](const std::string& v, std::string*) {
      auth = CanonicalAuth(v);
      return auth.has_value();
    });
  }

  if (Ticked(tickedItems, kItemJudgement)) c.Check("ALM_AD,0", ThresholdFields, "ALM_AD");

  if (Ticked(tickedItems, kItemMeasurement)) {
    c.Check("MES_ENABLE", [](const std::string& v, std::string*) { return IntWhere(v, JudgementFlagOk); });
    c.Check("MES_START_TIME", [](const std::string& v, std::string* reason) {
      const std::optional<CSdlTime> start = StartTimeFromText(v);
      if (!start) return false;
      *reason = StartTimeProblem(*start);
      return reason->empty();
    });
    for (const char* key : {"MES_INTERVAL_TIME", "MES_INTERVAL_EVENT_TIME"}) c.Check(key, IntValue(IntervalProblem));
    for (const char* key : {"MES_INTERVAL_NUM", "MES_INTERVAL_EVENT_NUM"}) c.Check(key, IntValue(TransmissionProblem));
  }

  if (problems.empty() && auth && record != nullptr) record->mail.apnAuth = *auth;
  return problems;
}

std::string DescribeProblems(const std::vector<ValueProblem>& problems) {
  std::string message = strings::Text(strings::id::kNotValidFile);
  const std::string format = strings::Text(strings::id::kImportValueProblem);
  for (const ValueProblem& p : problems) {
    // The reason names the value itself; a value without one is shown as found.
    const char* shown = p.reason.empty() ? p.value.c_str() : p.reason.c_str();
    const int n = std::snprintf(nullptr, 0, format.c_str(), p.key.c_str(), p.line, shown);
    std::string line(n > 0 ? static_cast<size_t>(n) : 0, '\0');
    if (n > 0) std::snprintf(&line[0], line.size() + 1, format.c_str(), p.key.c_str(), p.line, shown);
    message += "\r\n" + line;
  }
  return message;
}

}  // namespace settings_import
