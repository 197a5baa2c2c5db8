#include "pages/dlg_main_recode_data.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>
#include <chrono>

#include "app/main_frame.h"
#include "app/message_box.h"
#include "app/vtrelix7_comm_app.h"
#include "common/string_table.h"
#include "common/timing.h"
#include "log/traffic_capture.h"
#include "pages/data_strings.h"
#include "pages/dlg_aqcuired.h"
#include "pages/dlg_input_rd_all_id.h"
#include "pages/readout_range.h"
#include "protocol/result_codes.h"

namespace {

constexpr int kTries = 3;
// The readout fails when no record line came for this long.
constexpr int64_t kSilenceLimitMs = 30000;
// After an abort: the ESC goes out once more in this pass, and the readout
// gives up after this many passes without the logger's end line.
constexpr int kAbortResendPass = 10;
constexpr int kAbortPassLimit = 100;
// Room reserved per expected record line, so that the text rarely grows by
// copying during a long readout.
constexpr size_t kTypicalRecordBytes = 48;
// The counter is posted at most this often; the dialog cannot show more.
constexpr auto kCounterInterval = std::chrono::milliseconds(20);

const QString kNormalTermination = QStringLiteral("Normal termination");
const QString kClearCaption = QStringLiteral("Clear");

QString UiText(uint32_t id) { return QString::fromStdString(strings::Text(id)); }

CDeviceSession& Session() { return theApp().Session(); }

}  // namespace

CDlgMainRecodeData::CDlgMainRecodeData(QWidget* parent) : CDevicePage(parent) {
  setObjectName("CDlgMainRecodeData");
  setFont(theApp().DialogFont());

  readData_ = new QPushButton(UiText(strings::id::kReadDataButton), this);
  readData_->setObjectName("readData");
  readErrorLog_ = new QPushButton(UiText(strings::id::kReadErrorLogButton), this);
  readErrorLog_->setObjectName("readErrorLog");
  clearData_ = new QPushButton(UiText(strings::id::kClearDataButton), this);
  clearData_->setObjectName("clearData");
  auto* note = new QLabel(UiText(strings::id::kClearDataNote).replace(QStringLiteral("\r\n"), QStringLiteral("\n")),
                          this);
  note->setObjectName("note");
  note->setWordWrap(true);

  connect(readData_, &QPushButton::clicked, this, &CDlgMainRecodeData::OnReadData);
  connect(readErrorLog_, &QPushButton::clicked, this, &CDlgMainRecodeData::OnReadErrorLog);
  connect(clearData_, &QPushButton::clicked, this, &CDlgMainRecodeData::OnClearData);

  auto* buttons = new QVBoxLayout;
  for (QPushButton* b : {readData_, readErrorLog_, clearData_}) {
    b->setAutoDefault(false);
    b->setMinimumWidth(b->sizeHint().width() * 3 / 2);
    buttons->addWidget(b, 0, Qt::AlignLeft);
  }
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(buttons);
  layout->addSpacing(note->fontMetrics().height());
  layout->addWidget(note);
  layout->addStretch(1);

  Refresh();
}

void CDlgMainRecodeData::Refresh() {
  const bool open = Session().IsOpen();
  readData_->setEnabled(open);
  readErrorLog_->setEnabled(open);
}

// ---------------------------------------------------------------- buttons

void CDlgMainRecodeData::OnReadData() {
  QuickRefresh();

  const CVT7SysInfo& sys = Session().Current().sys;
  const int memoryFirst = sys.firstId;
  firstId_ = -1;
  count_ = -1;

  CDlgInputRdALLID range(this);
  range.SetRange(sys.lastId, ProposedReadoutCount(memoryFirst, sys.lastId));
  if (range.exec() != QDialog::Accepted) return;
  const ReadoutRange r = ReadoutRangeForEntry(memoryFirst, range.LastId(), range.Count());
  firstId_ = r.firstId;
  count_ = r.count;

  SetMainFrameEnabled(false);
  workKind_ = kReadRecords;
  const int result = RunWork();
  // A worker still running (the page was hidden meanwhile) owns the text.
  if (!IsRunning()) {
    if (result == 1)
      ShowViewer(CDlgAqcuired::kRecords, false);
    else if (textIncomplete_ && !text_.empty())
      ShowViewer(CDlgAqcuired::kRecords, true);
  }
  SetMainFrameEnabled(true);
}

void CDlgMainRecodeData::OnReadErrorLog() {
  SetMainFrameEnabled(false);
  workKind_ = kReadErrorLog;
  if (RunWork() == 1 && !IsRunning()) ShowViewer(CDlgAqcuired::kErrorLog, false);
  SetMainFrameEnabled(true);
}

void CDlgMainRecodeData::OnClearData() {
  if (!msgbox::Confirm(this, UiText(strings::id::kConfirmClearData), kClearCaption)) return;

  SetMainFrameEnabled(false);
  workKind_ = kClearMemory;
  if (RunWork() == 1) msgbox::Plain(this, UiText(strings::id::kSuccess), msgbox::kEmptyCaption);
  if (CMainFrame* frame = theApp().MainFrame)
    frame->RefreshPages();
  else
    Refresh();
  SetMainFrameEnabled(true);
  setFocus();
}

int CDlgMainRecodeData::RunWork() {
  CDeviceSession& session = Session();
  session.ClearMessages();
  const int result = Run(this, QString(), workKind_ == kReadRecords ? 1 : 0);
  if (!session.ErrorMessage().empty())
    msgbox::Warning(this, QString::fromStdString(session.ErrorMessage()));
  else if (!session.ResultMessage().empty())
    msgbox::Plain(this, QString::fromStdString(session.ResultMessage()), kNormalTermination);
  return result;
}

void CDlgMainRecodeData::QuickRefresh() {
  if (CMainFrame* frame = theApp().MainFrame) {
    frame->RunDeviceOperation(this, -2, 0);
    return;
  }
  // Without a main frame the page refreshes the memory range itself.
  workKind_ = kRefreshSystemInfo;
  Run(this, QString(), 0);
}

void CDlgMainRecodeData::SetMainFrameEnabled(bool enabled) {
  if (CMainFrame* frame = theApp().MainFrame) frame->setEnabled(enabled);
}

void CDlgMainRecodeData::ShowViewer(int kind, bool incomplete) {
  CDlgAqcuired viewer(text_, kind, this);
  if (incomplete) viewer.MarkIncomplete();
  viewer.exec();
}

// ---------------------------------------------------------------- work (worker thread)

int CDlgMainRecodeData::DoWork() {
  switch (workKind_) {
    case kReadRecords: return ReadRecords();
    case kReadErrorLog: return ReadErrorLog();
    case kClearMemory: return ClearMemory();
    case kRefreshSystemInfo: return Session().RefreshSystemInfo();
    default: return 0;
  }
}

int CDlgMainRecodeData::ReadRecords() {
  CDeviceSession& session = Session();
  CRSPort& port = session.Port();
  CComCtrlVTrelix7& protocol = session.Protocol();

  text_.clear();
  textIncomplete_ = false;
  int start = rc::kNoReply;
  if (port.IsOpen()) {
    for (int i = 0; i < kTries; ++i) {
      start = protocol.ReadAllStart(&port, firstId_, count_);
      if (start == rc::kOk) break;
      text_.clear();
    }
  }
  PostProgressTotal(count_);
  if (start != rc::kOk) {
    session.SetErrorMessage(session_rc::kFailed);
    return 0;
  }
  if (count_ > 0) text_.reserve(static_cast<size_t>(std::min(count_, kRecordIdSpan)) * kTypicalRecordBytes);

  using Clock = timing::Clock;
  Clock::time_point lastLine = Clock::now();
  Clock::time_point lastPost = lastLine - kCounterInterval;
  long received = 0;
  bool aborting = false;
  int abortPass = 0;
  std::string line;
  // Ends the readout without its end line: what arrived stays in the text,
  // marked as incomplete.
  auto brokeOff = [&] {
    textIncomplete_ = true;
    session.SetErrorMessage(session_rc::kFailed);
    return 0;
  };

  for (;;) {
    if (AbortEvent().IsSet()) {
      AbortEvent().Reset();
      aborting = true;
      SendAbortByte();
    }
    if (aborting) {
      ++abortPass;
      if (abortPass == kAbortResendPass) SendAbortByte();
      if (abortPass > kAbortPassLimit) return brokeOff();
    }

    const int r = protocol.ReadRecordLine(&port, &line);
    if (r == rc::kEndLine) return 1;
    const Clock::time_point now = Clock::now();
    if (r == rc::kDataLine) {
      ++received;
      text_ += line;
      lastLine = now;
      if (now - lastPost >= kCounterInterval) {
        PostProgressValue(received);
        lastPost = now;
      }
    }
    if (now - lastLine > timing::Scaled(kSilenceLimitMs)) return brokeOff();
  }
}

void CDlgMainRecodeData::SendAbortByte() {
  CRSPort& port = Session().Port();
  if (!port.IsOpen()) return;
  CaptureTraffic(&kAbortByte, 1, 1);
  port.Write(&kAbortByte, 1, 0);
}

int CDlgMainRecodeData::ReadErrorLog() {
  CDeviceSession& session = Session();
  text_.clear();
  textIncomplete_ = false;
  if (!session.IsOpen()) {
    session.SetErrorMessage(session_rc::kNotConnected);
    return 0;
  }
  for (int i = 0; i < kTries; ++i) {
    std::string log;
    if (session.Protocol().ReadErrorLog(&session.Port(), &log) == rc::kOk) {
      text_ = std::move(log);
      return 1;
    }
  }
  session.SetErrorMessage(session_rc::kFailed);
  return 0;
}

int CDlgMainRecodeData::ClearMemory() {
  CDeviceSession& session = Session();
  // Identify, "ST CLR" with its tries, and a refresh of the memory range.
  const int r = session.ClearMemory();
  if (r < 0) {
    session.SetErrorMessage(r);
    return 0;
  }
  return 1;
}
