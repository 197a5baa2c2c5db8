#include "protocol/listing_parsers.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr int64_t kNumberCap = int64_t{1} << 40;  // keeps runaway digit strings finite

// Pieces of a text split at any of the separator characters, empty pieces skipped.
std::vector<std::string> SplitAny(const std::string& text, const char* separators) {
  std::vector<std::string> parts;
  std::string current;
  for (char c : text) {
    if (std::strchr(separators, c) != nullptr && c != '\0') {
      if (!current.empty()) parts.push_back(current);
      current.clear();
    } else {
      current += c;
    }
  }
  if (!current.empty()) parts.push_back(current);
  return parts;
}

int ToInt(const std::string& s) {
  const long long v = std::strtoll(s.c_str(), nullptr, 10);
  if (v > INT_MAX) return INT_MAX;
  if (v < INT_MIN) return INT_MIN;
  return static_cast<int>(v);
}

double ToDouble(const std::string& s) { return std::strtod(s.c_str(), nullptr); }

// The integer part of a number, held within the range of int.
int TruncateToInt(double v) {
  if (!(v == v)) return 0;  // NaN
  if (v >= static_cast<double>(INT_MAX)) return INT_MAX;
  if (v <= static_cast<double>(INT_MIN)) return INT_MIN;
  return static_cast<int>(v);
}

void CopyText(char (&dest)[64], const std::string& value) { std::snprintf(dest, sizeof dest, "%s", value.c_str()); }

}  // namespace

int ParseDuration(const char* text) {
  if (text == nullptr) return 0;
  int64_t total = 0, unit = 0, number = 0;
  for (const char* p = text; *p != '\0'; ++p) {
    int64_t u = 0;
    switch (*p) {
      case 'D': u = 86400; break;
      case 'H': u = 3600; break;
      case 'M': u = 60; break;
      case 'S': u = 1; break;
      default: break;
    }
    if (u != 0 && u != unit) {
      total += number * unit;
      if (total > kNumberCap) total = kNumberCap;
      unit = u;
      number = 0;
    } else if (*p >= '0' && *p <= '9') {
      if (number < kNumberCap) number = number * 10 + (*p - '0');
    }
  }
  total += number * unit;
  return total > INT_MAX ? INT_MAX : static_cast<int>(total);
}

std::string FormatDuration(int seconds) {
  if (seconds < 0) seconds = 0;
  char buf[32];
  std::snprintf(buf, sizeof buf, "D%02dH%02dM%02dS%02d", (seconds / 86400) % 100, (seconds / 3600) % 24,
                (seconds / 60) % 60, seconds % 60);
  return buf;
}

void SplitKeyValue(const std::string& line, std::string* key, std::string* value) {
  size_t start = line.find_first_not_of(' ');
  if (start == std::string::npos) start = line.size();
  const size_t blank = line.find(' ', start);
  if (blank == std::string::npos) {
    *key = line.substr(start);
    value->clear();
  } else {
    *key = line.substr(start, blank - start);
    *value = line.substr(blank + 1);
  }
}

void ParseSysInfoLine(const std::string& line, CVT7SysInfo* info) {
  std::string key, value;
  SplitKeyValue(line, &key, &value);
  if (key == "STM") {
    info->startTime.Parse(value.c_str());
  } else if (key == "TIM") {
    info->clock.Parse(value.c_str());
  } else if (key == "NEX") {
    info->nextTime.Parse(value.c_str());
  } else if (key == "SMP") {
    info->sampling = ParseDuration(value.c_str());
  } else if (key == "SMP2") {
    info->eventSampling = ParseDuration(value.c_str());
  } else if (key == "ITV") {
    info->interval = ToInt(value);
  } else if (key == "ITV2") {
    info->eventInterval = ToInt(value);
  } else if (key == "BAT") {
    info->batteryAlert = value.size() > 4 ? TruncateToInt(ToDouble(value.substr(4))) : 0;
  } else if (key == "ID") {
    const auto parts = SplitAny(value, " -()");
    if (parts.size() >= 3) {
      info->firstId = ToInt(parts[0]);
      info->lastId = ToInt(parts[1]);
      info->id3 = ToInt(parts[2]);
    }
  } else if (key == "ALM") {
    const auto words = SplitAny(value, " ");
    if (words.size() >= 5) {
      info->upperThreshold = ToDouble(words[1]);
      info->lowerThreshold = ToDouble(words[2]);
      info->upperEnabled = words[3] == "ON" ? 1 : 0;
      info->lowerEnabled = words[4] == "ON" ? 1 : 0;
    }
  } else if (key == "BLD") {
    CopyText(info->build, value);
  } else if (key == "SN") {
    CopyText(info->serialNumber, value);
  } else if (key == "MEASURING") {
    info->measuring = 1;
  } else if (key == "STOP") {
    info->measuring = 0;
  }
}

void ParseMailInfoLine(const std::string& line, CVT7MailInfo* info) {
  std::string key, value;
  SplitKeyValue(line, &key, &value);
  static const struct {
    const char* key;
    std::string CVT7MailInfo::*field;
  } kFields[] = {{"APN", &CVT7MailInfo::apn},     {"APU", &CVT7MailInfo::apnUser}, {"APP", &CVT7MailInfo::apnPassword},
                 {"APA", &CVT7MailInfo::apnAuth}, {"IMEI", &CVT7MailInfo::imei},   {"MYDIAL", &CVT7MailInfo::myDial},
                 {"HOST", &CVT7MailInfo::host},   {"PORT", &CVT7MailInfo::port},   {"POST", &CVT7MailInfo::post}};
  for (const auto& f : kFields)
    if (key == f.key) {
      info->*f.field = value;
      return;
    }
}

void ParseIdentityLine(const char* line, int length, std::string* deviceName, std::string* version) {
  if (line == nullptr || length <= 0) return;
  const std::string text(line, static_cast<size_t>(length));
  const size_t ver = text.find("Ver[");
  if (ver == std::string::npos) return;
  const size_t name_len = ver > 0 ? ver - 1 : 0;
  *deviceName = text.substr(0, name_len < 19 ? name_len : 19);
  std::string v;
  for (size_t i = ver + 4; i < text.size() && text[i] != ']' && v.size() < 19; ++i)
    if (text[i] != '\0') v += text[i];
  *version = v;
}

int SplitKeepingEmptyFields(const std::string& text, std::vector<std::string>* fields) {
  fields->clear();
  if (text.empty()) return 0;
  std::string current;
  for (char c : text) {
    if (c == ',') {
      fields->push_back(current);
      current.clear();
    } else if (c != '\r' && c != '\n') {
      current += c;
    }
  }
  if (!text.empty() && text.back() != ',') fields->push_back(current);
  return static_cast<int>(fields->size());
}
