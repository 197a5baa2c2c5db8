#include "log/log_view.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QScreen>
#include <QScrollBar>
#include <QWheelEvent>

#include <algorithm>
#include <cstring>
#include <new>
#include <utility>

#include "controls/message_box.h"

namespace {

constexpr uint8_t kBackspace = 8;
constexpr uint8_t kLineFeed = 10;
constexpr uint8_t kCarriageReturn = 13;
constexpr uint8_t kEscape = 27;

uint8_t CharOf(uint16_t cell) { return static_cast<uint8_t>(cell & 0xFF); }
uint8_t MarkOf(uint16_t cell) { return static_cast<uint8_t>(cell >> 8); }

// "Courier New" where installed, else the system's fixed-pitch font, sized so
// that a character cell is kFontHeight pixels high.
QFont MakeLogFont() {
  QFont font = QFontDatabase::families().contains(QStringLiteral("Courier New"))
                   ? QFont(QStringLiteral("Courier New"))
                   : QFontDatabase::systemFont(QFontDatabase::FixedFont);
  font.setFixedPitch(true);
  font.setStyleHint(QFont::TypeWriter);
  font.setWeight(QFont::Normal);
  font.setItalic(false);
  font.setUnderline(false);
  font.setStrikeOut(false);
  for (int pixels = CLogView::kFontHeight; pixels > 1; --pixels) {
    font.setPixelSize(pixels);
    if (QFontMetrics(font).height() <= CLogView::kFontHeight) break;
  }
  return font;
}

struct CellColours {
  QColor text;
  QColor background;
};

CellColours ColoursFor(uint8_t mark) {
  switch (mark) {
    case CLogView::kReceived: return {Qt::white, QColor(0, 0, 100)};
    case CLogView::kTyped: return {QColor(255, 255, 0), QColor(0, 100, 0)};
    default: return {Qt::white, QColor(100, 0, 0)};
  }
}

// The character a key gives in the terminal, or 0 for none. Ctrl with a
// letter gives the control character, as a keyboard layout translates it.
uint8_t CharacterOfKey(const QKeyEvent& event) {
  switch (event.key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter: return kCarriageReturn;
    case Qt::Key_Escape: return kEscape;
    case Qt::Key_Tab:
    case Qt::Key_Backtab: return '\t';
    case Qt::Key_Backspace: return kBackspace;
    case Qt::Key_Delete: return 0;
    default: break;
  }
  const QString text = event.text();
  if (text.isEmpty()) return 0;
  char16_t c = text.at(0).unicode();
  if ((event.modifiers() & Qt::ControlModifier) && ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')))
    c = static_cast<char16_t>(c & 0x1F);
  // Only single bytes can go to the logger; 229 is the input method's
  // placeholder and never a typed character.
  if (c > 0xFF || c == 229) return 0;
  return static_cast<uint8_t>(c);
}

}  // namespace

CLogView::CLogView(QWidget* parent) : QWidget(parent), font_(MakeLogFont()) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  setAttribute(Qt::WA_NoSystemBackground);
  setFocusPolicy(Qt::StrongFocus);
  display_.Resize(kDisplayLines);
  history_.Resize(kHistoryLines);

  const QFontMetrics metrics(font_);
  static const QString kSample = QStringLiteral("0123456789abcdefghijklnmopqrstuvwxyzABCDEFGHIJKLNMOPQRSTUVWXYZ");
  charWidth_ = std::max(1, metrics.horizontalAdvance(kSample) / static_cast<int>(kSample.size()));
  charHeight_ = std::max(1, metrics.height());

  horizontalBar_ = new QScrollBar(Qt::Horizontal, this);
  verticalBar_ = new QScrollBar(Qt::Vertical, this);
  for (QScrollBar* bar : {horizontalBar_, verticalBar_}) {
    bar->setRange(0, 0);
    bar->setFocusPolicy(Qt::NoFocus);
  }
  connect(horizontalBar_, &QScrollBar::valueChanged, this,
          [this](int value) { OnScrollBarMoved(horizontalBar_, horizontal_, widestLine_, value); });
  connect(verticalBar_, &QScrollBar::valueChanged, this,
          [this](int value) { OnScrollBarMoved(verticalBar_, vertical_, display_.Count() + 1, value); });
}

CLogView::~CLogView() { blinkTimer_.stop(); }

// ---------------------------------------------------------------- content

void CLogView::AppendCells(const uint16_t* cells, int count) {
  if (cells == nullptr || count <= 0) return;
  const int firstRow = vertical_.Position();
  const int firstColumn = horizontal_.Position();
  const int countBefore = display_.Count();
  int stored = 0;
  try {
    for (int i = 0; i < count; ++i) {
      const uint16_t cell = cells[i];
      partial_.push_back(cell);
      const uint8_t c = CharOf(cell);
      if (c == kLineFeed) {
        display_.Push(partial_);
        partial_.clear();
        ++stored;
      } else if (c != kCarriageReturn) {
        widestLine_ = std::max(widestLine_, static_cast<int>(partial_.size()));
        if (static_cast<int>(partial_.size()) >= kMaxLineCells) {
          display_.Push(partial_);
          partial_.clear();
          ++stored;
        }
      }
    }
  } catch (const std::bad_alloc&) {
    partial_.clear();
  }
  UpdateScrollRanges();
  blinkPhase_ = 0;
  ScrollToBottom();
  horizontal_.MoveTo(0);
  following_ = true;
  // The vertical bar moves with nearly every line of traffic and costs more
  // to draw than the text: during traffic it follows a little later.
  SyncScrollBars(false);
  if (!barTimer_.isActive()) barTimer_.start(kBarIntervalMs, this);
  // Without a new stored line and without scrolling, only the row of the
  // partial line and the input line changed.
  if (stored == 0 && firstRow == vertical_.Position() && firstColumn == horizontal_.Position()) {
    RepaintRow(display_.Count());
    return;
  }
  // New lines move the text up by as many rows as the top of the view moved
  // through the whole log (a full log drops its oldest lines). What is still
  // on screen is moved rather than drawn again; the rows from the line that
  // was partial down to the input line are drawn.
  const int dropped = countBefore + stored - display_.Count();
  const int shift = vertical_.Position() - firstRow + dropped;
  if (firstColumn != horizontal_.Position() || shift < 0 || shift >= visibleRows_) {
    RepaintAll();
    return;
  }
  if (shift > 0) ScrollTextUp(shift);
  const int changedRow = std::max(0, countBefore - dropped - vertical_.Position());
  RequestRepaint(QRect(0, changedRow * charHeight_, width(), height() - changedRow * charHeight_));
}

void CLogView::TypeChars(const uint8_t* bytes, int count) {
  if (bytes == nullptr) count = 0;
  for (int i = 0; i < count; ++i) {
    const uint8_t c = bytes[i];
    const uint16_t cell = MakeCell(c, kTyped);
    if (c == kBackspace) {
      if (!input_.empty() && caret_ > 0) {
        input_.erase(input_.begin() + (caret_ - 1));
        --caret_;
      }
    } else if (c == kLineFeed) {
      entered_ = input_;
      input_.clear();
      caret_ = 0;
      if (!entered_.empty()) {
        history_.Push(entered_);
        historyPosition_ = 0;
      }
    } else if (c == kEscape) {
      input_.push_back(cell);
      entered_ = input_;
      input_.clear();
      caret_ = 0;
    } else if (static_cast<int>(input_.size()) < kMaxInputCells) {
      input_.insert(input_.begin() + caret_, cell);
      ++caret_;
      widestLine_ = std::max(widestLine_, static_cast<int>(partial_.size()) + caret_);
      ScrollToBottom();
      KeepCaretVisible();
    }
    // Per byte, so that several bytes at once scroll like single keystrokes.
    UpdateScrollRanges();
  }
  blinkPhase_ = 0;
  NoteUserPosition();
  SyncScrollBars();
  RepaintAll();
}

int CLogView::TakeEnteredLine(QByteArray& out) const {
  for (uint16_t cell : entered_) out.append(static_cast<char>(CharOf(cell)));
  return static_cast<int>(entered_.size());
}

void CLogView::OnArrowKey(int key) {
  switch (key) {
    case Qt::Key_Left:
    case Qt::Key_Right: {
      const int target = caret_ + (key == Qt::Key_Left ? -1 : 1);
      if (target < 0 || target > static_cast<int>(input_.size())) return;
      caret_ = target;
      blinkPhase_ = 0;
      KeepCaretVisible();
      SyncScrollBars();
      RepaintAll();
      return;
    }
    case Qt::Key_Up:
      if (historyPosition_ < history_.Count()) ++historyPosition_;
      RecallHistory();
      return;
    case Qt::Key_Down:
      if (historyPosition_ > 1) --historyPosition_;
      RecallHistory();
      return;
    default: return;
  }
}

void CLogView::RecallHistory() {
  const int count = history_.Count();
  if (count == 0) return;
  const int back = historyPosition_ <= 0 ? 1 : std::min(historyPosition_, count);
  input_ = history_.GetAt(count - back).cells;
  caret_ = static_cast<int>(input_.size());
  blinkPhase_ = 0;
  RepaintAll();
}

void CLogView::DeleteAtCaret() {
  if (input_.empty() || caret_ < 0 || caret_ >= static_cast<int>(input_.size())) return;
  input_.erase(input_.begin() + caret_);
  blinkPhase_ = 0;
  RepaintRow(display_.Count());
}

// ---------------------------------------------------------------- scrolling

void CLogView::UpdateScrollRanges() {
  horizontal_.SetRange(std::max(visibleColumns_, widestLine_ + 1), visibleColumns_);
  vertical_.SetRange(display_.Count() + 1, visibleRows_);
}

void CLogView::ScrollToBottom() { vertical_.MoveTo(display_.Count() + 1); }

void CLogView::KeepCaretVisible() {
  const int column = static_cast<int>(partial_.size()) + caret_;
  const int first = horizontal_.Position();
  if (column < first || column >= first + visibleColumns_) horizontal_.MoveTo(column - visibleColumns_ + 1);
}

void CLogView::ScrollPage(bool up) {
  const int page = vertical_.Page();
  if (vertical_.MoveTo(vertical_.Position() + (up ? -page : page))) {
    NoteUserPosition();
    SyncScrollBars();
    RepaintAll();
  }
}

void CLogView::OnWheel(int delta, bool byPage) {
  if (delta == 0) return;
  const int step = byPage ? vertical_.Page() : 1;
  if (vertical_.MoveTo(vertical_.Position() + (delta < 0 ? step : -step))) {
    NoteUserPosition();
    SyncScrollBars();
    RepaintAll();
  }
}

void CLogView::OnScrollBarMoved(QScrollBar* bar, LogScrollAxis& axis, int limit, int value) {
  const int target = axis.Clamp(value);
  if (target != axis.Position() && target < limit) {
    axis.MoveTo(target);
    NoteUserPosition();
    RepaintAll();
  }
  if (bar->value() != axis.Position()) {
    const QSignalBlocker block(bar);
    bar->setValue(axis.Position());
  }
}

void CLogView::SyncScrollBars(bool vertical) {
  const auto sync = [](QScrollBar* bar, const LogScrollAxis& axis) {
    const QSignalBlocker block(bar);
    bar->setRange(0, axis.LastPosition());
    bar->setPageStep(std::max(1, axis.Page()));
    bar->setValue(axis.Position());
  };
  sync(horizontalBar_, horizontal_);
  if (vertical) sync(verticalBar_, vertical_);
}

// ---------------------------------------------------------------- keys, timer

void CLogView::SetActive(bool active) {
  if (active) {
    blinkPhase_ = 0;
    blinkTimer_.start(kBlinkIntervalMs, this);
  } else {
    blinkTimer_.stop();
  }
  RepaintRow(display_.Count());
}

void CLogView::timerEvent(QTimerEvent* event) {
  if (event->timerId() == frameTimer_.timerId()) {
    frameTimer_.stop();
    FlushRepaint();
    return;
  }
  if (event->timerId() == barTimer_.timerId()) {
    barTimer_.stop();
    SyncScrollBars();
    return;
  }
  if (event->timerId() != blinkTimer_.timerId()) {
    QWidget::timerEvent(event);
    return;
  }
  // 12 phases of 100 ms: the caret shows in phases 0-4 and hides in 5-11.
  blinkPhase_ = blinkPhase_ <= 10 ? blinkPhase_ + 1 : 0;
  if (blinkPhase_ == 0 || blinkPhase_ == 5 || blinkPhase_ == 10) RepaintRow(display_.Count());
}

// ---------------------------------------------------------------- repainting

void CLogView::RepaintAll() {
  pendingScrollRows_ = 0;  // everything is drawn anew
  RequestRepaint(rect());
}

// Moves what the next frame shows up by `rows`; what was waiting to be drawn
// moves with it.
void CLogView::ScrollTextUp(int rows) {
  pendingRepaint_.translate(0, -rows * charHeight_);
  pendingScrollRows_ += rows;
  if (pendingScrollRows_ >= visibleRows_) RepaintAll();
}

void CLogView::RepaintRow(int index) {
  const int row = index - vertical_.Position();
  if (row < 0 || row >= visibleRows_) return;
  RequestRepaint(QRect(0, row * charHeight_, width(), charHeight_));
}

// Traffic may notify far more often than a screen shows frames: changes are
// gathered and painted at most once per frame interval.
void CLogView::RequestRepaint(const QRect& area) {
  // The scroll bars repaint themselves when they change. Left in the region,
  // every frame of traffic would repaint them too, and they cost more to
  // draw than the text.
  QRegion text(area);
  for (const QScrollBar* bar : {horizontalBar_, verticalBar_})
    if (bar != nullptr && bar->isVisible()) text -= bar->geometry();
  if (text.isEmpty()) return;
  pendingRepaint_ += text;
  if (frameTimer_.isActive()) return;
  const qint64 sinceLast = lastRepaint_.isValid() ? lastRepaint_.elapsed() : kFrameIntervalMs;
  if (sinceLast >= kFrameIntervalMs) {
    FlushRepaint();
  } else {
    frameTimer_.start(static_cast<int>(kFrameIntervalMs - sinceLast), Qt::PreciseTimer, this);
  }
}

void CLogView::FlushRepaint() {
  if (pendingScrollRows_ > 0) {
    // The rows still shown are moved within the window's own image; only
    // the rows that came in are painted.
    const int rows = std::exchange(pendingScrollRows_, 0);
    const int textWidth = verticalBar_ != nullptr && verticalBar_->isVisible() ? verticalBar_->x() : width();
    scroll(0, -rows * charHeight_, QRect(0, 0, textWidth, visibleRows_ * charHeight_));
  }
  if (pendingRepaint_.isEmpty()) return;
  lastRepaint_.start();
  update(pendingRepaint_);
  pendingRepaint_ = QRegion();
}

void CLogView::NoteUserPosition() { following_ = vertical_.Position() >= vertical_.LastPosition(); }

void CLogView::TypeCharacter(uint8_t c) {
  if (c == kCarriageReturn) c = kLineFeed;
  TypeChars(&c, 1);
  if (c != kLineFeed && c != kEscape) return;
  QByteArray bytes;
  TakeEnteredLine(bytes);
  if (c == kLineFeed) {
    bytes.append("\r\n");
    emit lineEntered(bytes);
  } else {
    emit escapeEntered(bytes);
  }
}

bool CLogView::HandleKey(const QKeyEvent& event) {
  if (event.type() != QEvent::KeyPress) return false;
  switch (event.key()) {
    case Qt::Key_PageUp: ScrollPage(true); return true;
    case Qt::Key_PageDown: ScrollPage(false); return true;
    case Qt::Key_Left:
    case Qt::Key_Up:
    case Qt::Key_Right:
    case Qt::Key_Down: OnArrowKey(event.key()); return true;
    case Qt::Key_Delete: DeleteAtCaret(); return true;
    default: break;
  }
  if (const uint8_t c = CharacterOfKey(event)) TypeCharacter(c);
  return true;
}

bool CLogView::event(QEvent* event) {
  // Tab is typed into the input line instead of moving the focus.
  if (event->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) {
      keyPressEvent(key);
      return true;
    }
  }
  return QWidget::event(event);
}

void CLogView::keyPressEvent(QKeyEvent* event) {
  HandleKey(*event);
  event->accept();
}

void CLogView::wheelEvent(QWheelEvent* event) {
  const QPoint angle = event->angleDelta();
  OnWheel(angle.y() != 0 ? angle.y() : angle.x(), event->modifiers().testFlag(Qt::ShiftModifier));
  event->accept();
}

// ---------------------------------------------------------------- geometry

void CLogView::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (blinkStarted_) return;
  blinkStarted_ = true;
  PrepareBackBuffer();
  SetActive(true);
}

void CLogView::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  const int w = width();
  const int h = height();
  horizontalBar_->setGeometry(0, h - kScrollBarSize, std::max(0, w - kScrollBarSize), kScrollBarSize);
  verticalBar_->setGeometry(w - kScrollBarSize, 0, kScrollBarSize, std::max(0, h - kScrollBarSize));
  PrepareBackBuffer();
}

void CLogView::PrepareBackBuffer() {
  const QSize client = size();
  if (backBuffer_.isNull() || backBuffer_.width() < client.width() || backBuffer_.height() < client.height()) {
    // The first buffer covers the whole screen, so resizing rarely needs a new one.
    QSize wanted = client;
    if (backBuffer_.isNull() && !backBufferFailed_ && screen() != nullptr) wanted = wanted.expandedTo(screen()->size());
    backBuffer_ = QImage(wanted.expandedTo(QSize(1, 1)), QImage::Format_RGB32);
    if (backBuffer_.isNull() && !backBufferFailed_) {
      backBufferFailed_ = true;
      // No owner and no caption of its own: the platform's default "Error".
      msgbox::Plain(nullptr, QStringLiteral("Error 002"), QStringLiteral("Error"));
    }
  }
  visibleColumns_ = std::max(0, (client.width() - kScrollBarSize) / charWidth_);
  visibleRows_ = std::max(0, (client.height() - kScrollBarSize) / charHeight_);
  UpdateScrollRanges();
  // A view that showed the newest line keeps showing it at its new size.
  if (following_) ScrollToBottom();
  SyncScrollBars();
  RepaintAll();
}

// ---------------------------------------------------------------- painting

void CLogView::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  if (backBuffer_.isNull()) {
    painter.fillRect(rect(), Qt::black);
    return;
  }
  const QRect area = event->rect().intersected(rect());
  Render(backBuffer_, area);
  // The region leaves out the scroll bars. Copied one rectangle at a time,
  // each copy is a plain blit; against the whole region the painter would
  // blend span by span and hand the spans to helper threads.
  for (const QRect& part : event->region()) {
    painter.setClipRect(part);
    painter.drawImage(part.topLeft(), backBuffer_, part);
  }
}

// Renders the rows that `area` touches; the rest of the buffer is left as it is.
// The rows are filled and the glyphs copied straight into the buffer's lines:
// through a painter each of the thousands of cells of a scrolled view would
// pay for a whole image draw.
void CLogView::Render(QImage& target, const QRect& area) {
  const int firstRow = std::max(0, area.top() / charHeight_);
  const int lastRow = area.bottom() / charHeight_;
  const int right = std::min(width(), target.width());
  const int fillEnd = std::min(target.height(), (lastRow + 1) * charHeight_);
  for (int y = firstRow * charHeight_; y < fillEnd; ++y) {
    auto* line = reinterpret_cast<QRgb*>(target.scanLine(y));
    std::fill(line, line + right, qRgb(0, 0, 0));
  }
  const int x0 = -charWidth_ * horizontal_.Position();
  const int count = display_.Count();
  int index = vertical_.Position() + firstRow;
  for (int row = firstRow, y = firstRow * charHeight_; row < visibleRows_ && row <= lastRow && index <= count;
       ++row, ++index, y += charHeight_) {
    if (index < count) {
      DrawCells(target, display_.GetAt(index).cells, x0, y, -1, nullptr);
      continue;
    }
    const int inputX = DrawCells(target, partial_, x0, y, -1, nullptr);
    int caretX = 0;
    const int endX = DrawCells(target, input_, inputX, y, caret_, &caretX);
    if (IsCaretShown()) {
      if (caret_ >= static_cast<int>(input_.size())) caretX = endX;
      QPainter painter(&target);
      painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
      painter.fillRect(QRect(caretX, y, charWidth_, charHeight_), Qt::white);
    }
  }
}

// Draws the cells from x on; returns the x after the last one. CR and LF take
// no space. When caretX is given it receives the x of cell caretIndex.
int CLogView::DrawCells(QImage& target, const std::vector<uint16_t>& cells, int x, int y, int caretIndex, int* caretX) {
  // Cells outside the buffer are counted but not copied.
  const int right = std::min(width(), target.width());
  const int rows = y >= 0 ? std::min(charHeight_, target.height() - y) : 0;
  for (int i = 0; i < static_cast<int>(cells.size()); ++i) {
    if (i == caretIndex && caretX != nullptr) *caretX = x;
    const uint8_t c = CharOf(cells[i]);
    if (c == kCarriageReturn || c == kLineFeed) continue;
    if (rows > 0 && x + charWidth_ > 0 && x < right) {
      // Any mark other than received and typed is drawn as sent.
      uint8_t mark = MarkOf(cells[i]);
      if (mark != kReceived && mark != kTyped) mark = kSent;
      const QRect glyph = GlyphRect(c, mark);
      // Only the part of the cell inside the buffer is copied.
      const int from = std::max(0, -x);
      const int to = std::min(charWidth_, right - x);
      const size_t bytes = static_cast<size_t>(to - from) * sizeof(QRgb);
      for (int r = 0; r < rows; ++r) {
        const auto* source = reinterpret_cast<const QRgb*>(glyphs_.constScanLine(glyph.y() + r)) + glyph.x() + from;
        auto* dest = reinterpret_cast<QRgb*>(target.scanLine(y + r)) + x + from;
        std::memcpy(dest, source, bytes);
      }
    }
    x += charWidth_;
  }
  return x;
}

// Every character cell is drawn once per colour scheme into one image, the
// first time it is needed; painting then copies cells instead of laying out
// text. Returns the cell's place in that image.
QRect CLogView::GlyphRect(uint8_t c, uint8_t mark) {
  if (glyphs_.isNull()) {
    glyphs_ = QImage(256 * charWidth_, 3 * charHeight_, QImage::Format_RGB32);
    glyphReady_.assign(256 * 3, false);
  }
  const QRect box(c * charWidth_, mark * charHeight_, charWidth_, charHeight_);
  const size_t slot = static_cast<size_t>(mark) * 256 + c;
  if (!glyphReady_[slot]) {
    glyphReady_[slot] = true;
    QPainter painter(&glyphs_);
    const CellColours colours = ColoursFor(mark);
    painter.fillRect(box, colours.background);
    painter.setFont(font_);
    painter.setPen(colours.text);
    painter.setClipRect(box);
    painter.drawText(box, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine | Qt::TextDontClip, QString(QChar(c)));
  }
  return box;
}
