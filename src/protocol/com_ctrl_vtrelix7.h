#pragma once
// The v-TRELIX7 command set on top of the framing.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "protocol/com_ctrl_base.h"

class CComCtrlVTrelix7 : public CComCtrlBase {
 public:
  // Lines a listing may bring: any listing, and the short ones that report
  // settings ("RD SYS", "MAIL DSP", "RD REL", "RD ANT", "MAIL IMEI").
  static constexpr size_t kListingLineLimit = 10000;
  static constexpr size_t kSettingsListingLineLimit = 100;

  int IsDeviceName(const char* name) override;

  virtual int SetBatteryCutoff(CRSPort* port, int millivolts);
  virtual int SetRssValue(CRSPort* port, int value);
  virtual int SetAveraging(CRSPort* port, int value);
  virtual int SetCalibration(CRSPort* port, const char* text);

  // Sends line (when not empty) and collects the listing up to "YES END" (0),
  // "NG"/"NOT END" (240) or inactivityMs of silence (4). Lines go to list.
  // A listing is bounded by what it can legitimately bring: a line that does
  // not fit 4095 bytes ends it with 2, more than maxLines lines with 5 (the
  // abort byte then stops whatever the logger is still sending).
  int ReadReplyLines(CRSPort* port, const char* line, std::vector<std::string>* list, uint32_t inactivityMs,
                     size_t maxLines = kListingLineLimit);
  // A command answered by "OK" and then a listing.
  int RequestListing(CRSPort* port, const char* line, uint32_t okTimeoutMs, std::vector<std::string>* list,
                     uint32_t inactivityMs, size_t maxLines = kListingLineLimit);

  // "ST <text>", expects "YES END" within 5000 ms.
  int SendSetting(CRSPort* port, const char* text);
  // "RD SYS" into info (only when the listing ended with "YES END").
  int ReadSystemInfo(CRSPort* port, CVT7SysInfo* info);
  // "MAIL INI [preset]": "OK", then the listing (60 s inactivity).
  int MailInit(CRSPort* port, const char* preset);
  // "MAIL IMEI": the decimal digits of the first line when it begins with "IMEI".
  int ReadImei(CRSPort* port, std::string* imei);

  // "RD ALL" with the range forms: firstId < 0 whole memory; count > 0 first
  // and count; otherwise from firstId.
  int ReadAllStart(CRSPort* port, int firstId, int count);
  // One record line: 5 with text = line + CR LF; 6 for the end or refusal
  // line (text unchanged); 1 when no line came within 3000 ms.
  int ReadRecordLine(CRSPort* port, std::string* text);
  // One line of a record listing as it came, without classifying it: its
  // length, 0 when no line came within waitMs (or an empty line). The
  // readout waits in short steps so that it notices an abort request soon.
  int ReadRawRecordLine(CRSPort* port, char* buffer, int size, uint32_t waitMs = 3000);
  // "RD ERR": appends each line of the error log followed by CR LF.
  int ReadErrorLog(CRSPort* port, std::string* text);

  // Module commands while the '#' filter is off.
  int SendModuleCommand(CRSPort* port, const char* line, const char* expected, int lineCount);
  int WaitForSleep(CRSPort* port, int lineCount);
  // "WEEP": "writing", then "OK" within 60 s.
  int WriteProgram(CRSPort* port);
};
