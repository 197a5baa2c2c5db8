#pragma once
// The operating system's serial device as the port uses it. CRSPort keeps the
// reader thread, the line buffer and the order of every step; each platform
// supplies one implementation of this interface in its own file
// (serial_device_posix.cpp, serial_device_win32.cpp).
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "link/port_open_error.h"
#include "link/serial_settings.h"

class SerialDevice {
 public:
  virtual ~SerialDevice() = default;

  // Opens the device path exclusively and applies the line settings. Returns
  // one of CRSPort's open codes; on failure the device is closed again and
  // *error tells why.
  virtual int Open(const std::string& path, const SerialSettings& settings, PortOpenError* error) = 0;
  // Clears the error state, drops what was received and closes the device.
  // Bytes written and still queued are the caller's to drain or purge first.
  virtual void Close() = 0;
  virtual bool IsOpen() const = 0;

  // Drops what was received and not yet read.
  virtual void PurgeInput() = 0;
  // Drops what was written and not yet sent.
  virtual void PurgeOutput() = 0;
  // Waits until the bytes written have left the driver's output queue, at
  // most `limit`. False when some were still queued at the limit.
  virtual bool DrainOutput(std::chrono::steady_clock::duration limit) = 0;

  // Called on the reader thread when it starts (raises its priority).
  virtual void ReaderStarted() = 0;
  // Read() result: the line is lost (hung up, device removed).
  static constexpr int kLineLost = -1;
  // Reader thread only: waits up to sliceMs for received bytes and reads what
  // is waiting, at most size bytes. Returns the number read; 0 when the slice
  // ended or WakeReader() was called; kLineLost when the line hung up or the
  // device went away, with the system's error number in *systemError. Bytes
  // that arrived before a hang-up are returned first.
  virtual int Read(uint8_t* buffer, size_t size, int sliceMs, int* systemError) = 0;
  // Ends a Read() in progress at once; callable from any thread while open.
  virtual void WakeReader() = 0;

  // Writes every byte within the limit. False when not all were written.
  virtual bool Write(const uint8_t* bytes, uint32_t length, std::chrono::steady_clock::duration limit) = 0;

  // The platform's handle as a number, for diagnostics; -1 while closed.
  virtual intptr_t NativeHandle() const = 0;
};

// The implementation for the platform the program was built for.
std::unique_ptr<SerialDevice> CreateSerialDevice();
