#pragma once
// Results of the command exchange operations (0 is success).
namespace rc {
constexpr int kOk = 0;
constexpr int kNoReply = 1;      // no port, closed, write failed, or no line in time
constexpr int kUnexpected = 2;   // a line that is neither the expected text nor the refusal
constexpr int kNoWake = 3;       // wake-up: no line at all
constexpr int kTimeout = 4;      // total or inactivity time-out of a long exchange
constexpr int kDataLine = 5;     // record readout: a data line; listings: out of memory
constexpr int kEndLine = 6;      // record readout: the end or refusal line
constexpr int kLineLost = 7;     // the line hung up or the device went away (CRSPort::LineLost)
constexpr int kRefused = 240;    // "NOT END" (also "NG", "*>RX:ERROR")
constexpr int kAborted = 241;    // the abort event was set
constexpr int kEndOfList = 243;  // the closing "YES END" of a listing
}  // namespace rc
