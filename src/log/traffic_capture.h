#pragma once
// Traffic capture: every byte that crosses the serial line passes through the
// application log object, which keeps the most recent bytes in a ring of
// 16-bit cells (low byte the character, high byte 0 received / 1 sent),
// copies them unchanged into a recording file while one is open, and then
// notifies the terminal window.
#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "link/traffic_sink.h"

// The capture ring.
class CTLogBuffer {
 public:
  static constexpr int32_t kCells = 0x100000;

  CTLogBuffer() = default;
  virtual ~CTLogBuffer() = default;

  // Sizes the ring to kCells zero cells. Returns 1 on success, 0 without memory.
  int Allocate();
  // Stores the non-zero bytes of a chunk with the given mark (0 or 1).
  void Add(const uint8_t* bytes, uint32_t length, uint8_t mark);
  // Moves every cell written since the last take into the snapshot and
  // returns how many there are.
  int32_t TakePending();
  // The cells of the last take; read on the taking thread before the next take.
  const std::vector<uint16_t>& Snapshot() const { return snapshot_; }

  int32_t PendingCount() const;
  int32_t ReadPosition() const;
  int32_t WritePosition() const;

 private:
  // Stores a run without NULs (ring lock held).
  void StoreRun(const uint8_t* bytes, uint32_t length, uint16_t high);

  mutable std::mutex ring_lock_;
  std::vector<uint16_t> cells_;
  std::vector<uint16_t> snapshot_;
  int32_t read_pos_ = 0;
  int32_t write_pos_ = 0;
  int32_t pending_ = 0;
};

// A recording file written byte for byte.
class CMLogFile {
 public:
  CMLogFile() = default;
  virtual ~CMLogFile();
  CMLogFile(const CMLogFile&) = delete;
  CMLogFile& operator=(const CMLogFile&) = delete;

  // Writes and flushes the bytes, so that the file on disk is complete after
  // every captured chunk (a reader following it sees the traffic at once, and
  // a crash loses nothing).
  virtual void Write(const void* bytes, uint32_t length);

  // Opens the file for appending (existing contents stay). Returns 1 when
  // open; 0 when not, with the system's reason in OpenError().
  int OpenFile(const std::string& path);
  // The errno of the last OpenFile that failed (0 after one that succeeded).
  int OpenError() const;
  void CloseFile();
  bool IsFileOpen() const;
  std::string FilePath() const;

 protected:
  mutable std::mutex file_lock_;
  std::string path_;
  std::FILE* file_ = nullptr;
  int open_error_ = 0;
};

// The application log object; the port hands it the traffic as its sink.
class CMLog : public CMLogFile, public TrafficSink {
 public:
  // Command id of the notification to the terminal window.
  static constexpr unsigned kTerminalNotifyId = 505;
  using NotifyTarget = std::function<void(unsigned commandId)>;

  CMLog() = default;
  ~CMLog() override;

  void Write(const void* bytes, uint32_t length) override;

  // Stores the bytes in the ring and the recording file, then notifies.
  void AddTraffic(const uint8_t* bytes, uint32_t length, uint8_t mark);
  // Received bytes are stored with mark 0, sent and typed ones with mark 1.
  void Capture(const void* bytes, uint32_t length, TrafficDirection direction) override;

  // The target is called after every capture, on the capturing thread, with
  // no lock held; it must only queue work for its own thread. An empty
  // target with id 0 clears it.
  void SetNotifyTarget(NotifyTarget target, unsigned commandId);

  CTLogBuffer& Ring() { return ring_; }

 private:
  CTLogBuffer ring_;
  std::mutex outer_lock_;
  std::mutex notify_lock_;
  std::shared_ptr<const NotifyTarget> notify_;
  unsigned notify_id_ = 0;
};
