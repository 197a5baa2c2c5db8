#include "record_readout.h"

#include "common/timing.h"
#include "log/traffic_capture.h"
#include "progress_bar.h"
#include "session/device_session.h"

namespace {

constexpr int kStartTries = 3;
constexpr int64_t kSilenceLimitMs = 30000;
constexpr int kResendAbortPass = 10;
constexpr int kAbortPassLimit = 100;

void SendAbortByte(CDeviceSession& session) {
  if (!session.IsOpen()) return;
  CaptureTraffic(&kAbortByte, 1, 1);
  session.Port().Write(&kAbortByte, 1, 0);
}

RecordReadout Failed(CDeviceSession& session, bool aborted) {
  session.SetErrorMessage(session_rc::kFailed);
  RecordReadout failed;
  failed.aborted = aborted;
  return failed;
}

}  // namespace

RecordReadout ReadRecords(CDeviceSession& session, int firstId, int count, const std::function<bool()>& abortRequested,
                          ProgressBar& progress) {
  RecordReadout result;
  int r = rc::kNoReply;
  for (int i = 0; i < kStartTries && session.IsOpen(); ++i) {
    r = session.Protocol().ReadAllStart(session.PortPtr(), firstId, count);
    if (r == rc::kOk) break;
  }
  progress.SetRange(count);
  if (r != rc::kOk) return Failed(session, false);

  auto lastLine = timing::Clock::now();
  int abortPasses = 0;
  int received = 0;
  for (;;) {
    if (abortRequested()) {
      result.aborted = true;
      SendAbortByte(session);
    }
    if (result.aborted) {
      ++abortPasses;
      if (abortPasses == kResendAbortPass) SendAbortByte(session);
      if (abortPasses > kAbortPassLimit) return Failed(session, true);
    }
    std::string line;
    const int got = session.Protocol().ReadRecordLine(session.PortPtr(), &line);
    if (got == rc::kDataLine) {
      result.text += line;
      progress.SetPosition(++received);
      lastLine = timing::Clock::now();
    } else if (got == rc::kEndLine) {
      result.ok = 1;
      return result;
    }
    if (timing::Clock::now() - lastLine > timing::Scaled(kSilenceLimitMs)) return Failed(session, result.aborted);
  }
}
