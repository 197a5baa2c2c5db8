#pragma once
// The endless bar of the progress dialog: a block that runs from left to
// right and starts again, drawn with two solid fills. Each frame repaints only
// the strips the block left and entered, so a run of many minutes costs the
// user-interface thread almost nothing. It runs only while it is shown.
#include <QBasicTimer>
#include <QElapsedTimer>
#include <QWidget>

class CMarqueeBar : public QWidget {
  Q_OBJECT
 public:
  // The block moves as an endless bar stepping every 10 ms would, but is
  // drawn 25 times a second: each frame wakes the user-interface thread, and
  // a long readout should cost it next to nothing.
  static constexpr int kFrameMs = 40;
  // The block moves this many pixels per second.
  static constexpr int kPixelsPerSecond = 150;

  explicit CMarqueeBar(QWidget* parent = nullptr);

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

  // The block's left edge, relative to the inner area (for tests).
  int BlockLeft() const { return blockLeft_; }
  int BlockWidth() const;
  bool IsRunning() const { return timer_.isActive(); }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  void timerEvent(QTimerEvent* event) override;

 private:
  QRect Inner() const;
  QRect BlockRect(int left) const;

  QBasicTimer timer_;
  QElapsedTimer clock_;
  int blockLeft_ = 0;
};
