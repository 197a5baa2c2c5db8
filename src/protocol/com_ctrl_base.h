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

// The single abort byte that stops a running listing.
constexpr char kAbortByte = 0x1B;

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
  virtual int SendCommandAbortableExpect(CRSPort* port, const char* line, const char* expected, const AbortEvent* abort,
                                         uint32_t totalMs);

  const std::string& Version() const { return version_; }
  const std::string& DeviceName() const { return device_name_; }
  void SetIdentity(const std::string& deviceName, const std::string& version);
  void ClearDeviceName() { device_name_.clear(); }

  // Sends the abort byte (no purge, no exchange lock: a listing is being
  // read), which stops a listing in progress.
  static void SendAbort(CRSPort* port);

 protected:
  // Hands the line to the traffic capture and writes it with purge. After an
  // exchange that failed, the line must first be quiet for a moment (bounded),
  // so that a late tail of that reply is purged, not taken as this reply.
  // Returns rc::kOk, rc::kLineLost when the line is lost, or rc::kNoReply
  // when the port is closed or the write failed.
  static int SendLine(CRSPort* port, const char* line);
  // One line from the receive buffer, then one run of the message pump.
  // Returns its length; 0 for no line and for an empty line alike. A line
  // that does not fit the buffer is cut (*cut set when given).
  static int ReadLine(CRSPort* port, char* buffer, int size, uint32_t timeoutMs, bool* cut = nullptr);
  // Marks the line unsettled when the exchange ended without its reply.
  // Returns result, or rc::kLineLost when no reply came because the line
  // was lost.
  static int Outcome(CRSPort* port, int result);
  // Case-insensitive comparison over the length of the expected text.
  static bool Matches(const char* line, const char* expected);

  // The handshake of Hello() without its drain.
  int Handshake(CRSPort* port, char* buffer, int* size);
  // Reads lines until one read brings nothing. False when lines still kept
  // coming after the drain limit.
  static bool Drain(CRSPort* port);

  std::string version_;
  std::string device_name_;  // at most 19 characters
};
