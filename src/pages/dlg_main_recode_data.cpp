#include "pages/dlg_main_recode_data.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>
#include <chrono>

#include "chart/level_chart_view.h"
#include "common/free_heap.h"
#include "common/string_table.h"
#include "controls/message_box.h"
#include "controls/ui_text.h"
#include "operations/device_commands.h"
#include "operations/readouts.h"
#include "operations/record_readout.h"
#ifdef QHX_HAVE_ARCHIVE
#include "operations/archived_readout.h"
#endif
#include "operations/readout_range.h"
#include "pages/data_strings.h"
#include "pages/dlg_aqcuired.h"
#include "pages/dlg_input_rd_all_id.h"

namespace {

// Room reserved per expected record line, so that the text rarely grows by
// copying during a long readout.
constexpr size_t kTypicalRecordBytes = 48;
// The counter is posted at most this often; the dialog cannot show more.
constexpr auto kCounterInterval = std::chrono::milliseconds(20);

const QString kClearCaption = QStringLiteral("Clear");

}  // namespace

CDlgMainRecodeData::CDlgMainRecodeData(CDeviceHost& host, QWidget* parent) : CDevicePage(host, parent) {
  setObjectName("CDlgMainRecodeData");
  setFont(Host().DialogFont());

  readData_ = new QPushButton(ui_text::Text(strings::id::kReadDataButton), this);
  readData_->setObjectName("readData");
  readNewData_ = new QPushButton(ui_text::Text(strings::id::kReadNewDataButton), this);
  readNewData_->setObjectName("readNewData");
  readErrorLog_ = new QPushButton(ui_text::Text(strings::id::kReadErrorLogButton), this);
  readErrorLog_->setObjectName("readErrorLog");
  clearData_ = new QPushButton(ui_text::Text(strings::id::kClearDataButton), this);
  clearData_->setObjectName("clearData");
  auto* note = new QLabel(
      ui_text::Text(strings::id::kClearDataNote).replace(QStringLiteral("\r\n"), QStringLiteral("\n")), this);
  note->setObjectName("note");
  note->setWordWrap(true);

  connect(readData_, &QPushButton::clicked, this, &CDlgMainRecodeData::OnReadData);
  connect(readNewData_, &QPushButton::clicked, this, &CDlgMainRecodeData::OnReadNewData);
  connect(readErrorLog_, &QPushButton::clicked, this, &CDlgMainRecodeData::OnReadErrorLog);
  connect(clearData_, &QPushButton::clicked, this, &CDlgMainRecodeData::OnClearData);

  auto* buttons = new QVBoxLayout;
#ifndef QHX_HAVE_ARCHIVE
  readNewData_->hide();
#endif
  for (QPushButton* b : {readData_, readNewData_, readErrorLog_, clearData_}) {
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
  const bool open = Host().Session().IsOpen();
  readData_->setEnabled(open);
  readNewData_->setEnabled(open);
  readErrorLog_->setEnabled(open);
}

// ---------------------------------------------------------------- buttons

void CDlgMainRecodeData::OnReadData() {
  QuickRefresh();

  const CVT7SysInfo& sys = Host().Session().Current().sys;
  const int memoryFirst = sys.firstId;
  firstId_ = -1;
  count_ = -1;

  CDlgInputRdALLID range(Host(), this);
  range.SetRange(sys.lastId, ProposedReadoutCount(memoryFirst, sys.lastId));
  if (range.exec() != QDialog::Accepted) return;
  const ReadoutRange r = ReadoutRangeForEntry(memoryFirst, range.LastId(), range.Count());
  firstId_ = r.firstId;
  count_ = r.count;

  SetMainFrameEnabled(false);
  workKind_ = kReadRecords;
  ShowRecords(RunWork());
  SetMainFrameEnabled(true);
}

void CDlgMainRecodeData::OnReadNewData() {
  QuickRefresh();
  SetMainFrameEnabled(false);
  workKind_ = kReadNewRecords;
  const int result = RunWork();
  // Nothing new: the message said so, there is nothing to show.
  if (!text_.empty() || result != 1) ShowRecords(result);
  SetMainFrameEnabled(true);
}

void CDlgMainRecodeData::ShowRecords(int result) {
  // A worker still running (the page was hidden meanwhile) owns the text.
  if (runner_.IsRunning()) return;
  if (result == 1)
    ShowViewer(CDlgAqcuired::kRecords, false);
  else if (textIncomplete_ && !text_.empty())
    ShowViewer(CDlgAqcuired::kRecords, true);
}

void CDlgMainRecodeData::OnReadErrorLog() {
  SetMainFrameEnabled(false);
  workKind_ = kReadErrorLog;
  if (RunWork() == 1 && !runner_.IsRunning()) ShowViewer(CDlgAqcuired::kErrorLog, false);
  SetMainFrameEnabled(true);
}

void CDlgMainRecodeData::OnClearData() {
  const QString question = ClearQuestion();
  if (question.isEmpty() || !msgbox::Confirm(this, question, kClearCaption)) return;

  SetMainFrameEnabled(false);
  workKind_ = kClearMemory;
  if (RunWork() == 1) msgbox::Plain(this, ui_text::Text(strings::id::kSuccess), msgbox::kEmptyCaption);
  if (Host().Frame() != nullptr)
    Host().RefreshPages();
  else
    Refresh();
  SetMainFrameEnabled(true);
  setFocus();
}

QString CDlgMainRecodeData::ClearQuestion() {
  const QString usual = ui_text::Text(strings::id::kConfirmClearData);
  // A clear that cannot reach the logger erases nothing.
  if (!Host().Session().IsOpen()) return usual;
#ifdef QHX_HAVE_ARCHIVE
  // The memory range as the logger has it now, then the check.
  QuickRefresh();
  SetMainFrameEnabled(false);
  workKind_ = kCheckUnread;
  runner_.Run(this, QString(), 0);
  SetMainFrameEnabled(true);
  // A worker still running (the page was hidden meanwhile) owns the result.
  if (runner_.IsRunning()) return QString();
  if (unreadCheck_.Succeeded() && unreadCheck_.UnreadCount() == 0) return usual;
  const QString lost = QString::fromStdString(unreadCheck_.message);
#else
  const QString lost = ui_text::Text(strings::id::kUnreadCheckFailed) + QStringLiteral("\r\n") +
                       ui_text::Text(strings::id::kNoArchiveInUse);
#endif
  return lost + QStringLiteral("\r\n") + usual;
}

int CDlgMainRecodeData::RunWork() {
  const bool readout = workKind_ == kReadRecords || workKind_ == kReadNewRecords;
  return runner_.RunAndReport(Host().Session(), this, QString(), readout ? 1 : 0);
}

void CDlgMainRecodeData::QuickRefresh() {
  if (Host().Frame() != nullptr) {
    Host().RunDeviceOperation(this, -2, 0);
    return;
  }
  // Without a main frame the page refreshes the memory range itself.
  workKind_ = kRefreshSystemInfo;
  runner_.Run(this, QString(), 0);
}

void CDlgMainRecodeData::SetMainFrameEnabled(bool enabled) {
  if (QWidget* frame = Host().Frame()) frame->setEnabled(enabled);
}

void CDlgMainRecodeData::ShowViewer(int kind, bool incomplete) {
  // What the readout freed (the archive's backlog and cache, the reader's
  // buffers) goes back before the viewer builds its rows and chart.
  free_heap::ReturnToSystem();
  {
    CDlgAqcuired viewer(Host(), text_, kind, this);
    if (incomplete) viewer.MarkIncomplete();
    if (kind == CDlgAqcuired::kRecords) {
      const CVT7SysInfo& sys = Host().Session().Current().sys;
      viewer.ShowChart(
          ChartLimits{sys.upperThreshold, sys.lowerThreshold, sys.upperEnabled != 0, sys.lowerEnabled != 0},
          std::max(sys.sampling, sys.eventSampling));
    }
    viewer.exec();
  }
  // The viewer of a long readout leaves megabytes of freed rows behind.
  free_heap::ReturnToSystem();
}

// ---------------------------------------------------------------- work (worker thread)

int CDlgMainRecodeData::DoWork() {
  switch (workKind_) {
    case kReadRecords:
    case kReadNewRecords: return ReadRecords();
    case kReadErrorLog: return ReadErrorLog();
    case kClearMemory: return ClearMemory();
    case kRefreshSystemInfo: return Host().Session().RefreshSystemInfo();
#ifdef QHX_HAVE_ARCHIVE
    case kCheckUnread:
      unreadCheck_ = ops::CheckUnreadRecords(Host().Session(), Host().Archive());
      return unreadCheck_.Succeeded() ? 1 : 0;
#endif
    default: return 0;
  }
}

namespace {

// The readout's records into the page's text, its progress into the
// progress dialog (at most every kCounterInterval) and the dialog's abort.
class PageReadout : public ops::RecordSink, public ops::ProgressSink, public ops::AbortSource {
 public:
  PageReadout(CVTCWorkingThread& runner, std::string& text) : runner_(runner), text_(text) {}
  void Records(const char* text, size_t bytes, long) override { text_.append(text, bytes); }
  void Total(long total) override { runner_.PostProgressTotal(total); }
  void Position(long done) override {
    const auto now = std::chrono::steady_clock::now();
    if (now - lastPost_ < kCounterInterval) return;
    lastPost_ = now;
    runner_.PostProgressValue(done);
  }
  bool AbortRequested() override {
    if (!runner_.AbortEvent().IsSet()) return false;
    runner_.AbortEvent().Reset();
    return true;
  }

 private:
  CVTCWorkingThread& runner_;
  std::string& text_;
  std::chrono::steady_clock::time_point lastPost_{};
};

}  // namespace

int CDlgMainRecodeData::ReadRecords() {
  CDeviceSession& session = Host().Session();
  text_.clear();
  textIncomplete_ = false;
  if (count_ > 0) text_.reserve(static_cast<size_t>(std::min(count_, kRecordIdSpan)) * kTypicalRecordBytes);
  PageReadout front(runner_, text_);
  ops::Context context;
  context.progress = &front;
  context.abort = &front;
#ifdef QHX_HAVE_ARCHIVE
  if (workKind_ == kReadNewRecords) return TakeReadout(ops::ReadNewRecords(session, front, Host().Archive(), context));
  return TakeReadout(ops::ReadRecordsArchived(session, {firstId_, count_}, front, Host().Archive(), context));
#else
  return TakeReadout(ops::ReadRecords(session, {firstId_, count_}, front, context));
#endif
}

int CDlgMainRecodeData::TakeReadout(const ops::ReadoutResult& r) {
  CDeviceSession& session = Host().Session();
  // Every record asked for, or an abort that the logger ended with its end
  // line, with nothing besides the records: a whole text.
  const bool whole = r.outcome == ops::Outcome::kSucceeded || (r.outcome == ops::Outcome::kAborted && r.endLineSeen);
  if (whole && !r.Irregular()) {
    if (!r.message.empty() && r.outcome != ops::Outcome::kAborted) session.SetResultMessage(r.message);
    return 1;
  }
  textIncomplete_ = r.Delivered() > 0;
  session.SetErrorMessage(session_rc::kFailed, r.Delivered() > 0 || r.Irregular() ? r.message.c_str() : nullptr);
  return 0;
}

int CDlgMainRecodeData::ReadErrorLog() {
  CDeviceSession& session = Host().Session();
  text_.clear();
  textIncomplete_ = false;
  ops::TextResult log = ops::ReadErrorLog(session);
  if (!log.Succeeded()) {
    session.SetErrorMessage(session.IsOpen() ? session_rc::kFailed : session_rc::kNotConnected);
    return 0;
  }
  text_ = std::move(log.text);
  return 1;
}

int CDlgMainRecodeData::ClearMemory() {
  CDeviceSession& session = Host().Session();
  // Identify, "ST CLR" with its tries, and a refresh of the memory range.
  const ops::Result r = ops::ClearMemory(session);
  if (r.Succeeded()) return 1;
  session.SetErrorMessage(session.IsOpen() ? session_rc::kFailed : session_rc::kNotConnected);
  return 0;
}

CDlgMainRecodeData::~CDlgMainRecodeData() { runner_.StopAndJoin(); }
