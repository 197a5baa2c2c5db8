// The log view: stored lines and their limits, the input line with caret,
// Enter/Escape and history, scrolling, and the colours it paints.
#include <QScreen>
#include <QScrollBar>
#include <QSignalSpy>
#include <QtTest>

#include <vector>

#include "../support/generous_deadline.h"
#include "log/log_scroll_axis.h"
#include "log/log_view.h"

namespace {

std::vector<uint16_t> Cells(const QByteArray& text, uint8_t mark = CLogView::kReceived) {
  std::vector<uint16_t> cells;
  for (char c : text) cells.push_back(CLogView::MakeCell(static_cast<uint8_t>(c), mark));
  return cells;
}

QByteArray Text(const std::vector<uint16_t>& cells) {
  QByteArray text;
  for (uint16_t cell : cells) text.append(static_cast<char>(cell & 0xFF));
  return text;
}

void Type(CLogView& view, const QByteArray& bytes) {
  view.TypeChars(reinterpret_cast<const uint8_t*>(bytes.constData()), static_cast<int>(bytes.size()));
}

QByteArray Entered(const CLogView& view) {
  QByteArray line;
  view.TakeEnteredLine(line);
  return line;
}

}  // namespace

class LogViewTest : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void cleanup();

  void storesLinesWithTheirLineEnds();
  void keepsTheLast1500Lines();
  void cutsLongLines();
  void inputEditing_data();
  void inputEditing();
  void enterAndEscape();
  void historyRecall();
  void keysReachTheInputLine();
  void scrollAxisRules_data();
  void scrollAxisRules();
  void newTrafficScrollsToTheEnd();
  void opensAtTheNewestLineAndStaysThereWhenResized();
  void typingKeepsTheCaretVisible();
  void pageWheelAndScrollBars();
  void paintsEachDirectionInItsColours();
  void paintsTheColumnsScrolledTo();
  void windowShowsWhatTheTextIsAfterTraffic();

 private:
  CLogView* view_ = nullptr;
};

void LogViewTest::init() {
  view_ = new CLogView;
  view_->resize(400, 300);
  view_->show();
  QVERIFY(view_->VisibleRows() > 2);
  QVERIFY(view_->VisibleColumns() > 2);
}

void LogViewTest::cleanup() {
  delete view_;
  view_ = nullptr;
}

void LogViewTest::storesLinesWithTheirLineEnds() {
  view_->AppendCells(Cells("OK\r\n"));
  QCOMPARE(view_->DisplayLines().Count(), 1);
  QCOMPARE(Text(view_->DisplayLines().GetAt(0).cells), QByteArray("OK\r\n"));
  QCOMPARE(view_->WidestLine(), 2);  // CR and LF take no column

  // A line may arrive in pieces, and a chunk may hold the start of the next.
  view_->AppendCells(Cells("YES"));
  view_->AppendCells(Cells(" END\r\nWA"));
  QCOMPARE(view_->DisplayLines().Count(), 2);
  QCOMPARE(Text(view_->DisplayLines().GetAt(1).cells), QByteArray("YES END\r\n"));
  QCOMPARE(Text(view_->PartialLine()), QByteArray("WA"));

  view_->AppendCells(nullptr, 0);
  QCOMPARE(view_->DisplayLines().Count(), 2);
}

void LogViewTest::keepsTheLast1500Lines() {
  for (int i = 0; i <= CLogView::kDisplayLines; ++i) view_->AppendCells(Cells(QByteArray::number(i) + "\n"));
  const CRingLogBuffer& lines = view_->DisplayLines();
  QCOMPARE(lines.Count(), CLogView::kDisplayLines);
  QCOMPARE(Text(lines.GetAt(0).cells), QByteArray("1\n"));
  QCOMPARE(Text(lines.GetAt(lines.Count() - 1).cells), QByteArray("1500\n"));
  QCOMPARE(view_->VerticalAxis().Maximum(), CLogView::kDisplayLines + 1);
}

void LogViewTest::cutsLongLines() {
  view_->AppendCells(Cells(QByteArray(CLogView::kMaxLineCells, 'x')));
  QCOMPARE(view_->DisplayLines().Count(), 1);
  QCOMPARE(static_cast<int>(view_->DisplayLines().GetAt(0).cells.size()), CLogView::kMaxLineCells);
  QVERIFY(view_->PartialLine().empty());

  view_->AppendCells(Cells(QByteArray(CLogView::kMaxLineCells + 1, 'y')));
  QCOMPARE(view_->DisplayLines().Count(), 2);
  QCOMPARE(Text(view_->PartialLine()), QByteArray("y"));
  QCOMPARE(view_->WidestLine(), CLogView::kMaxLineCells);
}

void LogViewTest::inputEditing_data() {
  QTest::addColumn<QByteArray>("first");
  QTest::addColumn<int>("caretLeft");
  QTest::addColumn<QByteArray>("then");
  QTest::addColumn<bool>("deleteAtCaret");
  QTest::addColumn<QByteArray>("expected");
  QTest::addColumn<int>("caret");

  QTest::newRow("insert before the last character")
      << QByteArray("xyz") << 1 << QByteArray("ab") << false << QByteArray("xyabz") << 4;
  QTest::newRow("backspace at the start does nothing")
      << QByteArray("abc") << 3 << QByteArray("\b") << false << QByteArray("abc") << 0;
  QTest::newRow("backspace before the caret")
      << QByteArray("abc") << 1 << QByteArray("\b") << false << QByteArray("ac") << 1;
  QTest::newRow("backspace on an empty line") << QByteArray() << 0 << QByteArray("\b\b") << false << QByteArray() << 0;
  QTest::newRow("left stops at the start")
      << QByteArray("ab") << 5 << QByteArray("c") << false << QByteArray("cab") << 1;
  QTest::newRow("delete at the caret") << QByteArray("abc") << 2 << QByteArray() << true << QByteArray("ac") << 1;
  QTest::newRow("delete at the end does nothing")
      << QByteArray("abc") << 0 << QByteArray() << true << QByteArray("abc") << 3;
  QTest::newRow("256th character ignored") << QByteArray(CLogView::kMaxInputCells, 'a') << 0 << QByteArray("b") << false
                                           << QByteArray(CLogView::kMaxInputCells, 'a') << CLogView::kMaxInputCells;
}

void LogViewTest::inputEditing() {
  QFETCH(QByteArray, first);
  QFETCH(int, caretLeft);
  QFETCH(QByteArray, then);
  QFETCH(bool, deleteAtCaret);
  QFETCH(QByteArray, expected);
  QFETCH(int, caret);

  Type(*view_, first);
  for (int i = 0; i < caretLeft; ++i) view_->OnArrowKey(Qt::Key_Left);
  Type(*view_, then);
  if (deleteAtCaret) view_->DeleteAtCaret();
  QCOMPARE(Text(view_->InputLine()), expected);
  QCOMPARE(view_->Caret(), caret);
  for (uint16_t cell : view_->InputLine()) QCOMPARE(cell >> 8, int(CLogView::kTyped));
}

void LogViewTest::enterAndEscape() {
  Type(*view_, "RD SYS\n");
  QCOMPARE(Entered(*view_), QByteArray("RD SYS"));
  QVERIFY(view_->InputLine().empty());
  QCOMPARE(view_->Caret(), 0);
  QCOMPARE(view_->History().Count(), 1);

  // An empty line is entered but not kept in the history.
  Type(*view_, "\n");
  QCOMPARE(Entered(*view_), QByteArray());
  QCOMPARE(view_->History().Count(), 1);

  // Escape ends the line with ESC wherever the caret is; no history.
  Type(*view_, "ab");
  view_->OnArrowKey(Qt::Key_Left);
  Type(*view_, "\x1b");
  QCOMPARE(Entered(*view_), QByteArray("ab\x1b"));
  QVERIFY(view_->InputLine().empty());
  QCOMPARE(view_->History().Count(), 1);
}

void LogViewTest::historyRecall() {
  view_->OnArrowKey(Qt::Key_Up);  // empty history: nothing
  QVERIFY(view_->InputLine().empty());

  Type(*view_, "one\ntwo\n");
  const QByteArray expected[] = {"two", "one", "one", "two", "two"};
  const int keys[] = {Qt::Key_Up, Qt::Key_Up, Qt::Key_Up, Qt::Key_Down, Qt::Key_Down};
  for (int i = 0; i < 5; ++i) {
    view_->OnArrowKey(keys[i]);
    QCOMPARE(Text(view_->InputLine()), expected[i]);
    QCOMPARE(view_->Caret(), static_cast<int>(expected[i].size()));
  }

  // Entering a recalled line keeps it as the newest entry; the ring keeps 50.
  Type(*view_, "\n");
  QCOMPARE(view_->HistoryPosition(), 0);
  for (int i = 0; i < CLogView::kHistoryLines; ++i) Type(*view_, "cmd" + QByteArray::number(i) + "\n");
  QCOMPARE(view_->History().Count(), CLogView::kHistoryLines);
  QCOMPARE(Text(view_->History().GetAt(0).cells), QByteArray("cmd0"));
  view_->OnArrowKey(Qt::Key_Down);
  QCOMPARE(Text(view_->InputLine()), QByteArray("cmd49"));
}

void LogViewTest::keysReachTheInputLine() {
  QSignalSpy lines(view_, &CLogView::lineEntered);
  QSignalSpy escapes(view_, &CLogView::escapeEntered);

  QTest::keyClicks(view_, "ab");
  QTest::keyClick(view_, Qt::Key_Tab);  // typed, not a focus change
  QTest::keyClick(view_, Qt::Key_F1);   // no character
  QTest::keyClick(view_, Qt::Key_Left);
  QTest::keyClick(view_, Qt::Key_Delete);
  QCOMPARE(Text(view_->InputLine()), QByteArray("ab"));
  QTest::keyClick(view_, Qt::Key_Tab);
  QCOMPARE(Text(view_->InputLine()), QByteArray("ab\t"));
  QTest::keyClick(view_, Qt::Key_Return);
  QCOMPARE(lines.count(), 1);
  QCOMPARE(lines.at(0).at(0).toByteArray(), QByteArray("ab\t\r\n"));

  QTest::keyClick(view_, Qt::Key_Enter);
  QCOMPARE(lines.count(), 2);
  QCOMPARE(lines.at(1).at(0).toByteArray(), QByteArray("\r\n"));

  QTest::keyClicks(view_, "ab");
  QTest::keyClick(view_, Qt::Key_Escape);
  QCOMPARE(escapes.count(), 1);
  QCOMPARE(escapes.at(0).at(0).toByteArray(), QByteArray("ab\x1b"));
  QCOMPARE(lines.count(), 2);
}

void LogViewTest::scrollAxisRules_data() {
  QTest::addColumn<int>("maximum");
  QTest::addColumn<int>("page");
  QTest::addColumn<int>("position");
  QTest::addColumn<int>("newMaximum");
  QTest::addColumn<int>("newPage");
  QTest::addColumn<int>("expected");

  QTest::newRow("at the end, one more line: follows") << 10 << 3 << 8 << 11 << 3 << 9;
  QTest::newRow("at the top, one more line: stays") << 10 << 3 << 0 << 11 << 3 << 0;
  QTest::newRow("two more lines: stays") << 10 << 3 << 5 << 12 << 3 << 5;
  QTest::newRow("same range: unchanged") << 10 << 3 << 4 << 10 << 3 << 4;
  QTest::newRow("position past the new maximum: back to 0") << 10 << 3 << 7 << 6 << 3 << 0;
  QTest::newRow("larger page: clamped to the last page") << 10 << 3 << 8 << 10 << 5 << 6;
  QTest::newRow("page larger than the range") << 10 << 3 << 8 << 10 << 20 << 0;
}

void LogViewTest::scrollAxisRules() {
  QFETCH(int, maximum);
  QFETCH(int, page);
  QFETCH(int, position);
  QFETCH(int, newMaximum);
  QFETCH(int, newPage);
  QFETCH(int, expected);

  LogScrollAxis axis;
  axis.SetRange(maximum, page);
  axis.MoveTo(position);
  QCOMPARE(axis.Position(), position);
  axis.SetRange(newMaximum, newPage);
  QCOMPARE(axis.Position(), expected);
  QVERIFY(axis.Position() <= axis.LastPosition());
}

void LogViewTest::newTrafficScrollsToTheEnd() {
  const int rows = view_->VisibleRows();
  for (int i = 0; i < 100; ++i) view_->AppendCells(Cells("line\r\n"));
  // "The end" is display count + 1, clamped to the last full page.
  const int bottom = 101 - rows + 1;
  QCOMPARE(view_->VerticalAxis().Maximum(), 101);
  QCOMPARE(view_->VerticalAxis().Position(), bottom);

  view_->ScrollPage(true);
  QCOMPARE(view_->VerticalAxis().Position(), bottom - rows);
  view_->AppendCells(Cells("x"));
  QCOMPARE(view_->VerticalAxis().Position(), bottom);

  // Typing also returns to the end.
  view_->ScrollPage(true);
  Type(*view_, "a");
  QCOMPARE(view_->VerticalAxis().Position(), bottom);

  QScrollBar* vertical = nullptr;
  for (QScrollBar* bar : view_->findChildren<QScrollBar*>())
    if (bar->orientation() == Qt::Vertical) vertical = bar;
  QVERIFY(vertical != nullptr);
  QCOMPARE(vertical->value(), bottom);
  QCOMPARE(vertical->geometry(), QRect(400 - 15, 0, 15, 300 - 15));
}

void LogViewTest::opensAtTheNewestLineAndStaysThereWhenResized() {
  // Lines arrive while the terminal window has never been shown.
  CLogView view;
  for (int i = 0; i < 100; ++i) view.AppendCells(Cells("line\r\n"));
  const LogScrollAxis& axis = view.VerticalAxis();
  view.resize(400, 300);
  view.show();
  QVERIFY(QTest::qWaitForWindowExposed(&view));
  QVERIFY(axis.Position() > 0);
  QCOMPARE(axis.Position(), axis.LastPosition());

  for (const int height : {500, 200, 301, 300}) {
    view.resize(400, height);
    QCOMPARE(axis.Position(), axis.LastPosition());
  }

  // Scrolled up by the user: a resize keeps the place.
  view.ScrollPage(true);
  const int kept = axis.Position();
  QVERIFY(kept < axis.LastPosition());
  QVERIFY(!view.FollowsNewest());
  view.resize(400, 340);
  QCOMPARE(axis.Position(), kept);

  // Back at the end by the wheel, it follows again.
  for (int i = 0; i < 200 && axis.Position() < axis.LastPosition(); ++i) view.OnWheel(-120, false);
  QVERIFY(view.FollowsNewest());
  view.resize(400, 240);
  QCOMPARE(axis.Position(), axis.LastPosition());
}

void LogViewTest::typingKeepsTheCaretVisible() {
  const int columns = view_->VisibleColumns();
  view_->AppendCells(Cells("> "));  // the input line starts after the partial line
  Type(*view_, QByteArray(columns + 5, 'a'));
  const auto caretVisible = [this] {
    const int column = static_cast<int>(view_->PartialLine().size()) + view_->Caret();
    const int first = view_->HorizontalAxis().Position();
    return column >= first && column < first + view_->VisibleColumns();
  };
  QVERIFY(view_->HorizontalAxis().Position() > 0);
  QVERIFY(caretVisible());
  for (int i = 0; i < columns + 5; ++i) view_->OnArrowKey(Qt::Key_Left);
  QVERIFY(caretVisible());
  QCOMPARE(view_->HorizontalAxis().Position(), 0);

  // New traffic shows the start of the lines again.
  view_->OnArrowKey(Qt::Key_Right);
  view_->AppendCells(Cells("\n"));
  QCOMPARE(view_->HorizontalAxis().Position(), 0);
}

void LogViewTest::pageWheelAndScrollBars() {
  QScrollBar* horizontal = nullptr;
  QScrollBar* vertical = nullptr;
  for (QScrollBar* bar : view_->findChildren<QScrollBar*>())
    (bar->orientation() == Qt::Vertical ? vertical : horizontal) = bar;

  // Dragging cannot scroll past the widest line: with no text, not at all.
  horizontal->setValue(1);
  QCOMPARE(view_->HorizontalAxis().Position(), 0);
  QCOMPARE(horizontal->value(), 0);

  const int rows = view_->VisibleRows();
  for (int i = 0; i < 100; ++i) view_->AppendCells(Cells("line\n"));
  const int bottom = view_->VerticalAxis().Position();

  view_->ScrollPage(false);  // already at the end
  QCOMPARE(view_->VerticalAxis().Position(), bottom);
  view_->OnWheel(120, false);
  QCOMPARE(view_->VerticalAxis().Position(), bottom - 1);
  view_->OnWheel(120, true);
  QCOMPARE(view_->VerticalAxis().Position(), bottom - 1 - rows);
  view_->OnWheel(-120, false);
  QCOMPARE(view_->VerticalAxis().Position(), bottom - rows);
  QTest::keyClick(view_, Qt::Key_PageUp);
  QCOMPARE(view_->VerticalAxis().Position(), bottom - 2 * rows);
  for (int i = 0; i < 20; ++i) view_->ScrollPage(true);
  QCOMPARE(view_->VerticalAxis().Position(), 0);

  vertical->setValue(3);
  QCOMPARE(view_->VerticalAxis().Position(), 3);
  const int columns = view_->VisibleColumns();
  view_->AppendCells(Cells(QByteArray(columns * 2, 'w')));
  horizontal->setValue(columns);
  QCOMPARE(view_->HorizontalAxis().Position(), columns);
}

void LogViewTest::paintsEachDirectionInItsColours() {
  // One received space, one sent space, one typed space, then the caret.
  std::vector<uint16_t> cells = Cells(" ", CLogView::kReceived);
  cells.push_back(CLogView::MakeCell(' ', CLogView::kSent));
  view_->AppendCells(cells);
  Type(*view_, " ");

  const int w = view_->CharWidth();
  const int y = view_->CharHeight() / 2;
  const auto pixel = [this, y, w](int cell) { return view_->grab().toImage().pixelColor(cell * w + w / 2, y); };
  QVERIFY(view_->IsCaretShown());
  QCOMPARE(pixel(0), QColor(0, 0, 100));
  QCOMPARE(pixel(1), QColor(100, 0, 0));
  QCOMPARE(pixel(2), QColor(0, 100, 0));
  QCOMPARE(pixel(3), QColor(Qt::white));  // inverted black
  QCOMPARE(pixel(4), QColor(Qt::black));

  // The caret blinks: it hides within the blink period.
  QTRY_VERIFY_WITH_TIMEOUT(!view_->IsCaretShown(), 5000);
  QCOMPARE(pixel(3), QColor(Qt::black));

  view_->SetActive(false);
  QVERIFY(!view_->IsCaretBlinking());
  QVERIFY(!view_->IsCaretShown());
}

void LogViewTest::paintsTheColumnsScrolledTo() {
  // A received line wider than the view, every third cell sent.
  const int columns = view_->VisibleColumns();
  std::vector<uint16_t> cells;
  for (int i = 0; i < columns * 2; ++i)
    cells.push_back(CLogView::MakeCell(' ', i % 3 == 1 ? CLogView::kSent : CLogView::kReceived));
  view_->AppendCells(cells);
  QScrollBar* horizontal = nullptr;
  for (QScrollBar* bar : view_->findChildren<QScrollBar*>())
    if (bar->orientation() == Qt::Horizontal) horizontal = bar;
  horizontal->setValue(1);
  QCOMPARE(view_->HorizontalAxis().Position(), 1);

  const int w = view_->CharWidth();
  const QImage shown = view_->grab().toImage();
  const int y = view_->CharHeight() / 2;
  const QColor received(0, 0, 100), sent(100, 0, 0);
  // Cell 1 of the line is now the first one shown.
  QCOMPARE(shown.pixelColor(w / 2, y), sent);
  QCOMPARE(shown.pixelColor(w + w / 2, y), received);
  QCOMPARE(shown.pixelColor(3 * w + w / 2, y), sent);
  // The last text pixel left of the vertical bar belongs to the cell there.
  const int lastX = view_->width() - CLogView::kScrollBarSize - 1;
  QCOMPARE(shown.pixelColor(lastX, y), (lastX / w + 1) % 3 == 1 ? sent : received);
  // Below the line the view is black.
  QCOMPARE(shown.pixelColor(w / 2, view_->CharHeight() + y), QColor(Qt::black));
}

void LogViewTest::windowShowsWhatTheTextIsAfterTraffic() {
  // Lines of both directions arrive in pieces, some frames apart and some
  // within one frame, past the log's capacity. The window's own image (what
  // the screen shows) must then match the text drawn afresh.
  QVERIFY(QTest::qWaitForWindowExposed(view_));
  Type(*view_, "typed");
  const auto line = [](int i) {
    std::vector<uint16_t> cells;
    const QByteArray text = QByteArray::number(i) + QByteArray(i % 7, '#') + "\r\n";
    for (char c : text)
      cells.push_back(CLogView::MakeCell(static_cast<uint8_t>(c), i % 2 ? CLogView::kSent : CLogView::kReceived));
    return cells;
  };
  for (int i = 0; i < 1600; ++i) {
    std::vector<uint16_t> cells = line(i);
    const size_t half = cells.size() / 2;
    view_->AppendCells(std::vector<uint16_t>(cells.begin(), cells.begin() + half));
    if (i > 1595) QTest::qWait(CLogView::kFrameIntervalMs + 5);  // the partial line is shown
    view_->AppendCells(std::vector<uint16_t>(cells.begin() + half, cells.end()));
    if (i % 97 == 0 || i > 1590) QTest::qWait(CLogView::kFrameIntervalMs + 5);
  }
  view_->SetActive(false);  // no caret blinking between the two pictures
  // Speed-dependent: the last repaints come with the view's next frames, as
  // soon as this thread gets its turn; a window that never shows the text
  // fails at the deadline.
  QImage drawn, shown;
  const auto showsTheText = [&] {
    drawn = view_->grab().toImage().convertToFormat(QImage::Format_RGB32);
    shown =
        view_->screen()->grabWindow(view_->winId()).toImage().convertToFormat(QImage::Format_RGB32).copy(drawn.rect());
    return shown == drawn;
  };
  QVERIFY(QTest::qWaitFor(showsTheText, static_cast<int>(testwait::Generous(std::chrono::seconds(5)).count())));
}

QTEST_MAIN(LogViewTest)
#include "log_view_test.moc"
