#pragma once
// Value records of what the logger reports about itself and what the user
// wants to set. Plain values: they own their strings and copy member by member.
#include <cstdint>
#include <string>

// A calendar date and time as the logger writes it.
struct CSdlTime {
  int32_t year = 0;
  int32_t month = 0;
  int32_t day = 0;
  int32_t hour = 0;
  int32_t minute = 0;
  int32_t second = 0;

  // Takes "yy/mm/dd hh:mm:ss" (pairs at 0,3,6,9,12,15). Returns 1 when taken,
  // 0 when the text is 16 characters or shorter (value unchanged).
  int Parse(const char* text);

  // Seconds since the epoch, reading the fields as local standard time (no
  // daylight-saving adjustment), after the clamping rules of the logger's
  // dates. Returns -1 for a value that is still not a date after clamping.
  int64_t ToTime() const;

  // The inverse of ToTime(): the calendar fields of a moment in local
  // standard time.
  static CSdlTime FromTime(int64_t seconds);

  bool operator==(const CSdlTime& o) const {
    return year == o.year && month == o.month && day == o.day && hour == o.hour && minute == o.minute &&
           second == o.second;
  }
  bool operator!=(const CSdlTime& o) const { return !(*this == o); }
};

// The logger's system and measurement state ("RD SYS").
struct CVT7SysInfo {
  int32_t deviceType = 0;
  int32_t measuring = 0;
  int32_t firstId = 0;
  int32_t lastId = 0;
  int32_t id3 = 0;
  CSdlTime startTime;
  CSdlTime clock;
  CSdlTime nextTime;
  int32_t sampling = 0;       // seconds
  int32_t eventSampling = 0;  // seconds
  int32_t interval = 0;       // measurements per transmission, 0 = none
  int32_t eventInterval = 0;  // measurements per transmission, 0 = none
  int32_t batteryAlert = 0;   // millivolts
  double upperThreshold = 2.5;
  double lowerThreshold = -2.5;
  int32_t upperEnabled = 1;
  int32_t lowerEnabled = 1;
  char build[64] = {};
  char serialNumber[64] = {};
};

// The logger's access point and transmission settings ("MAIL DSP"), as
// single-byte text in the logger's code page.
struct CVT7MailInfo {
  std::string apn;
  std::string apnUser;
  std::string apnPassword;
  std::string apnAuth;
  std::string imei;
  std::string myDial;
  std::string host;
  std::string port;
  std::string post;
};

constexpr int kSettingItemCount = 23;

// One logger's state: system information and mail settings, with the
// presence flags that a settings file import sets per setting item.
struct DeviceRecord {
  uint16_t itemPresent[kSettingItemCount] = {};
  CVT7SysInfo sys;
  CVT7MailInfo mail;
};
