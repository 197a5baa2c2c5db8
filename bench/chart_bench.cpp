// Level chart figures on the offscreen platform (run with
// QT_QPA_PLATFORM=offscreen): for 100,000 and 1,000,000 records, the time
// from creating the chart to its first paint, the time of one redraw while
// zooming and panning (reduce + paint), and the peak resident size. Each
// figure is the median of `--runs` (default 5).
#include <QApplication>
#include <QDateTime>
#include <QDateTimeAxis>
#include <QElapsedTimer>
#include <QImage>
#include <QPainter>

#include <sys/resource.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#include "chart/level_chart_view.h"

namespace {

chart::RecordSeries Series(int count) {
  chart::RecordSeries s;
  s.Reserve(static_cast<size_t>(count));
  for (int i = 0; i < count; ++i) {
    const double level = std::sin(i / 500.0) + 0.1 * std::sin(i * 0.37);
    s.Append(i % 100000, 1767398400 + int64_t{i} * 600, level, 3.6 - i * 1e-7);
  }
  chart::MarkGaps(s, 100000, 600);
  return s;
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

// One paint of the whole view into an image, as a window repaint would do.
void Paint(CLevelChartView& view) {
  QImage image(view.size(), QImage::Format_ARGB32_Premultiplied);
  QPainter painter(&image);
  view.render(&painter);
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  int runs = 5;
  for (int i = 1; i + 1 < argc; ++i)
    if (std::strcmp(argv[i], "--runs") == 0) runs = std::max(1, std::atoi(argv[i + 1]));

  for (int count : {100000, 1000000}) {
    std::vector<double> shown, redraw;
    for (int run = 0; run < runs; ++run) {
      chart::RecordSeries series = Series(count);
      QElapsedTimer clock;
      clock.start();
      CLevelChartView view;
      view.resize(1000, 600);
      view.SetLimits({1.5, -1.5, true, false});
      view.SetRecords(std::move(series));
      view.show();
      QApplication::processEvents();
      Paint(view);
      shown.push_back(clock.nsecsElapsed() / 1e6);

      // Zoom in five steps around the middle, then pan five steps.
      const double from = view.TimeAxis()->min().toMSecsSinceEpoch();
      const double to = view.TimeAxis()->max().toMSecsSinceEpoch();
      for (int step = 0; step < 10; ++step) {
        clock.restart();
        if (step < 5)
          view.ZoomTime(0.7, (from + to) / 2);
        else
          view.chart()->scroll(80, 0);
        Paint(view);
        redraw.push_back(clock.nsecsElapsed() / 1e6);
      }
    }
    std::printf("records %d: chart shown %.1f ms, redraw while zooming/panning %.2f ms (median of %d / %zu)\n", count,
                Median(shown), Median(redraw), runs, redraw.size());
  }
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  std::printf("peak resident size %.1f MB\n", usage.ru_maxrss / 1024.0);
  return 0;
}
