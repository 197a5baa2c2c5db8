#pragma once
// The one serial connection to the logger: opens the device with the line
// settings, runs a reader thread that feeds the traffic capture and then the
// receive line buffer, and writes with a bounded wait. The operating system's
// part is a SerialDevice.
#include <atomic>
#include <cstdint>
#include <future>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "link/port_open_error.h"
#include "link/read_data.h"
#include "link/serial_device.h"
#include "link/serial_settings.h"
#include "link/traffic_sink.h"

class CRSPort {
 public:
  // Results of Open().
  static constexpr int kOpenOk = 0;
  static constexpr int kOpenFailed = 0xF1;
  static constexpr int kConfigFailed = 0xF2;
  static constexpr int kSettingsUnreadable = 0xF3;

  // The most the reader takes from the device at once. A pseudo-terminal
  // hands over a fast listing in far fewer wake-ups with a large read.
  static constexpr int kReadChunk = 65536;

  CRSPort();
  explicit CRSPort(std::unique_ptr<SerialDevice> device);
  ~CRSPort();
  CRSPort(const CRSPort&) = delete;
  CRSPort& operator=(const CRSPort&) = delete;

  // Opens the device path exclusively with the given settings and starts the
  // reader thread. Returns one of the codes above; on failure LastOpenError()
  // tells why.
  int Open(const std::string& path, const SerialSettings& settings);
  // Why the last Open() failed (fault kNone after a successful one).
  const PortOpenError& LastOpenError() const { return open_error_; }

  // Stops the reader thread, lets the bytes written leave (bounded wait),
  // empties the buffers and closes the device. Returns 1 always.
  int Close();

  // Writes bytes (length 0: up to the first NUL). purge == 1 first lets the
  // bytes written before leave (bounded wait), then drops everything received
  // and empties the line buffer. Returns 1 when every byte was written within
  // the write limit, 0 otherwise (also once the line is lost).
  int Write(const void* bytes, uint32_t length, int purge);

  // Where the traffic goes (none: not captured). The sink must outlive the
  // port or be replaced first; set it while the port is closed.
  void SetTrafficSink(TrafficSink* sink) { sink_.store(sink); }
  // Hands bytes sent by the caller to the sink; received bytes are handed on
  // by the reader thread itself, each chunk before the line buffer has it.
  void Capture(const void* bytes, uint32_t length, TrafficDirection direction);

  // False once the line is lost, although the device stays open until Close().
  bool IsOpen() const { return device_->IsOpen() && !lost_.load(); }
  // The line hung up or the device went away while open: the reader has
  // stopped, and every wait of the line buffer ends at once (lines already
  // stored are still taken). Cleared by the next Open().
  bool LineLost() const { return lost_.load(); }
  // The system's error number and text of the loss (0 and empty while not lost).
  int LineLostError() const { return lost_error_.load(); }
  std::string LineLostReason() const;
  // True while lines can still be taken: the port is open, or its line was
  // lost with complete lines still stored.
  bool LinesMayCome() const;
  // The device handle as a number; -1 while closed.
  intptr_t Handle() const { return device_->NativeHandle(); }
  const std::string& Path() const { return path_; }

  // The line buffer; exists from the first open on.
  CReadData* LineBuffer() { return line_buffer_.get(); }
  // Held by the command layer for one whole command/reply exchange.
  std::recursive_mutex& ExchangeLock() { return exchange_lock_; }

  // An exchange that ended without its reply may leave the rest of that reply
  // on its way: the next command first waits for the line to go quiet.
  void MarkUnsettled() { unsettled_.store(true); }
  // Reads and clears the mark.
  bool TakeUnsettled() { return unsettled_.exchange(false); }

  // True while the reader thread runs (for tests).
  bool ReaderRunning() const { return reader_.joinable(); }

 private:
  // Purges once, tells the opening thread so, then reads until stopped.
  void ReadThread(std::promise<void> purged);
  // Lets the bytes written leave, then drops what was received.
  void Purge();
  // Waits (bounded) until the bytes written have left; what is still queued
  // at the limit is dropped, so that closing never blocks on a stuck line.
  void SettleOutput();
  void MarkLineLost(int systemError);

  std::unique_ptr<SerialDevice> device_;
  PortOpenError open_error_;
  std::string path_;
  SerialSettings settings_;
  std::unique_ptr<CReadData> line_buffer_;
  std::thread reader_;
  std::atomic<int32_t> running_{0};
  std::atomic<bool> unsettled_{false};
  std::atomic<bool> lost_{false};
  std::atomic<int> lost_error_{0};
  std::atomic<TrafficSink*> sink_{nullptr};
  std::mutex io_lock_;  // keeps the device open while a write uses it
  std::recursive_mutex exchange_lock_;
};
