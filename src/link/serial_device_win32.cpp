// The serial device on Windows: an exclusive overlapped handle to COMn, the
// driver's queues, time-outs and DCB, and an event that ends the reader's
// wait at once.
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstring>

#include "common/os_error.h"
#include "link/rs_port.h"
#include "link/serial_device.h"

namespace {

constexpr DWORD kInputQueue = 4096;
constexpr DWORD kOutputQueue = 256;
constexpr size_t kReadChunk = 4096;
constexpr DWORD kDrainPollMs = 5;

// "COM5" and "com12" become "\\.\COM5" and "\\.\com12"; a path that already
// names a device or a file is taken as it is.
std::string DevicePath(const std::string& path) {
  if (path.compare(0, 4, "\\\\.\\") == 0 || path.find_first_of("\\/:") != std::string::npos) return path;
  return "\\\\.\\" + path;
}

// The name of the lock that marks a port as taken by one of these programs.
std::string LockName(const std::string& devicePath) {
  std::string name = "Local\\quorvane-hx-port-";
  for (char c : devicePath.substr(devicePath.compare(0, 4, "\\\\.\\") == 0 ? 4 : 0))
    name += c == '\\' ? '_' : static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
  return name;
}

PortOpenError::Fault FaultOfCreate(DWORD err) {
  switch (err) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_BAD_NETPATH:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_UNIT:
    case ERROR_DEV_NOT_EXIST: return PortOpenError::kNoSuchDevice;
    // A COM port that another program holds answers "access denied".
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_BUSY: return PortOpenError::kInUse;
    default: return PortOpenError::kOther;
  }
}

void Fail(PortOpenError* error, int code, PortOpenError::Fault fault, DWORD err) {
  if (error == nullptr) return;
  error->code = code;
  error->fault = fault;
  error->systemError = static_cast<int>(err);
  error->reason = OsErrorText(static_cast<int>(err));
}

BYTE StopBitsOf(uint8_t stopBits) {
  switch (stopBits) {
    case SerialSettings::kOneAndHalfStopBits: return ONE5STOPBITS;
    case SerialSettings::kTwoStopBits: return TWOSTOPBITS;
    default: return ONESTOPBIT;
  }
}

BYTE ParityOf(uint8_t parity) {
  switch (parity) {
    case SerialSettings::kOddParity: return ODDPARITY;
    case SerialSettings::kEvenParity: return EVENPARITY;
    default: return NOPARITY;
  }
}

class Win32SerialDevice final : public SerialDevice {
 public:
  Win32SerialDevice() {
    read_.hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    stop_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    write_event_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  }

  ~Win32SerialDevice() override {
    Close();
    for (HANDLE h : {read_.hEvent, stop_, write_event_})
      if (h != nullptr) CloseHandle(h);
  }

  int Open(const std::string& path, const SerialSettings& settings, PortOpenError* error) override {
    Close();
    if (read_.hEvent == nullptr || stop_ == nullptr || write_event_ == nullptr) {
      Fail(error, CRSPort::kOpenFailed, PortOpenError::kOther, ERROR_NOT_ENOUGH_MEMORY);
      return CRSPort::kOpenFailed;
    }
    // No sharing. The driver keeps other programs out; a named lock per port
    // also keeps out another copy of this program where the driver does not
    // (Wine's serial ports, some virtual port drivers).
    const std::string device = DevicePath(path);
    port_lock_ = CreateMutexA(nullptr, FALSE, LockName(device).c_str());
    if (port_lock_ == nullptr || GetLastError() == ERROR_ALREADY_EXISTS) {
      ReleasePortLock();
      Fail(error, CRSPort::kOpenFailed, PortOpenError::kInUse, ERROR_BUSY);
      return CRSPort::kOpenFailed;
    }
    const HANDLE h = CreateFileA(device.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                 FILE_FLAG_OVERLAPPED, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
      const DWORD err = GetLastError();
      ReleasePortLock();
      Fail(error, CRSPort::kOpenFailed, FaultOfCreate(err), err);
      return CRSPort::kOpenFailed;
    }
    handle_.store(h);
    ResetEvent(stop_);

    // Driver queues, reduced to what the driver says it can hold.
    COMMPROP prop{};
    if (!GetCommProperties(h, &prop)) return FailAfterOpen(error, CRSPort::kConfigFailed, PortOpenError::kNotSerial);
    DWORD in = kInputQueue, out = kOutputQueue;
    if (prop.dwMaxRxQueue != 0 && prop.dwMaxRxQueue < in) in = prop.dwMaxRxQueue;
    if (prop.dwMaxTxQueue != 0 && prop.dwMaxTxQueue < out) out = prop.dwMaxTxQueue;
    if (!SetupComm(h, in, out)) return FailAfterOpen(error, CRSPort::kConfigFailed, PortOpenError::kOther);
    if (!(prop.dwProvCapabilities & PCF_TOTALTIMEOUTS)) {
      SetLastError(ERROR_NOT_SUPPORTED);
      return FailAfterOpen(error, CRSPort::kConfigFailed, PortOpenError::kOther);
    }

    // A read waits for its bytes (up to 10 s per byte); a write up to 3 s per byte.
    COMMTIMEOUTS timeouts{};
    if (!GetCommTimeouts(h, &timeouts)) return FailAfterOpen(error, CRSPort::kConfigFailed, PortOpenError::kOther);
    timeouts.ReadIntervalTimeout = MAXDWORD;
    timeouts.ReadTotalTimeoutMultiplier = 10000;
    timeouts.ReadTotalTimeoutConstant = 10;
    timeouts.WriteTotalTimeoutMultiplier = 3000;
    timeouts.WriteTotalTimeoutConstant = 10;
    if (!SetCommTimeouts(h, &timeouts)) return FailAfterOpen(error, CRSPort::kConfigFailed, PortOpenError::kOther);

    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    if (!GetCommState(h, &dcb)) return FailAfterOpen(error, CRSPort::kSettingsUnreadable, PortOpenError::kNotSerial);
    dcb.BaudRate = settings.baudRate;
    dcb.ByteSize = settings.dataBits;
    dcb.Parity = ParityOf(settings.parity);
    dcb.StopBits = StopBitsOf(settings.stopBits);
    // A binary line without flow control; DTR stays off as the logger expects.
    dcb.fBinary = TRUE;
    dcb.fParity = settings.parity != SerialSettings::kNoParity;
    dcb.fOutxCtsFlow = settings.outxCtsFlow;
    dcb.fOutxDsrFlow = settings.outxDsrFlow;
    dcb.fDsrSensitivity = settings.dsrSensitivity;
    dcb.fOutX = settings.outX;
    dcb.fInX = settings.inX;
    dcb.fRtsControl = settings.rtsControl;
    dcb.fDtrControl = DTR_CONTROL_DISABLE;
    dcb.fErrorChar = FALSE;
    dcb.fNull = FALSE;
    dcb.fAbortOnError = FALSE;
    if (settings.baudRate > prop.dwMaxBaud ||
        (settings.parity == SerialSettings::kOddParity && !(prop.dwProvCapabilities & PCF_PARITY_CHECK))) {
      SetLastError(ERROR_NOT_SUPPORTED);
      return FailAfterOpen(error, CRSPort::kConfigFailed, PortOpenError::kOther);
    }
    SetCommState(h, &dcb);  // the outcome is not used, as on the original driver
    return CRSPort::kOpenOk;
  }

  void Close() override {
    const HANDLE h = handle_.exchange(INVALID_HANDLE_VALUE);
    if (h == INVALID_HANDLE_VALUE) {
      ReleasePortLock();
      return;
    }
    if (pending_) {
      // The reader has ended; its read must finish before the handle goes.
      CancelIoEx(h, &read_);
      DWORD ignored = 0;
      GetOverlappedResult(h, &read_, &ignored, TRUE);
      pending_ = false;
    }
    DWORD errors = 0;
    ClearCommError(h, &errors, nullptr);
    PurgeComm(h, PURGE_RXABORT | PURGE_RXCLEAR);
    CloseHandle(h);
    ReleasePortLock();
  }

  bool IsOpen() const override { return handle_.load() != INVALID_HANDLE_VALUE; }
  intptr_t NativeHandle() const override {
    const HANDLE h = handle_.load();
    return h == INVALID_HANDLE_VALUE ? -1 : reinterpret_cast<intptr_t>(h);
  }

  void PurgeInput() override {
    const HANDLE h = handle_.load();
    if (h != INVALID_HANDLE_VALUE) PurgeComm(h, PURGE_RXABORT | PURGE_RXCLEAR);
  }

  void PurgeOutput() override {
    const HANDLE h = handle_.load();
    if (h != INVALID_HANDLE_VALUE) PurgeComm(h, PURGE_TXABORT | PURGE_TXCLEAR);
  }

  bool DrainOutput(std::chrono::steady_clock::duration limit) override {
    // FlushFileBuffers() cannot be bounded: the driver's output count is
    // watched instead.
    const HANDLE h = handle_.load();
    if (h == INVALID_HANDLE_VALUE) return false;
    const auto deadline = std::chrono::steady_clock::now() + limit;
    for (;;) {
      DWORD errors = 0;
      COMSTAT stat{};
      if (!ClearCommError(h, &errors, &stat)) return false;
      if (stat.cbOutQue == 0) return true;
      if (std::chrono::steady_clock::now() >= deadline) return false;
      Sleep(kDrainPollMs);
    }
  }

  void ReaderStarted() override {
    ResetEvent(stop_);
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_HIGHEST);
  }

  int Read(uint8_t* buffer, size_t size, int sliceMs, int* systemError) override {
    const HANDLE h = handle_.load();
    if (h == INVALID_HANDLE_VALUE) return 0;
    if (!pending_) {
      // Ask for everything already waiting; with nothing waiting, leave a
      // one-byte read pending so that the first byte wakes this thread.
      DWORD errors = 0;
      COMSTAT stat{};
      if (!ClearCommError(h, &errors, &stat)) return Failed(GetLastError(), false, sliceMs, systemError);
      const DWORD want = static_cast<DWORD>(std::min<size_t>({stat.cbInQue ? stat.cbInQue : 1, size, kReadChunk}));
      ResetEvent(read_.hEvent);
      DWORD got = 0;
      if (ReadFile(h, chunk_, want, &got, &read_)) {
        // A read that ends at once without a byte would make the reader
        // spin: wait out the slice instead.
        if (got == 0) WaitForSingleObject(stop_, static_cast<DWORD>(sliceMs));
        return Deliver(buffer, got);
      }
      const DWORD err = GetLastError();
      if (err != ERROR_IO_PENDING) return Failed(err, false, sliceMs, systemError);
      pending_ = true;
    }
    const HANDLE events[2] = {read_.hEvent, stop_};
    const DWORD w = WaitForMultipleObjects(2, events, FALSE, static_cast<DWORD>(sliceMs));
    if (w != WAIT_OBJECT_0) return 0;  // slice over or woken: the read stays pending
    pending_ = false;
    DWORD got = 0;
    const BOOL ok = GetOverlappedResult(h, &read_, &got, FALSE);
    const DWORD err = ok ? 0 : GetLastError();
    DWORD errors = 0;
    ClearCommError(h, &errors, nullptr);
    if (ok) return Deliver(buffer, got);
    return Failed(err, true, sliceMs, systemError);
  }

  void WakeReader() override { SetEvent(stop_); }

  bool Write(const uint8_t* data, uint32_t length, std::chrono::steady_clock::duration limit) override {
    const HANDLE h = handle_.load();
    if (h == INVALID_HANDLE_VALUE) return false;
    OVERLAPPED ov{};
    ov.hEvent = write_event_;
    ResetEvent(write_event_);
    DWORD written = 0;
    bool ok = false;
    if (WriteFile(h, data, length, &written, &ov)) {
      ok = written == length;
    } else if (GetLastError() == ERROR_IO_PENDING) {
      const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(limit).count();
      WaitForSingleObject(write_event_, static_cast<DWORD>(std::max<long long>(ms, 0)));
      if (GetOverlappedResult(h, &ov, &written, FALSE)) {
        ok = written == length;
      } else if (GetLastError() == ERROR_IO_INCOMPLETE) {
        // Still going after the limit: the caller's bytes must not be used
        // once this returns, so the write is cancelled and waited for.
        CancelIoEx(h, &ov);
        GetOverlappedResult(h, &ov, &written, TRUE);
      }
    }
    ResetEvent(write_event_);
    return ok;
  }

 private:
  void ReleasePortLock() {
    if (port_lock_ != nullptr) CloseHandle(port_lock_);
    port_lock_ = nullptr;
  }

  int FailAfterOpen(PortOpenError* error, int code, PortOpenError::Fault fault) {
    const DWORD err = GetLastError();
    Close();
    Fail(error, code, fault, err);
    return code;
  }

  int Deliver(uint8_t* buffer, DWORD got) {
    std::memcpy(buffer, chunk_, got);
    return static_cast<int>(got);
  }

  // The errors of a port whose device was removed or whose driver gave it
  // up (a USB adapter pulled out).
  static bool LineLostError(DWORD err) {
    switch (err) {
      case ERROR_ACCESS_DENIED:
      case ERROR_BAD_COMMAND:
      case ERROR_DEVICE_REMOVED:
      case ERROR_DEVICE_NOT_CONNECTED:
      case ERROR_DEV_NOT_EXIST:
      case ERROR_FILE_NOT_FOUND:
      case ERROR_GEN_FAILURE:
      case ERROR_INVALID_HANDLE:
      case ERROR_NOT_READY: return true;
      default: return false;
    }
  }

  // A read that failed. A purge aborts the pending read: nothing was lost,
  // read again (a removed device fails the next call with its own error).
  // A read or query that is aborted as it starts has no purge behind it: the
  // driver gave the port up. Any other failure that does not mean a lost
  // line brings nothing this time; the slice is waited out on the stop
  // event, so that the reader never spins.
  int Failed(DWORD err, bool wasPending, int sliceMs, int* systemError) {
    if (err == ERROR_OPERATION_ABORTED && wasPending) return 0;
    if (err == ERROR_OPERATION_ABORTED || LineLostError(err)) {
      *systemError = static_cast<int>(err);
      return kLineLost;
    }
    WaitForSingleObject(stop_, static_cast<DWORD>(sliceMs));
    return 0;
  }

  std::atomic<HANDLE> handle_{INVALID_HANDLE_VALUE};
  OVERLAPPED read_{};
  bool pending_ = false;  // a read into chunk_ is in flight
  uint8_t chunk_[kReadChunk] = {};
  HANDLE stop_ = nullptr;
  HANDLE write_event_ = nullptr;
  HANDLE port_lock_ = nullptr;  // exists while this program holds the port
};

}  // namespace

std::unique_ptr<SerialDevice> CreateSerialDevice() { return std::make_unique<Win32SerialDevice>(); }
