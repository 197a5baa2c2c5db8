#pragma once
// CLogView: the scrolling character display of the terminal window.
//
// It keeps the last 1500 lines of serial traffic and shows them in a
// fixed-pitch font, received bytes white on dark blue, sent bytes white on
// dark red. Below the last line it offers a one-line input editor (yellow on
// dark green) with a blinking block caret, at most 255 characters and a
// history of the last 50 entered lines.
//
// How the owner (the terminal window) uses it:
//  - Feed it the cells taken from the capture ring with AppendCells(). A cell
//    is 16 bits: low byte the character, high byte the mark (0 received,
//    1 sent; the view itself uses 2 for typed input). A line ends after its
//    LF cell; a line of 2001 cells without a line end is cut there.
//  - Keys pressed while the view has the focus are handled by the view
//    itself. A window that wants every key of all its children to go to the
//    view forwards them with HandleKey(). Enter emits lineEntered() with the
//    typed line followed by CR LF; Escape emits escapeEntered() with the typed
//    line followed by the ESC byte. The owner sends those bytes (and captures
//    them as sent traffic), then takes the capture ring's pending cells and
//    appends them, so the line shows at once as sent text.
//  - Call SetActive() when its window is activated or deactivated: the caret
//    blinks only while active. The blink starts by itself on first show.
//  - DisplayLines() gives the stored lines, oldest first, e.g. for saving
//    the displayed log.
// Everything runs on the UI thread.
#include <QBasicTimer>
#include <QByteArray>
#include <QElapsedTimer>
#include <QFont>
#include <QImage>
#include <QRegion>
#include <QWidget>

#include <cstdint>
#include <vector>

#include "log/log_data.h"
#include "log/log_scroll_axis.h"

class QPainter;
class QScrollBar;

class CLogView : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kDisplayLines = 1500;
  static constexpr int kHistoryLines = 50;
  // A line without a line end is stored once it holds this many cells.
  static constexpr int kMaxLineCells = 2001;
  static constexpr int kMaxInputCells = 255;
  static constexpr int kScrollBarSize = 15;
  // Font cell height in pixels.
  static constexpr int kFontHeight = 20;
  static constexpr int kBlinkIntervalMs = 100;
  // Changes reach the screen at most this often: 25 frames a second, as the
  // progress dialog's bar. Traffic brings a new line about as often at 9600
  // baud, and every frame repaints the whole text.
  static constexpr int kFrameIntervalMs = 40;
  // During traffic the vertical scroll bar follows at most this often.
  static constexpr int kBarIntervalMs = 1000;

  enum Mark : uint8_t { kReceived = 0, kSent = 1, kTyped = 2 };

  static uint16_t MakeCell(uint8_t character, uint8_t mark) { return static_cast<uint16_t>(mark << 8 | character); }

  explicit CLogView(QWidget* parent = nullptr);
  ~CLogView() override;

  // Adds captured cells to the display and scrolls to the end.
  void AppendCells(const uint16_t* cells, int count);
  void AppendCells(const std::vector<uint16_t>& cells) { AppendCells(cells.data(), static_cast<int>(cells.size())); }

  // Puts typed bytes into the input editor: 8 deletes before the caret,
  // 10 ends the line (it becomes the entered line and goes into the
  // history), 27 ends it with the ESC byte appended (no history), any other
  // byte is inserted at the caret while the line has room.
  void TypeChars(const uint8_t* bytes, int count);
  // Appends the bytes of the last entered line to `out`; returns how many.
  int TakeEnteredLine(QByteArray& out) const;

  // Qt::Key_Left / Key_Right move the caret; Key_Up / Key_Down recall older /
  // newer history entries. Other keys are ignored.
  void OnArrowKey(int key);
  // Removes the input cell at the caret, if there is one.
  void DeleteAtCaret();
  // Moves the vertical position by one page up (towards older lines) or down.
  void ScrollPage(bool up);
  // One wheel step: a negative delta scrolls down (towards later lines), a
  // positive one up; by one line, or by one page when `byPage` (Shift held).
  void OnWheel(int delta, bool byPage);
  // Starts (with the caret shown) or stops the caret blink.
  void SetActive(bool active);

  // Handles one key press the way the terminal wants it: Page Up/Down
  // scroll, the arrows go to OnArrowKey(), Delete to DeleteAtCaret(), every
  // other key that gives a character is typed (Enter as LF). Returns true
  // when the event was a key press (they are all consumed).
  bool HandleKey(const QKeyEvent& event);

  // Read access to the state.
  const CRingLogBuffer& DisplayLines() const { return display_; }
  const CRingLogBuffer& History() const { return history_; }
  const std::vector<uint16_t>& PartialLine() const { return partial_; }
  const std::vector<uint16_t>& InputLine() const { return input_; }
  int Caret() const { return caret_; }
  // 0 after each entered line; 1 is the newest history entry.
  int HistoryPosition() const { return historyPosition_; }
  int WidestLine() const { return widestLine_; }
  const LogScrollAxis& VerticalAxis() const { return vertical_; }
  const LogScrollAxis& HorizontalAxis() const { return horizontal_; }
  int VisibleColumns() const { return visibleColumns_; }
  int VisibleRows() const { return visibleRows_; }
  int CharWidth() const { return charWidth_; }
  int CharHeight() const { return charHeight_; }
  bool IsCaretBlinking() const { return blinkTimer_.isActive(); }
  bool IsCaretShown() const { return blinkTimer_.isActive() && blinkPhase_ <= 4; }
  // True while the view shows the newest line and keeps doing so when it is
  // resized; false once the user scrolled away from the end.
  bool FollowsNewest() const { return following_; }

 signals:
  // The bytes to send after Enter: the typed line followed by CR LF.
  void lineEntered(const QByteArray& bytes);
  // The bytes to send after Escape: the typed line followed by ESC (0x1B).
  void escapeEntered(const QByteArray& bytes);

 protected:
  bool event(QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void timerEvent(QTimerEvent* event) override;

 private:
  void PrepareBackBuffer();
  void UpdateScrollRanges();
  void KeepCaretVisible();
  void ScrollToBottom();
  void RecallHistory();
  void TypeCharacter(uint8_t c);
  void OnScrollBarMoved(QScrollBar* bar, LogScrollAxis& axis, int limit, int value);
  // Both bars, or the horizontal one alone.
  void SyncScrollBars(bool vertical = true);
  void Render(QImage& target, const QRect& area);
  int DrawCells(QImage& target, const std::vector<uint16_t>& cells, int x, int y, int caretIndex, int* caretX);
  QRect GlyphRect(uint8_t c, uint8_t mark);
  void RepaintAll();
  void ScrollTextUp(int rows);
  void RepaintRow(int index);
  void RequestRepaint(const QRect& area);
  void FlushRepaint();
  void NoteUserPosition();

  QScrollBar* horizontalBar_ = nullptr;
  QScrollBar* verticalBar_ = nullptr;
  QImage backBuffer_;
  bool backBufferFailed_ = false;
  QImage glyphs_;
  std::vector<bool> glyphReady_;
  QRegion pendingRepaint_;
  int pendingScrollRows_ = 0;  // rows the text moves up at the next frame
  QBasicTimer frameTimer_;
  QElapsedTimer lastRepaint_;
  bool following_ = true;
  QBasicTimer barTimer_;  // runs while the vertical bar lags behind traffic
  QFont font_;
  int charWidth_ = 0;
  int charHeight_ = 0;
  int visibleColumns_ = 0;
  int visibleRows_ = 0;

  CRingLogBuffer display_;
  int widestLine_ = 0;
  std::vector<uint16_t> partial_;
  std::vector<uint16_t> input_;
  std::vector<uint16_t> entered_;
  int caret_ = 0;
  QBasicTimer blinkTimer_;
  bool blinkStarted_ = false;
  int blinkPhase_ = 0;
  CRingLogBuffer history_;
  int historyPosition_ = 0;

  LogScrollAxis horizontal_;
  LogScrollAxis vertical_;
};
