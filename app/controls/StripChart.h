#pragma once

#include <QColor>
#include <QString>
#include <QTimer>
#include <QWidget>
#include <array>
#include <deque>
#include <functional>

#include "controls/ChartHistory.h"

namespace controls {

// A two-trace strip chart of values against time, like a chart recorder:
// the newest samples appear at the right edge and the view follows them.
// Samples are placed on the time line of a monotonic clock when they are
// added; the time axis is labelled with the time of day, so a clock put
// back or forward (daylight saving, midnight) moves the labels but never
// piles samples up in one column.
//
// The user zooms with the arrow keys (Left/Right: time, Up/Down: values) or
// by dragging the arrow handles at the ends of the axes, and moves the view
// by dragging with the right button; moving the view back past the newest
// sample makes it follow again. Every mouse press outside the handles is
// reported by MouseDown, for the program to act on; a press on a handle
// starts a zoom and is the chart's own.
//
// The history is bounded: each trace keeps its newest kDefaultCapacity
// samples. Repaints are coalesced, so adding samples every few milliseconds
// costs no more drawing than the screen can show.
class StripChart : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kTraces = 2;
  static constexpr std::size_t kDefaultCapacity = std::size_t{1} << 17;
  static constexpr std::size_t kMaxStamps = 256;
  static constexpr double kDefaultTimeSpan = 60.0;

  explicit StripChart(QWidget* parent = nullptr, std::size_t capacityPerTrace = kDefaultCapacity);

  // The chart's clocks: `elapsed`, seconds of a monotonic clock, places the
  // samples; `timeOfDay`, seconds since midnight, labels the axis. By default
  // the steady clock and the local time of day.
  void SetClocks(std::function<double()> elapsed, std::function<double()> timeOfDay);

  // Adds a sample at the elapsed clock's time.
  void AddSample(int trace, double value);
  // Empties both traces and removes the time stamps.
  void Clear();
  // Puts `text` at the current time, `height` (0..1) up the plot area.
  void Stamp(double height, const QString& text);

  void TraceName(int trace, const QString& name);
  QString TraceName(int trace) const;
  void TraceColor(int trace, const QColor& color);
  void AxisCaptionX(const QString& caption);
  QString AxisCaptionX() const { return captionX_; }
  void AxisCaptionY(const QString& caption);
  QString AxisCaptionY() const { return captionY_; }

  // The value scale, and the seconds of time the plot shows.
  void ValueRange(double min, double max);
  double ValueMin() const { return valueMin_; }
  double ValueMax() const { return valueMax_; }
  void TimeSpan(double seconds);
  double TimeSpan() const { return timeSpan_; }
  // True while the view follows the newest samples.
  bool Following() const { return following_; }
  // The time-axis labels the plot shows now, left to right.
  QStringList TimeLabels() const;

  const ChartHistory& History() const { return history_; }
  std::size_t StampCount() const { return stamps_.size(); }
  // The stamps' texts, oldest first.
  QStringList StampTexts() const;

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

 signals:
  void MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, int x, int y);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  struct TimeStamp {
    double time;
    double height;
    QString text;
  };
  enum class Drag { None, Move, ZoomTime, ZoomValue };

  QRect PlotArea() const;
  double ViewEnd() const;
  // Now on the time line, never before the newest sample.
  double Now() const;
  // What added to a time on the line gives the time of day there.
  double ToTimeOfDay() const;
  QRect TimeHandle() const;
  QRect ValueHandle() const;
  void ScheduleRepaint();
  void ZoomTime(double factor);
  void ZoomValue(double factor);
  void PaintTraces(QPainter& painter, const QRect& plot, double start, double end) const;

  ChartHistory history_;
  std::deque<TimeStamp> stamps_;
  std::function<double()> elapsed_;
  std::function<double()> timeOfDay_;
  std::array<QString, kTraces> names_;
  std::array<QColor, kTraces> colors_{QColor(255, 80, 80), QColor(80, 220, 255)};
  QString captionX_;
  QString captionY_;
  double valueMin_ = 0.0;
  double valueMax_ = 127.0;
  double timeSpan_ = kDefaultTimeSpan;
  bool following_ = true;
  double frozenEnd_ = 0.0;
  QTimer repaint_;

  Drag drag_ = Drag::None;
  QPointF dragFrom_;
  double dragEnd_ = 0.0;
  double dragMin_ = 0.0;
  double dragMax_ = 0.0;
  double dragSpan_ = 0.0;
};

}  // namespace controls
