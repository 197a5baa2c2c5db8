#pragma once
// Why a serial port could not be opened: the operating system's own reason
// beside the result code of CRSPort::Open, and the kind of fault, which
// selects a hint for the operator.
#include <string>

struct PortOpenError {
  enum Fault {
    kNone,
    kNoSuchDevice,      // the path names nothing
    kNotSerial,         // it exists but is no serial device (a plain file)
    kPermissionDenied,  // the user may not open it
    kInUse,             // another program has it open
    kOther,
  };

  int code = 0;  // the result of CRSPort::Open (0xF1, 0xF2 or 0xF3)
  Fault fault = kNone;
  int systemError = 0;  // errno or the Windows error number
  std::string reason;   // the system's text for systemError (UTF-8)
  std::string group;    // for kPermissionDenied: the group that may open it
};

// The reason and the hint as the operator reads them below the "cannot be
// opened" message: "(path: reason)" and, where one helps, a hint line.
std::string DescribePortOpenError(const PortOpenError& error, const std::string& path);
