#pragma once
// A virtual water-level logger on a pseudo-terminal. The program under test
// opens PortPath() like a serial device and talks the logger's line protocol;
// the logger answers from its own thread. Knobs inject the faults of a real
// line (refusals, silence, delays, split or paced output, noise, drops) and
// the test reads back what the logger received and what state it is in.
// All members are thread-safe.
//
// How this logger behaves where the protocol leaves a choice:
// - Record IDs run 1, 2, ... and after 99999 comes 0; "ST CLR" empties the
//   memory (first and last ID 0) and the next record is 1 again.
// - "RD ALL first [count]" with a first ID that the memory does not hold is
//   refused with "NOT END"; an empty memory answers "RD ALL" with "OK" and
//   "YES END". A count of 0, or one beyond the last record, reads to the last.
// - Lines that arrive during a record readout wait until it has ended (or an
//   ESC has cut it short).
// - Refused and silenced commands have no effect; both are still recorded.
// - "SRAMCLR", "MONITOR", "WEEP", "SYSINIT", "dbg ..." and the module lines
//   need the maintenance state ("INSPECT ON"); a successful "WEEP" restarts
//   the logger, which leaves that state; "ST RES" leaves it too.
// - "ST SMP" with a zero interval is refused.
// - A dropped line closes only after the client has read what was sent
//   before the drop (at most two seconds), as a real broken line would leave
//   the received bytes readable.
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "calendar.h"
#include "listing_fault.h"
#include "logger_types.h"

namespace vlogger {

class VirtualLogger {
 public:
  VirtualLogger();
  explicit VirtualLogger(const Options& options);
  ~VirtualLogger();
  VirtualLogger(const VirtualLogger&) = delete;
  VirtualLogger& operator=(const VirtualLogger&) = delete;

  // Opens the pseudo-terminal and starts serving. Returns once PortPath()
  // can be opened; false when no pseudo-terminal could be made.
  bool Start();
  // Ends the server thread (bounded time) and closes the line.
  void Stop();
  // The slave device path, e.g. "/dev/pts/7"; empty before Start().
  std::string PortPath() const;
  // False after a drop (or before Start / after Stop).
  bool IsOpen() const;
  // Makes a fresh pseudo-terminal available (a new path) after a drop, or
  // replaces the current one. The logger's state is kept.
  bool Reopen();
  // Waits until the line has been dropped.
  bool WaitForClosed(std::chrono::milliseconds timeout) const;
  std::string LastError() const;

  // ---- Line faults. Counts: n times, -1 always, 0 off. ----
  void RefuseNext(int count);  // "NOT END"
  void RefuseCommands(const std::string& prefix, int count);
  void SilenceNext(int count);  // no answer at all
  void SilenceCommands(const std::string& prefix, int count);
  // Pause before the first byte of every reply.
  void SetReplyDelay(std::chrono::milliseconds delay);
  // Output in writes of at most max_bytes with a gap between them (0: off);
  // the gap is waited with millisecond resolution, rounded up.
  void SetChunking(size_t max_bytes, std::chrono::microseconds gap);
  void SetLowerCase(bool on);
  // Module noise such as "#>RX:$NOISE" before the first line of each reply
  // and every `every` lines after it (empty line: off).
  void SetNoiseLine(const std::string& line, int every = 1);
  // Close the line when a command with this prefix arrives (it is recorded,
  // not answered), or after `count` more bytes of output (-1: off).
  void DropOnCommand(const std::string& prefix);
  void DropAfterBytes(int64_t count);
  // The logger reads nothing of the line for this long from now on (a busy
  // logger, or an adapter that has not passed the bytes on yet): what the
  // program writes meanwhile waits in the line, and is read afterwards even
  // when the program has closed its side by then.
  void HoldInput(std::chrono::milliseconds duration);
  // Send at the pace of 9600 baud.
  void SetPaced(bool on);
  // A record readout never ends on its own: after the newest record it
  // starts again from the oldest, and only an ESC ends it. It goes on while
  // nobody has the line open (the bytes are lost), as a logger does whose
  // client went away in the middle of a readout.
  void SetEndlessListing(bool on);
  // Record listings from now on come with this fault (a default-made one:
  // off).
  void SetListingFault(const ListingFault& fault);
  // The next `count` ESC bytes are ignored (-1: every one, 0: off).
  void IgnoreEsc(int count);
  // Noise from now on, in order with the replies: `bytes` of it (-1: until
  // StopFlood()). line_length 0: random bytes of every value; otherwise
  // random printable lines of that length (very long lines), CR LF ended.
  void StartFlood(int64_t bytes, size_t line_length = 0);
  void StopFlood();
  // The last line of the reply to the next `count` commands with this prefix
  // (-1: all) comes `delay` after the rest: a late reply tail.
  void SetLateTail(const std::string& prefix, std::chrono::milliseconds delay, int count = 1);

  // ---- Logger state. ----
  // Fills the memory with `count` records, IDs from first_id on (wrapping
  // after 99999 to 0), the newest on the sampling grid just before now.
  void PresetMemory(size_t count, int first_id = 1);
  // Time passes: `count` records are taken at the sampling interval after
  // the newest one, and the logger's clock moves on to the last of them.
  void AddRecords(size_t count);
  // Empties the memory as "ST CLR" does: the next record is ID 1.
  void ClearMemory();
  void SetIdentity(const std::string& name, const std::string& version, IdentityMode mode = IdentityMode::kWithVersion);
  // The "RD ANT" level; no value sends an empty listing.
  void SetAntennaLevel(std::optional<int> level);
  // What follows "IMEI" in the module's answers ("MAIL IMEI", "MAIL DSP").
  void SetImei(const std::string& imei);
  // Logger clock = host local time + offset.
  void SetClockOffset(std::chrono::seconds offset);
  // The module answers this line ("mon", "at$ver", "moff") with "*>RX:ERROR".
  void SetModuleError(const std::string& command, int count = -1);
  // The module never reports "#>RX:$SLEEP".
  void SetModuleNeverSleeps(bool on);
  void SetWeepMode(WeepMode mode);
  void SetErrorLog(const std::vector<std::string>& lines);
  // Writes raw bytes to the program under test, in order with the replies.
  void Inject(const std::string& bytes);

  // ---- Observation. ----
  // Every command line received, in order, without its line end.
  std::vector<std::string> ReceivedLines() const;
  // Every byte received (CR, LF and ESC included).
  std::string ReceivedBytes() const;
  void ClearReceived();
  // Wait until that many lines arrived / the condition holds; false on time-out.
  // A line counts once the logger has acted on it.
  bool WaitForReceived(size_t count, std::chrono::milliseconds timeout) const;
  bool WaitForReceived(const std::function<bool(const std::vector<std::string>&)>& condition,
                       std::chrono::milliseconds timeout) const;
  bool WaitForReceivedBytes(const std::function<bool(const std::string&)>& condition,
                            std::chrono::milliseconds timeout) const;
  uint64_t BytesSent() const;

  LoggerState State() const;
  CalendarTime Now() const;  // the logger's clock
  std::vector<std::string> FirmwareLines() const;

 private:
  class Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace vlogger
