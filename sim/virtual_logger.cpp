#include "virtual_logger.h"

#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <csignal>
#include <deque>
#include <mutex>
#include <thread>

#include "command_gate.h"
#include "line_noise.h"
#include "listing_fault.h"
#include "logger_device.h"
#include "output_queue.h"
#include "pty_pair.h"
#include "reply_style.h"

namespace vlogger {
namespace {

constexpr char kEsc = 0x1B;
constexpr size_t kMaxLineLength = 64 * 1024;  // longer input is garbage
constexpr size_t kRecordsPerWrite = 1024;     // one batch of a readout
constexpr size_t kNoisePerWrite = 4096;       // one batch of a flood
constexpr int kAbsentClientPollMs = 10;       // re-check for a new client
constexpr int kIdlePollMs = 1000;
constexpr int kDrainPollMs = 5;
constexpr std::chrono::milliseconds kDrainSettle{20};  // bytes written reach the slave
constexpr std::chrono::seconds kDrainLimit{2};

}  // namespace

class VirtualLogger::Impl {
 public:
  explicit Impl(const Options& options);
  ~Impl();

  bool Start();
  void Stop();
  bool Reopen();
  void Wake();
  // Changes state under the lock, then wakes the server so that the change
  // takes effect on its next turn.
  template <typename Change>
  void Knob(Change&& change) {
    {
      std::lock_guard<std::mutex> lock(mu_);
      change();
    }
    Wake();
  }

  // Everything below is guarded by mu_.
  mutable std::mutex mu_;
  mutable std::condition_variable cv_;
  LoggerDevice device_;
  CommandGate gate_;
  ReplyStyle style_;
  OutputQueue queue_;
  LinePacer pacer_;
  std::chrono::milliseconds reply_delay_{0};
  bool endless_listing_ = false;
  ListingFault listing_fault_;
  int ignore_esc_ = 0;
  LineNoise noise_;
  std::string late_tail_prefix_;
  std::chrono::milliseconds late_tail_delay_{0};
  int late_tail_count_ = 0;

  PtyPair pty_;
  std::string port_path_;
  std::string last_error_;
  bool client_present_ = true;
  Clock::time_point hold_input_until_{};
  std::string line_buffer_;
  std::deque<std::string> pending_lines_;
  struct Readout {
    bool active = false;
    uint64_t begin = 0;
    uint64_t next = 0;
    uint64_t end = 0;
    long sent = 0;  // records sent in this listing
  } readout_;

  std::vector<std::string> received_lines_;
  std::string received_bytes_;
  uint64_t bytes_sent_ = 0;

  bool running_ = false;
  bool stop_requested_ = false;
  bool reopen_requested_ = false;
  bool reopen_ok_ = false;
  uint64_t reopen_generation_ = 0;

 private:
  void Serve();
  void ProcessPendingLines();
  void Enqueue(const Reply& reply);
  void RefillReadout();
  void RefillNoise();
  void AbortReadout();
  // Writes what is due; true when the line is full and POLLOUT is wanted.
  bool PumpOutput(Clock::time_point* wake_at);
  void ReadInput();
  void OnBytes(const char* data, size_t size);
  void ProbeClient();
  void DropLine();
  // True while a drop waits for the client to read what was sent before it.
  bool Draining();
  void CloseLine();
  void DoReopen();
  void ResetLink();

  int wake_pipe_[2] = {-1, -1};
  std::thread thread_;
  // A dropping line: the slave opened once more, only to see how much of
  // the output the client has not read yet.
  bool dropping_ = false;
  int drain_fd_ = -1;
  Clock::time_point drop_started_;
};

VirtualLogger::Impl::Impl(const Options& options) : device_(options) {
  pacer_.Shaping().paced = options.paced;
  if (pipe(wake_pipe_) != 0) {
    wake_pipe_[0] = wake_pipe_[1] = -1;
    return;
  }
  for (int fd : wake_pipe_) {
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
    fcntl(fd, F_SETFD, FD_CLOEXEC);
  }
}

VirtualLogger::Impl::~Impl() {
  Stop();
  for (int fd : wake_pipe_) {
    if (fd >= 0) close(fd);
  }
}

bool VirtualLogger::Impl::Start() {
  std::lock_guard<std::mutex> lock(mu_);
  if (running_) return true;
  if (wake_pipe_[0] < 0) {
    last_error_ = "pipe failed";
    return false;
  }
  if (!pty_.Open(&last_error_)) return false;
  port_path_ = pty_.SlavePath();
  ResetLink();
  stop_requested_ = false;
  running_ = true;
  thread_ = std::thread([this] { Serve(); });
  return true;
}

void VirtualLogger::Impl::Stop() {
  {
    std::lock_guard<std::mutex> lock(mu_);
    if (!running_) return;
    stop_requested_ = true;
  }
  Wake();
  thread_.join();
  std::lock_guard<std::mutex> lock(mu_);
  CloseLine();
  running_ = false;
  cv_.notify_all();
}

bool VirtualLogger::Impl::Reopen() {
  std::unique_lock<std::mutex> lock(mu_);
  if (!running_) return false;
  const uint64_t generation = reopen_generation_;
  reopen_requested_ = true;
  lock.unlock();
  Wake();
  lock.lock();
  cv_.wait_for(lock, std::chrono::seconds(5), [&] { return reopen_generation_ != generation; });
  return reopen_generation_ != generation && reopen_ok_;
}

void VirtualLogger::Impl::Wake() {
  if (wake_pipe_[1] < 0) return;
  const char byte = 1;
  // A full pipe already guarantees a wake-up.
  [[maybe_unused]] const ssize_t n = write(wake_pipe_[1], &byte, 1);
}

void VirtualLogger::Impl::Serve() {
  // Signals belong to the program's main thread.
  sigset_t all;
  sigfillset(&all);
  pthread_sigmask(SIG_BLOCK, &all, nullptr);

  std::unique_lock<std::mutex> lock(mu_);
  while (!stop_requested_) {
    if (reopen_requested_) DoReopen();
    if (dropping_ && Draining()) {
      lock.unlock();
      poll(nullptr, 0, kDrainPollMs);
      lock.lock();
      continue;
    }
    ProcessPendingLines();
    RefillReadout();
    RefillNoise();
    Clock::time_point wake_at = Clock::time_point::max();
    const bool want_write = PumpOutput(&wake_at);
    if (dropping_) continue;  // a drop just begun: its drain is watched from the top

    const int master = pty_.IsOpen() ? pty_.MasterFd() : -1;
    pollfd fds[2] = {{wake_pipe_[0], POLLIN, 0}, {master, 0, 0}};
    nfds_t count = 1;
    const bool holding = Clock::now() < hold_input_until_;
    if (master >= 0 && client_present_ && !holding) {
      fds[1].events = static_cast<short>(POLLIN | (want_write ? POLLOUT : 0));
      count = 2;
    }
    int timeout_ms = kIdlePollMs;
    if ((readout_.active && !queue_.HasRecords()) || (noise_.Active() && queue_.Empty())) {
      // The next batch is to be made; without a client it is lost at a
      // moderate pace instead of at once.
      timeout_ms = client_present_ ? 0 : kAbsentClientPollMs;
    } else {
      if (master >= 0 && !client_present_) timeout_ms = kAbsentClientPollMs;
      if (wake_at != Clock::time_point::max()) {
        const auto wait = std::chrono::ceil<std::chrono::milliseconds>(wake_at - Clock::now());
        timeout_ms = static_cast<int>(std::clamp<int64_t>(wait.count(), 0, timeout_ms));
      }
    }

    if (holding) {
      const auto wait = std::chrono::ceil<std::chrono::milliseconds>(hold_input_until_ - Clock::now());
      timeout_ms = static_cast<int>(std::clamp<int64_t>(wait.count(), 0, timeout_ms));
    }

    lock.unlock();
    const int ready = poll(fds, count, timeout_ms);
    lock.lock();

    if (ready > 0 && (fds[0].revents & POLLIN)) {
      char drain[64];
      while (read(wake_pipe_[0], drain, sizeof drain) > 0) {
      }
    }
    if (master < 0 || !pty_.IsOpen() || pty_.MasterFd() != master) continue;
    if (!client_present_) {
      ProbeClient();
    } else if (ready > 0 && count == 2) {
      if (fds[1].revents & (POLLIN | POLLERR)) {
        ReadInput();
      } else if (fds[1].revents & POLLHUP) {
        client_present_ = false;  // nobody has the slave open
      }
    }
  }
}

void VirtualLogger::Impl::ProcessPendingLines() {
  while (!pending_lines_.empty() && !readout_.active && pty_.IsOpen()) {
    std::string line = std::move(pending_lines_.front());
    pending_lines_.pop_front();
    received_lines_.push_back(line);
    switch (gate_.Judge(line)) {
      case CommandGate::Verdict::kDrop: DropLine(); break;
      case CommandGate::Verdict::kSilent: break;
      case CommandGate::Verdict::kRefuse: Enqueue(Reply{{ReplyLine{"NOT END"}}}); break;
      case CommandGate::Verdict::kServe: {
        Reply reply = device_.Handle(line);
        if (late_tail_count_ != 0 && !reply.lines.empty() &&
            line.compare(0, late_tail_prefix_.size(), late_tail_prefix_) == 0) {
          if (late_tail_count_ > 0) --late_tail_count_;
          reply.lines.back().delay += late_tail_delay_;
        }
        Enqueue(reply);
        break;
      }
    }
    cv_.notify_all();
  }
}

void VirtualLogger::Impl::Enqueue(const Reply& reply) {
  Clock::time_point due = Clock::now() + reply_delay_;
  style_.BeginReply();
  std::string bytes;
  for (const ReplyLine& line : reply.lines) {
    if (line.delay.count() > 0) {
      queue_.Push(std::move(bytes), due);
      bytes.clear();
      due += line.delay;
    }
    style_.Append(line.text, bytes);
  }
  queue_.Push(std::move(bytes), due);
  if (reply.stream) readout_ = Readout{true, reply.stream_begin, reply.stream_begin, reply.stream_end, 0};
}

// Record lines are made one batch at a time, so a long readout needs little
// memory and an ESC cuts it short quickly.
void VirtualLogger::Impl::RefillReadout() {
  if (!readout_.active || queue_.HasRecords() || !pty_.IsOpen()) return;
  // Plain lines are formatted with their CR LF straight into the bytes sent.
  const bool plain = style_.Plain();
  std::string lines;
  const std::string_view line_end = plain ? "\r\n" : "\n";
  size_t count = device_.FormatRecords(readout_.next, readout_.end, kRecordsPerWrite, lines, line_end);
  if (count == 0 && endless_listing_ && readout_.begin != readout_.end) {
    readout_.next = readout_.begin;
    count = device_.FormatRecords(readout_.next, readout_.end, kRecordsPerWrite, lines, line_end);
  }
  std::string bytes;
  if (count == 0) {
    style_.Append("YES END", bytes);
    queue_.Push(std::move(bytes), Clock::now());
    readout_.active = false;
    return;
  }
  if (listing_fault_.Active()) {
    // Record by record, each as the fault makes it.
    for (size_t at = 0; at < lines.size();) {
      const size_t lf = lines.find('\n', at);
      const std::string_view record = std::string_view(lines).substr(at, lf - at - (plain ? 1 : 0));
      at = lf + 1;
      const ListingStep step = StepOf(listing_fault_, ++readout_.sent);
      if (step != ListingStep::kSend) {
        if (step != ListingStep::kStall) style_.Append(step == ListingStep::kRefuse ? "NOT END" : "YES END", bytes);
        readout_.active = false;
        break;
      }
      FaultyRecordLines(listing_fault_, readout_.sent, record, [&](const std::string& l) { style_.Append(l, bytes); });
    }
    queue_.Push(std::move(bytes), Clock::now(), true);
    return;
  }
  if (plain) {
    style_.CountLines(static_cast<long>(count));
    queue_.Push(std::move(lines), Clock::now(), true);
    return;
  }
  bytes.reserve(lines.size() + count * 2);
  for (size_t at = 0; at < lines.size();) {
    const size_t lf = lines.find('\n', at);
    style_.Append(std::string_view(lines).substr(at, lf - at), bytes);
    at = lf + 1;
  }
  queue_.Push(std::move(bytes), Clock::now(), true);
}

void VirtualLogger::Impl::RefillNoise() {
  if (!noise_.Active() || !queue_.Empty() || !pty_.IsOpen()) return;
  queue_.Push(noise_.Next(kNoisePerWrite), Clock::now());
}

void VirtualLogger::Impl::AbortReadout() {
  if (!readout_.active && !queue_.HasRecords()) return;
  queue_.CutRecords();
  if (readout_.active) {
    std::string bytes;
    style_.Append("YES END", bytes);
    queue_.Push(std::move(bytes), Clock::now());
    readout_.active = false;
  }
}

bool VirtualLogger::Impl::PumpOutput(Clock::time_point* wake_at) {
  Clock::time_point now = Clock::now();
  while (!queue_.Empty()) {
    if (!pty_.IsOpen()) {
      queue_.Clear();
      return false;
    }
    OutputItem& item = queue_.Front();
    if (item.Remaining() == 0) {
      queue_.PopFront();
      continue;
    }
    if (now < item.due) {
      *wake_at = item.due;
      return false;
    }
    if (!client_present_) {
      queue_.PopFront();  // nobody listens: the bytes are lost on the line
      continue;
    }
    Clock::time_point retry_at = Clock::time_point::max();
    const size_t allowed = pacer_.Allowance(now, item.Remaining(), &retry_at);
    if (allowed == 0) {
      if (pacer_.BudgetSpent()) {
        DropLine();
      } else {
        *wake_at = retry_at;
      }
      return false;
    }
    const ssize_t written = write(pty_.MasterFd(), item.bytes.data() + item.offset, allowed);
    if (written < 0) {
      if (errno == EAGAIN || errno == EWOULDBLOCK) return true;
      if (errno == EINTR) continue;
      client_present_ = false;  // EIO: the slave side was closed
      continue;
    }
    item.offset += static_cast<size_t>(written);
    bytes_sent_ += static_cast<uint64_t>(written);
    pacer_.Sent(now, static_cast<size_t>(written));
    if (pacer_.BudgetSpent()) {
      DropLine();
      return false;
    }
    if (item.Remaining() == 0) queue_.PopFront();
    if (static_cast<size_t>(written) < allowed) return true;
    now = Clock::now();
  }
  return false;
}

void VirtualLogger::Impl::ReadInput() {
  char buffer[4096];
  for (int turn = 0; turn < 16; ++turn) {
    const ssize_t n = read(pty_.MasterFd(), buffer, sizeof buffer);
    if (n > 0) {
      OnBytes(buffer, static_cast<size_t>(n));
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) break;
    client_present_ = false;  // EIO: the slave side was closed
    return;
  }
  if (pty_.EchoIsOn()) pty_.MakeRaw();
}

void VirtualLogger::Impl::OnBytes(const char* data, size_t size) {
  received_bytes_.append(data, size);
  for (size_t i = 0; i < size; ++i) {
    const char c = data[i];
    if (c == kEsc) {
      if (ignore_esc_ == 0) {
        AbortReadout();
      } else if (ignore_esc_ > 0) {
        --ignore_esc_;
      }
    } else if (c == '\n') {
      if (!line_buffer_.empty()) pending_lines_.push_back(std::move(line_buffer_));
      line_buffer_.clear();
    } else if (c != '\r') {
      if (line_buffer_.size() >= kMaxLineLength) line_buffer_.clear();
      line_buffer_ += c;
    }
  }
  cv_.notify_all();
}

// While nobody has the slave open, the master reports a hang-up (and reads
// fail with EIO); look again now and then, without spinning.
void VirtualLogger::Impl::ProbeClient() {
  pollfd probe = {pty_.MasterFd(), POLLIN, 0};
  if (poll(&probe, 1, 0) < 0 || (probe.revents & POLLHUP)) return;
  client_present_ = true;
  pty_.MakeRaw();
  tcflush(pty_.MasterFd(), TCOFLUSH);  // nothing of an earlier session is left
}

// Closing the master discards what the client has not read yet, while a
// real line that breaks leaves the received bytes readable. So the line
// closes only once the client has read everything sent before the drop (or
// has gone, or after a time limit).
void VirtualLogger::Impl::DropLine() {
  queue_.Clear();
  readout_ = Readout{};
  pending_lines_.clear();
  dropping_ = true;
  drop_started_ = Clock::now();
  if (client_present_) {
    drain_fd_ = open(pty_.SlavePath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  }
  Draining();  // closes at once when nobody listens
}

bool VirtualLogger::Impl::Draining() {
  // The pseudo-terminal hands written bytes to the slave a little later, so
  // an empty slave queue counts only after a moment.
  const auto elapsed = Clock::now() - drop_started_;
  int unread = 0;
  if (drain_fd_ >= 0 && elapsed < kDrainLimit &&
      (elapsed < kDrainSettle || (ioctl(drain_fd_, FIONREAD, &unread) == 0 && unread > 0))) {
    return true;
  }
  CloseLine();
  return false;
}

void VirtualLogger::Impl::CloseLine() {
  if (drain_fd_ >= 0) close(drain_fd_);
  drain_fd_ = -1;
  dropping_ = false;
  pty_.Close();
  ResetLink();
  cv_.notify_all();
}

void VirtualLogger::Impl::ResetLink() {
  queue_.Clear();
  readout_ = Readout{};
  pending_lines_.clear();
  line_buffer_.clear();
  pacer_.Reset();
  client_present_ = true;
}

void VirtualLogger::Impl::DoReopen() {
  reopen_requested_ = false;
  CloseLine();
  reopen_ok_ = pty_.Open(&last_error_);
  if (reopen_ok_) port_path_ = pty_.SlavePath();
  ++reopen_generation_;
  cv_.notify_all();
}

// ---- VirtualLogger ----

VirtualLogger::VirtualLogger() : VirtualLogger(Options{}) {}
VirtualLogger::VirtualLogger(const Options& options) : impl_(std::make_unique<Impl>(options)) {}
VirtualLogger::~VirtualLogger() = default;

bool VirtualLogger::Start() { return impl_->Start(); }
void VirtualLogger::Stop() { impl_->Stop(); }
bool VirtualLogger::Reopen() { return impl_->Reopen(); }

std::string VirtualLogger::PortPath() const {
  std::lock_guard<std::mutex> lock(impl_->mu_);
  return impl_->port_path_;
}

bool VirtualLogger::IsOpen() const {
  std::lock_guard<std::mutex> lock(impl_->mu_);
  return impl_->running_ && impl_->pty_.IsOpen();
}

bool VirtualLogger::WaitForClosed(std::chrono::milliseconds timeout) const {
  std::unique_lock<std::mutex> lock(impl_->mu_);
  return impl_->cv_.wait_for(lock, timeout, [&] { return !impl_->pty_.IsOpen(); });
}

std::string VirtualLogger::LastError() const {
  std::lock_guard<std::mutex> lock(impl_->mu_);
  return impl_->last_error_;
}

void VirtualLogger::RefuseNext(int count) {
  impl_->Knob([&] { impl_->gate_.RefuseNext(count); });
}
void VirtualLogger::RefuseCommands(const std::string& prefix, int count) {
  impl_->Knob([&] { impl_->gate_.RefusePrefix(prefix, count); });
}
void VirtualLogger::SilenceNext(int count) {
  impl_->Knob([&] { impl_->gate_.SilenceNext(count); });
}
void VirtualLogger::SilenceCommands(const std::string& prefix, int count) {
  impl_->Knob([&] { impl_->gate_.SilencePrefix(prefix, count); });
}
void VirtualLogger::SetReplyDelay(std::chrono::milliseconds delay) {
  impl_->Knob([&] { impl_->reply_delay_ = delay; });
}
void VirtualLogger::SetChunking(size_t max_bytes, std::chrono::microseconds gap) {
  impl_->Knob([&] {
    impl_->pacer_.Shaping().chunk_bytes = max_bytes;
    impl_->pacer_.Shaping().chunk_gap = gap;
  });
}
void VirtualLogger::SetLowerCase(bool on) {
  impl_->Knob([&] { impl_->style_.SetLowerCase(on); });
}
void VirtualLogger::SetNoiseLine(const std::string& line, int every) {
  impl_->Knob([&] { impl_->style_.SetNoise(line, every); });
}
void VirtualLogger::DropOnCommand(const std::string& prefix) {
  impl_->Knob([&] { impl_->gate_.DropOnPrefix(prefix); });
}
void VirtualLogger::HoldInput(std::chrono::milliseconds duration) {
  impl_->Knob([&] { impl_->hold_input_until_ = Clock::now() + duration; });
}
void VirtualLogger::DropAfterBytes(int64_t count) {
  impl_->Knob([&] { impl_->pacer_.Shaping().drop_after_bytes = count < 0 ? -1 : count; });
}
void VirtualLogger::SetPaced(bool on) {
  impl_->Knob([&] { impl_->pacer_.Shaping().paced = on; });
}
void VirtualLogger::SetEndlessListing(bool on) {
  impl_->Knob([&] { impl_->endless_listing_ = on; });
}

void VirtualLogger::SetListingFault(const ListingFault& fault) {
  impl_->Knob([&] { impl_->listing_fault_ = fault; });
}
void VirtualLogger::IgnoreEsc(int count) {
  impl_->Knob([&] { impl_->ignore_esc_ = count; });
}
void VirtualLogger::StartFlood(int64_t bytes, size_t line_length) {
  impl_->Knob([&] { impl_->noise_.Start(bytes, line_length); });
}
void VirtualLogger::StopFlood() {
  impl_->Knob([&] { impl_->noise_.Stop(); });
}
void VirtualLogger::SetLateTail(const std::string& prefix, std::chrono::milliseconds delay, int count) {
  impl_->Knob([&] {
    impl_->late_tail_prefix_ = prefix;
    impl_->late_tail_delay_ = delay;
    impl_->late_tail_count_ = count;
  });
}
void VirtualLogger::PresetMemory(size_t count, int first_id) {
  impl_->Knob([&] { impl_->device_.PresetMemory(count, first_id); });
}
void VirtualLogger::AddRecords(size_t count) {
  impl_->Knob([&] { impl_->device_.AddRecords(count); });
}
void VirtualLogger::ClearMemory() {
  impl_->Knob([&] { impl_->device_.ClearMemory(); });
}
void VirtualLogger::SetIdentity(const std::string& name, const std::string& version, IdentityMode mode) {
  impl_->Knob([&] { impl_->device_.SetIdentity(name, version, mode); });
}
void VirtualLogger::SetAntennaLevel(std::optional<int> level) {
  impl_->Knob([&] { impl_->device_.SetAntennaLevel(level); });
}
void VirtualLogger::SetImei(const std::string& imei) {
  impl_->Knob([&] { impl_->device_.SetImei(imei); });
}
void VirtualLogger::SetClockOffset(std::chrono::seconds offset) {
  impl_->Knob([&] { impl_->device_.SetClockOffset(offset.count()); });
}
void VirtualLogger::SetModuleError(const std::string& command, int count) {
  impl_->Knob([&] { impl_->device_.SetModuleError(command, count); });
}
void VirtualLogger::SetModuleNeverSleeps(bool on) {
  impl_->Knob([&] { impl_->device_.SetModuleNeverSleeps(on); });
}
void VirtualLogger::SetWeepMode(WeepMode mode) {
  impl_->Knob([&] { impl_->device_.SetWeepMode(mode); });
}
void VirtualLogger::SetErrorLog(const std::vector<std::string>& lines) {
  impl_->Knob([&] { impl_->device_.SetErrorLog(lines); });
}
void VirtualLogger::Inject(const std::string& bytes) {
  impl_->Knob([&] { impl_->queue_.Push(bytes, Clock::now()); });
}

std::vector<std::string> VirtualLogger::ReceivedLines() const {
  std::lock_guard<std::mutex> lock(impl_->mu_);
  return impl_->received_lines_;
}

std::string VirtualLogger::ReceivedBytes() const {
  std::lock_guard<std::mutex> lock(impl_->mu_);
  return impl_->received_bytes_;
}

void VirtualLogger::ClearReceived() {
  std::lock_guard<std::mutex> lock(impl_->mu_);
  impl_->received_lines_.clear();
  impl_->received_bytes_.clear();
}

bool VirtualLogger::WaitForReceived(size_t count, std::chrono::milliseconds timeout) const {
  std::unique_lock<std::mutex> lock(impl_->mu_);
  return impl_->cv_.wait_for(lock, timeout, [&] { return impl_->received_lines_.size() >= count; });
}

bool VirtualLogger::WaitForReceived(const std::function<bool(const std::vector<std::string>&)>& condition,
                                    std::chrono::milliseconds timeout) const {
  std::unique_lock<std::mutex> lock(impl_->mu_);
  return impl_->cv_.wait_for(lock, timeout, [&] { return condition(impl_->received_lines_); });
}

bool VirtualLogger::WaitForReceivedBytes(const std::function<bool(const std::string&)>& condition,
                                         std::chrono::milliseconds timeout) const {
  std::unique_lock<std::mutex> lock(impl_->mu_);
  return impl_->cv_.wait_for(lock, timeout, [&] { return condition(impl_->received_bytes_); });
}

uint64_t VirtualLogger::BytesSent() const {
  std::lock_guard<std::mutex> lock(impl_->mu_);
  return impl_->bytes_sent_;
}

LoggerState VirtualLogger::State() const {
  std::lock_guard<std::mutex> lock(impl_->mu_);
  return impl_->device_.Snapshot();
}

CalendarTime VirtualLogger::Now() const {
  std::lock_guard<std::mutex> lock(impl_->mu_);
  return impl_->device_.Now();
}

std::vector<std::string> VirtualLogger::FirmwareLines() const {
  std::lock_guard<std::mutex> lock(impl_->mu_);
  return impl_->device_.Snapshot().firmware_lines;
}

}  // namespace vlogger
