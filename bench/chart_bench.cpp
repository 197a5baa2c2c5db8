// Level chart figures on the offscreen platform (run with
// QT_QPA_PLATFORM=offscreen). Two parts, each in a process of its own so
// that each peak resident size is that part's alone:
//   viewer:  the data viewer opened on the text of a 100,000-record readout;
//            from creating the viewer to the chart's first paint, and one
//            redraw (reduce + paint) per zoom or pan step;
//   archive: 1,000,000 archived records of one logger (and 100,000 of a
//            second); from creating the archive window to the chart of the
//            whole range painted, and the same redraws.
// Every figure is the median and range of `--runs` repetitions (default 5).
//
//   quorvane-chart-bench [--runs N] [--dir FOLDER] [--only viewer|archive]
#include <QApplication>
#include <QDateTime>
#include <QDateTimeAxis>
#include <QElapsedTimer>
#include <QFont>
#include <QTreeWidget>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "archive/archive.h"
#include "archive/readout_writer.h"
#include "archive/record_line.h"
#include "bench_util.h"
#include "chart/archive_window.h"
#include "chart/level_chart_panel.h"
#include "chart/level_chart_view.h"
#include "pages/dlg_aqcuired.h"
#include "work/device_host.h"

namespace {

constexpr int kViewerRecords = 100000;
constexpr int kArchivedRecords = 1000000;
constexpr int kOtherRecords = 100000;

// What the viewer needs of the program: a session and a font.
class BenchHost : public CDeviceHost {
 public:
  CDeviceSession& Session() override { return session_; }
  ops::ArchiveAccess& Archive() override { return archive_; }
  QFont DialogFont() const override { return QFont(); }
  QFont MeasurePageFont() const override { return QFont(); }
  QWidget* Frame() override { return nullptr; }
  void RunDeviceOperation(QWidget*, int, int) override {}
  void RefreshPages() override {}

 private:
  CDeviceSession session_;
  ops::ArchiveAccess archive_;
};

// A record line as the logger sends it: a slow wave with some noise, the
// battery slowly falling.
std::string Line(int i) {
  const int64_t t = archive::CalendarSeconds(2020, 1, 1, 0, 0, 0) + int64_t{i} * 600;
  const std::string iso = archive::IsoTime(t);
  const double level = 2.0 + std::sin(i / 500.0) + 0.1 * std::sin(i * 0.37);
  const int mv = 3600 - i / 2000;
  char text[80];
  std::snprintf(text, sizeof text, "%05d,%s/%s/%s %s,%d.%03d,%.4f\r\n", i % archive::kRecordIdModulus,
                iso.substr(2, 2).c_str(), iso.substr(5, 2).c_str(), iso.substr(8, 2).c_str(), iso.substr(11).c_str(),
                mv / 1000, mv % 1000, level);
  return text;
}

// Waits until the widget has been painted once after `since` was taken.
class PaintWatch : public QObject {
 public:
  explicit PaintWatch(QWidget* w) : widget_(w) { w->installEventFilter(this); }
  bool painted = false;
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched == widget_ && event->type() == QEvent::Paint) painted = true;
    return false;
  }

 private:
  QWidget* widget_;
};

// Zooms in five steps around the middle, then pans five steps; each step is
// timed up to the end of its synchronous repaint.
void TimeRedraws(CLevelChartView& view, bench::Spread& redraw) {
  const double from = static_cast<double>(view.TimeAxis()->min().toMSecsSinceEpoch());
  const double to = static_cast<double>(view.TimeAxis()->max().toMSecsSinceEpoch());
  QElapsedTimer clock;
  for (int step = 0; step < 10; ++step) {
    clock.start();
    if (step < 5)
      view.ZoomTime(0.7, (from + to) / 2);
    else
      view.chart()->scroll(80, 0);
    view.viewport()->repaint();
    redraw.Add(clock.nsecsElapsed() / 1e6);
  }
}

// Processes events until the chart has been painted (at most 20 s).
bool WaitForPaint(PaintWatch& watch) {
  QElapsedTimer limit;
  limit.start();
  while (!watch.painted && limit.elapsed() < 20000) QApplication::processEvents(QEventLoop::AllEvents, 5);
  return watch.painted;
}

void Print(const char* what, const bench::Spread& shown, const bench::Spread& redraw, const char* goal) {
  std::printf("  %-44s %s   %s\n", what, shown.Format("%.1f ms").c_str(), goal);
  std::printf("  %-44s %s   goal < 50 ms\n", "redraw while zooming/panning", redraw.Format("%.2f ms").c_str());
}

int ViewerPart(int argc, char** argv, int runs) {
  QApplication app(argc, argv);
  std::string text;
  text.reserve(size_t{kViewerRecords} * 40);
  for (int i = 0; i < kViewerRecords; ++i) text += Line(i);
  BenchHost host;
  bench::Spread shown, redraw;
  for (int run = 0; run < runs; ++run) {
    QElapsedTimer clock;
    clock.start();
    CDlgAqcuired viewer(host, text, CDlgAqcuired::kRecords, nullptr);
    viewer.ShowChart({3.5, 0.5, true, false}, 600);
    CLevelChartView& view = *viewer.Chart()->View();
    PaintWatch watch(view.viewport());
    viewer.show();
    if (!WaitForPaint(watch)) return 1;
    shown.Add(clock.nsecsElapsed() / 1e6);
    TimeRedraws(view, redraw);
  }
  std::printf("viewer, %d records (median [range] of %d runs)\n", kViewerRecords, runs);
  Print("chart shown after the viewer opens", shown, redraw, "goal < 300 ms");
  return 0;
}

// Fills a new archive as readouts would: the lines' text through the
// readout writer.
bool FillArchive(const std::string& path) {
  archive::Archive store;
  if (!store.Open(path).ok()) return false;
  for (const char* serial : {"OTHER", "BENCH"}) {
    archive::WriterOptions options;
    options.batchLines = 50000;
    archive::ReadoutWriter writer(store, options);
    writer.BeginReadout({serial, "", "", ""}, {0, 0}, 0);
    const int count = std::strcmp(serial, "BENCH") == 0 ? kArchivedRecords : kOtherRecords;
    std::string block;
    long lines = 0;
    for (int i = 0; i < count; ++i) {
      std::string line = Line(i);
      line.erase(line.size() - 2);  // CR LF
      block += line;
      block += '\n';
      if (++lines == 10000 || i + 1 == count) {
        writer.AddRecordText(block.data(), block.size(), lines);
        block.clear();
        lines = 0;
      }
    }
    if (!writer.EndReadout(count, true, 0).ok()) return false;
  }
  return true;
}

int ArchivePart(int argc, char** argv, int runs, const std::string& path) {
  QApplication app(argc, argv);
  archive::Archive store;
  if (!store.Open(path).ok()) return 1;
  bench::Spread shown, redraw;
  size_t plotted = 0;
  for (int run = 0; run < runs; ++run) {
    QElapsedTimer clock;
    clock.start();
    CArchiveWindow window(store, nullptr);
    PaintWatch watch(window.Chart()->View()->viewport());
    // The bench logger is listed after the other; choosing it plots its
    // whole range.
    const auto found = window.Loggers()->findItems(QStringLiteral("BENCH"), Qt::MatchExactly, 0);
    if (found.isEmpty()) return 1;
    window.SelectLogger(window.Loggers()->indexOfTopLevelItem(found.front()));
    window.show();
    if (!WaitForPaint(watch)) return 1;
    shown.Add(clock.nsecsElapsed() / 1e6);
    plotted = window.Records().Size();
    TimeRedraws(*window.Chart()->View(), redraw);
  }
  std::printf("archive window, %zu records of one logger (median [range] of %d runs)\n", plotted, runs);
  Print("chart of the whole range shown", shown, redraw, "goal < 1000 ms");
  return plotted == size_t{kArchivedRecords} ? 0 : 1;
}

// Runs `part` in a child process; prints its peak resident size.
bool InChild(const char* what, const std::function<int()>& part, const char* goal) {
  std::fflush(stdout);
  const pid_t pid = fork();
  if (pid < 0) return false;
  if (pid == 0) {
    const int rc = part();
    std::fflush(stdout);
    _exit(rc);
  }
  int status = 0;
  rusage usage{};
  if (wait4(pid, &status, 0, &usage) != pid) return false;
  const bool ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
  std::printf("  %-44s %.1f MB   %s%s\n", what, usage.ru_maxrss / 1024.0, goal, ok ? "" : "   (FAILED)");
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  int runs = 5;
  std::string dir = "/tmp";
  std::string only;
  for (int i = 1; i + 1 < argc; i += 2) {
    if (std::strcmp(argv[i], "--runs") == 0) runs = std::max(1, std::atoi(argv[i + 1]));
    if (std::strcmp(argv[i], "--dir") == 0) dir = argv[i + 1];
    if (std::strcmp(argv[i], "--only") == 0) only = argv[i + 1];
  }
  bool ok = true;
  if (only.empty() || only == "viewer")
    ok = InChild(
             "peak resident size", [&] { return ViewerPart(argc, argv, runs); }, "") &&
         ok;
  if (only.empty() || only == "archive") {
    char folder[512];
    std::snprintf(folder, sizeof folder, "%s/qhx_chart_bench_XXXXXX", dir.c_str());
    if (mkdtemp(folder) == nullptr) return 1;
    const std::string path = std::string(folder) + "/million.sqlite";
    std::printf("archive of %d + %d records\n", kArchivedRecords, kOtherRecords);
    if (!InChild(
            "filled (peak resident size of the filling)", [&] { return FillArchive(path) ? 0 : 1; }, ""))
      return 1;
    ok = InChild(
             "peak resident size", [&] { return ArchivePart(argc, argv, runs, path); }, "goal < 300 MB") &&
         ok;
    std::system(("rm -rf '" + std::string(folder) + "'").c_str());
  }
  return ok ? 0 : 1;
}
