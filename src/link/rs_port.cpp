#include "link/rs_port.h"

#include <cstring>
#include <future>
#include <vector>

#include "common/os_error.h"
#include "common/timing.h"

namespace {

constexpr int kReaderSliceMs = 200;
constexpr int64_t kWriteLimitMs = 10000;
constexpr int64_t kSettleMs = 500;
// The longest wait for written bytes to leave before a purge or close: an
// abort byte then reaches the logger even through an adapter's buffer.
constexpr int64_t kOutputDrainMs = 1000;

}  // namespace

CRSPort::CRSPort() : CRSPort(CreateSerialDevice()) {}

CRSPort::CRSPort(std::unique_ptr<SerialDevice> device) : device_(std::move(device)) {}

CRSPort::~CRSPort() { Close(); }

int CRSPort::Open(const std::string& path, const SerialSettings& settings) {
  if (IsOpen()) {
    if (path.empty()) return kOpenOk;
    if (path == path_ && settings.SameLine(settings_)) return kOpenOk;
  }
  settings_ = settings;
  path_ = path;
  Close();
  open_error_ = PortOpenError();
  lost_error_.store(0);
  lost_.store(false);

  if (!line_buffer_) {
    line_buffer_ = std::make_unique<CReadData>();
    if (!line_buffer_->Init()) {
      line_buffer_.reset();
      open_error_.code = kOpenFailed;
      open_error_.fault = PortOpenError::kOther;
      open_error_.reason = "no memory for the receive buffer";
      return kOpenFailed;
    }
  }

  int result;
  {
    std::lock_guard<std::mutex> io(io_lock_);
    result = device_->Open(path, settings, &open_error_);
  }
  if (result != kOpenOk) return result;

  Purge();
  line_buffer_->Resume();
  line_buffer_->ClearLost();
  if (!reader_.joinable()) {
    running_.store(1);
    std::promise<void> purged;
    std::future<void> readerReady = purged.get_future();
    reader_ = std::thread(&CRSPort::ReadThread, this, std::move(purged));
    // The reader's first purge must not throw away what the caller writes
    // after the open, however late the reader thread gets to run.
    readerReady.wait();
  }
  timing::SleepMs(kSettleMs);
  return kOpenOk;
}

int CRSPort::Close() {
  running_.store(0);
  // Waits for a reply end now: nothing more can arrive.
  if (line_buffer_) line_buffer_->Abandon();
  if (reader_.joinable()) {
    timing::SleepMs(kSettleMs);
    device_->WakeReader();
    reader_.join();
  }
  std::lock_guard<std::mutex> io(io_lock_);
  if (!device_->IsOpen()) return 1;
  if (!lost_.load()) SettleOutput();
  device_->PurgeInput();
  if (line_buffer_) line_buffer_->Reset();
  device_->Close();
  return 1;
}

bool CRSPort::LinesMayCome() const {
  if (IsOpen()) return true;
  return lost_.load() && line_buffer_ && line_buffer_->LineCount() > 0;
}

std::string CRSPort::LineLostReason() const {
  const int err = lost_error_.load();
  return lost_.load() && err != 0 ? OsErrorText(err) : std::string();
}

int CRSPort::Write(const void* bytes, uint32_t length, int purge) {
  const auto* data = static_cast<const uint8_t*>(bytes);
  if (data == nullptr) return 0;
  if (length == 0) length = static_cast<uint32_t>(std::strlen(static_cast<const char*>(bytes)));

  if (line_buffer_) {
    // A write never starts while another thread is inside a line wait.
    line_buffer_->WaitLock().lock();
    line_buffer_->WaitLock().unlock();
  }

  int result = 0;
  {
    std::lock_guard<std::mutex> io(io_lock_);
    if (IsOpen()) {
      if (purge == 1) Purge();
      result = device_->Write(data, length, timing::Scaled(kWriteLimitMs)) ? 1 : 0;
    }
  }
  return result;
}

void CRSPort::Capture(const void* bytes, uint32_t length, TrafficDirection direction) {
  if (TrafficSink* sink = sink_.load()) sink->Capture(bytes, length, direction);
}

void CRSPort::Purge() {
  SettleOutput();
  device_->PurgeInput();
  if (line_buffer_) line_buffer_->Reset();
}

void CRSPort::SettleOutput() {
  if (!device_->DrainOutput(timing::Scaled(kOutputDrainMs))) device_->PurgeOutput();
}

void CRSPort::MarkLineLost(int systemError) {
  lost_error_.store(systemError);
  lost_.store(true);
  if (line_buffer_) line_buffer_->MarkLost();
}

void CRSPort::ReadThread(std::promise<void> purged) {
  device_->ReaderStarted();
  std::vector<uint8_t> chunk(kReadChunk);
  uint8_t* const buffer = chunk.data();
  Purge();
  purged.set_value();
  while (running_.load() != 0) {
    int systemError = 0;
    const int n = device_->Read(buffer, chunk.size(), kReaderSliceMs, &systemError);
    if (running_.load() == 0) break;
    if (n == SerialDevice::kLineLost) {
      // Nothing more can arrive: what is stored stays for the reader of the
      // line buffer, and every wait ends now instead of at its time-out.
      MarkLineLost(systemError);
      break;
    }
    if (n <= 0) continue;  // slice over: no data this pass
    // The capture takes each chunk before the line buffer makes it available:
    // whatever an exchange has read is already in the capture (and in a
    // recording), ahead of the next command the exchange sends.
    Capture(buffer, static_cast<uint32_t>(n), TrafficDirection::kReceived);
    line_buffer_->Append(buffer, static_cast<size_t>(n));
  }
  if (IsOpen()) Purge();
}
