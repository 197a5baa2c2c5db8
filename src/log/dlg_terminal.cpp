#include "log/dlg_terminal.h"

#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include <atomic>
#include <string>

#include "app/message_box.h"
#include "app/shell_strings.h"
#include "app/shell_text.h"
#include "common/atomic_file.h"
#include "controls/dialog_units.h"
#include "log/log_file_dialog.h"
#include "log/log_view.h"
#include "log/traffic_capture.h"
#include "session/device_session.h"

namespace {

// The one terminal window; written and read on the UI thread only.
CDlgTerminal* g_instance = nullptr;
// A notification is queued and not yet handled; later captures add nothing.
std::atomic<bool> g_notification_queued{false};

// A hidden window takes traffic at most this often: every captured chunk of a
// readout would otherwise wake the UI thread for a view nobody sees. The
// capture ring holds far more than the view keeps.
constexpr int kHiddenTakeIntervalMs = 250;

const QByteArray kHelloLine("\r\nhello\r\n");
const QByteArray kSleepLine("st d00 slp\r\n");

}  // namespace

CDlgTerminal::CDlgTerminal(CDeviceSession& session, CMLog& log, const QFont& dialogFont, QWidget* parent)
    : QDialog(parent, Qt::Window), session_(session), log_(log) {
  setObjectName(QStringLiteral("CDlgTerminal"));
  setWindowTitle(ShellText(strings::id::kTerminalTitle));
  setAttribute(Qt::WA_QuitOnClose, false);
  setModal(false);

  hello_ = new QPushButton(ShellText(strings::id::kTerminalHello), this);
  hello_->setObjectName(QString::number(kIdHello));
  saveLog_ = new QPushButton(ShellText(strings::id::kTerminalSaveLog), this);
  saveLog_->setObjectName(QString::number(kIdSaveLog));
  for (QPushButton* button : {hello_, saveLog_}) {
    // Every key goes to the view; the buttons are used with the mouse.
    button->setFocusPolicy(Qt::NoFocus);
    button->setAutoDefault(false);
  }
  hello_->resize(DialogUnitsToPixels(dialogFont, 32, 14).expandedTo(hello_->sizeHint()));
  saveLog_->resize(DialogUnitsToPixels(dialogFont, 54, 14).expandedTo(saveLog_->sizeHint()));
  waiting_ = new QLabel(this);
  waiting_->setObjectName(QStringLiteral("waiting"));
  waiting_->setTextFormat(Qt::PlainText);
  waiting_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  QPalette marked = waiting_->palette();
  marked.setColor(QPalette::WindowText, QColor(192, 0, 0));
  waiting_->setPalette(marked);
  connect(hello_, &QPushButton::clicked, this, &CDlgTerminal::OnHello);
  connect(saveLog_, &QPushButton::clicked, this, &CDlgTerminal::OnSaveDisplayedLog);

  view_ = new CLogView(this);
  view_->setObjectName(QString::number(kIdPlaceholder));
  setFocusProxy(view_);
  connect(view_, &CLogView::lineEntered, this, &CDlgTerminal::SendTypedLine);
  connect(view_, &CLogView::escapeEntered, this, &CDlgTerminal::SendTypedLine);

  FilterKeysOf(this);
  resize(DialogUnitsToPixels(dialogFont, kWidthUnits, kHeightUnits));
  LayoutControls();
  g_instance = this;
}

CDlgTerminal::~CDlgTerminal() {
  if (g_instance == this) {
    g_instance = nullptr;
    log_.SetNotifyTarget(nullptr, 0);
    g_notification_queued.store(false);  // a delayed take dies with this window
  }
}

CDlgTerminal* CDlgTerminal::Instance() { return g_instance; }

void CDlgTerminal::FilterKeysOf(QObject* object) {
  object->installEventFilter(this);
  for (QObject* child : object->children())
    if (child->isWidgetType()) FilterKeysOf(child);
}

// ---------------------------------------------------------------- layout

void CDlgTerminal::LayoutControls() {
  const int top = hello_ != nullptr ? hello_->height() : 0;
  hello_->move(0, 0);
  saveLog_->move(width() - saveLog_->width(), 0);
  const int gap = fontMetrics().averageCharWidth();
  waiting_->setGeometry(hello_->width() + gap, 0, std::max(0, saveLog_->x() - hello_->width() - 2 * gap), top);
  // A long line shows shortened; the whole text is in the tool tip.
  waiting_->setText(fontMetrics().elidedText(waiting_->toolTip(), Qt::ElideRight, waiting_->width()));
  view_->setGeometry(0, top, width(), std::max(0, height() - top));
}

void CDlgTerminal::resizeEvent(QResizeEvent* event) {
  QDialog::resizeEvent(event);
  LayoutControls();
}

void CDlgTerminal::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  hello_->setEnabled(enabled_ == 1);
  saveLog_->setEnabled(enabled_ == 1);
  view_->setFocus();
  OnTrafficArrived();  // what came while hidden shows at once
}

void CDlgTerminal::changeEvent(QEvent* event) {
  QDialog::changeEvent(event);
  if (event->type() == QEvent::ActivationChange) view_->SetActive(isActiveWindow());
}

void CDlgTerminal::contextMenuEvent(QContextMenuEvent* event) { event->accept(); }

// ---------------------------------------------------------------- keys

bool CDlgTerminal::eventFilter(QObject* watched, QEvent* event) {
  // Every key press of the window goes to the view, so Tab, Enter and
  // Escape never act on the dialog itself.
  if (event->type() == QEvent::KeyPress) {
    view_->HandleKey(*static_cast<QKeyEvent*>(event));
    OnTrafficArrived();  // a line just sent shows at once as sent text
    return true;
  }
  return QDialog::eventFilter(watched, event);
}

// ---------------------------------------------------------------- sending

void CDlgTerminal::SetEnabled(int enabled) {
  enabled_ = enabled;
  hello_->setEnabled(enabled_ == 1);
  saveLog_->setEnabled(enabled_ == 1);
  if (enabled_ != 1 || queued_.isEmpty()) return;
  const QList<QByteArray> lines = std::move(queued_);
  queued_.clear();
  if (session_.Port().IsOpen()) {
    ShowPendingLines(0, {});
    // One write: every write purges the port first, which would throw away
    // the lines written just before that the logger has not read yet.
    WriteToPort(lines.join());
  } else {
    ShowPendingLines(strings::id::kTerminalNotSent, lines);
  }
  OnTrafficArrived();
}

void CDlgTerminal::SendTypedLine(const QByteArray& bytes) {
  if (enabled_ != 1) {
    queued_.append(bytes);
    ShowPendingLines(strings::id::kTerminalWaiting, queued_);
    return;
  }
  ShowPendingLines(0, {});
  WriteToPort(bytes);
}

void CDlgTerminal::ShowPendingLines(uint32_t textId, const QList<QByteArray>& lines) {
  QString text;
  if (textId != 0 && !lines.isEmpty()) {
    QStringList shown;
    for (QByteArray line : lines) {
      // The line end (CR LF, or the ESC of Escape) is not shown.
      while (line.endsWith('\n') || line.endsWith('\r') || line.endsWith('\x1b')) line.chop(1);
      shown << QString::fromLatin1(line);
    }
    text = ShellText(textId) + QLatin1Char(' ') + shown.join(QStringLiteral(" / "));
  }
  waiting_->setToolTip(text);
  LayoutControls();
}

// Written on the UI thread without running its events: lines are only sent
// while no operation runs, so no exchange holds the line buffer's wait, and a
// typed line fits the driver's queue at once.
void CDlgTerminal::WriteToPort(const QByteArray& bytes) {
  CRSPort& port = session_.Port();
  if (!port.IsOpen() || bytes.isEmpty()) return;
  port.Capture(bytes.constData(), static_cast<uint32_t>(bytes.size()), TrafficDirection::kTyped);
  port.Write(bytes.constData(), static_cast<uint32_t>(bytes.size()), 1);
}

void CDlgTerminal::SendCommandLine(const QByteArray& bytes) {
  if (enabled_ != 1) return;
  WriteToPort(bytes);
}

void CDlgTerminal::OnHello() { SendCommandLine(kHelloLine); }

void CDlgTerminal::OnSleepCommand() { SendCommandLine(kSleepLine); }

// ---------------------------------------------------------------- traffic

void CDlgTerminal::PostTrafficNotification(unsigned) {
  QCoreApplication* app = QCoreApplication::instance();
  if (app == nullptr || g_notification_queued.exchange(true)) return;
  QMetaObject::invokeMethod(
      app,
      [] {
        CDlgTerminal* terminal = Instance();
        if (terminal != nullptr && !terminal->isVisible()) {
          // The flag stays set until the take: captures meanwhile queue nothing.
          QTimer::singleShot(kHiddenTakeIntervalMs, terminal, [terminal] {
            g_notification_queued.store(false);
            terminal->OnTrafficArrived();
          });
          return;
        }
        g_notification_queued.store(false);
        if (terminal != nullptr) terminal->OnTrafficArrived();
      },
      Qt::QueuedConnection);
}

void CDlgTerminal::OnTrafficArrived() {
  CTLogBuffer& ring = log_.Ring();
  if (ring.TakePending() > 0) view_->AppendCells(ring.Snapshot());
}

// ---------------------------------------------------------------- saving

void CDlgTerminal::OnSaveDisplayedLog() {
  if (view_ == nullptr) return;
  const QString path = AskLogFilePath(view_);
  if (path.isEmpty()) return;

  std::string bytes;
  const CRingLogBuffer& lines = view_->DisplayLines();
  for (int i = 0; i < lines.Count(); ++i)
    for (uint16_t cell : lines.GetAt(i).cells) bytes.push_back(static_cast<char>(cell & 0xFF));
  std::string reason;
  if (!SaveFileAtomically(QFile::encodeName(path).toStdString(), bytes, &reason))
    msgbox::Warning(this,
                    msgbox::WithPath(ShellText(strings::id::kFileCreateFailed), path, QString::fromStdString(reason)));
}
