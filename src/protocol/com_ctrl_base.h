#pragma once
// The command/reply framing of the logger's line protocol. Every operation
// takes the port first, holds the port's exchange lock for the whole exchange,
// reports what it sends to the traffic capture, and returns a code of
// protocol/result_codes.h. Retries belong to the callers.
#include <cstdint>
#include <string>

#include "common/abort_event.h"
#include "protocol/device_record.h"
#include "protocol/result_codes.h"

class CRSPort;

class CComCtrlBase {
 public:
  CComCtrlBase() = default;
  virtual ~CComCtrlBase() = default;

  // Wake-up: "\r\nHELLO\r\n", expects "WAKE" and then the identity line,
  // which goes into buffer; *size is its capacity in and its length out.
  virtual int Hello(CRSPort* port, char* buffer, int* size);
  virtual int ResetDevice(CRSPort* port);
  virtual int SetRss(CRSPort* port, int value);
  virtual int SetIdle(CRSPort* port, int value);
  virtual int SetSampling(CRSPort* port, const int& seconds);
  virtual int StartMeasurementAt(CRSPort* port, const CSdlTime& start);
  virtual int StartMeasurement(CRSPort* port);
  virtual int StopMeasurement(CRSPort* port, int factor);
  virtual int ReadAllBegin(CRSPort* port, int firstId, int count, char* buffer, int size);
  virtual int ReadNextLine(CRSPort* port, char* buffer, int size);
  virtual int IsDeviceName(const char* name) = 0;
  virtual int ClearMemory(CRSPort* port, int tries);
  virtual int SendCommand(CRSPort* port, const char* line, uint32_t timeoutMs);
  virtual int SendCommandExpect(CRSPort* port, const char* line, const char* expected, uint32_t timeoutMs);
  virtual int SendCommandAbortable(CRSPort* port, const char* line, const AbortEvent* abort, uint32_t totalMs);
  virtual int SendCommandAbortableExpect(CRSPort* port, const char* line, const char* expected,
                                         const AbortEvent* abort, uint32_t totalMs);

  const std::string& Version() const { return version_; }
  const std::string& DeviceName() const { return device_name_; }
  void SetIdentity(const std::string& deviceName, const std::string& version);
  void ClearDeviceName() { device_name_.clear(); }

 protected:
  // Hands the line to the traffic capture and writes it with purge. Returns
  // rc::kOk, or rc::kNoReply when the port is closed or the write failed.
  static int SendLine(CRSPort* port, const char* line);
  // One line from the receive buffer, then one run of the message pump.
  // Returns its length; 0 for no line and for an empty line alike.
  static int ReadLine(CRSPort* port, char* buffer, int size, uint32_t timeoutMs);
  // Case-insensitive comparison over the length of the expected text.
  static bool Matches(const char* line, const char* expected);

  std::string version_;
  std::string device_name_;  // at most 19 characters
};
