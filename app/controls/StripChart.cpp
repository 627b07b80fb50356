#include "controls/StripChart.h"

#include <QElapsedTimer>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QTime>
#include <algorithm>
#include <cmath>

#include "controls/ChartAxis.h"

namespace controls {
namespace {

constexpr int kRepaintMilliseconds = 30;
constexpr double kMinTimeSpan = 1.0;
constexpr double kMaxTimeSpan = 86400.0;
constexpr double kMinValueRange = 1.0;
constexpr double kDragPixelsPerDoubling = 100.0;

}  // namespace

StripChart::StripChart(QWidget* parent, std::size_t capacityPerTrace)
    : QWidget(parent), history_(kTraces, capacityPerTrace) {
  QElapsedTimer started;
  started.start();
  elapsed_ = [started] { return static_cast<double>(started.nsecsElapsed()) * 1e-9; };
  timeOfDay_ = [] { return QTime::currentTime().msecsSinceStartOfDay() / 1000.0; };
  setFocusPolicy(Qt::StrongFocus);
  repaint_.setSingleShot(true);
  repaint_.setInterval(kRepaintMilliseconds);
  connect(&repaint_, &QTimer::timeout, this, qOverload<>(&QWidget::update));
}

void StripChart::SetClocks(std::function<double()> elapsed, std::function<double()> timeOfDay) {
  elapsed_ = std::move(elapsed);
  timeOfDay_ = std::move(timeOfDay);
  update();
}

double StripChart::Now() const {
  const double now = elapsed_();
  return history_.Empty() ? now : std::max(now, history_.Latest());
}

double StripChart::ToTimeOfDay() const { return timeOfDay_() - elapsed_(); }

void StripChart::AddSample(int trace, double value) {
  history_.Add(trace, elapsed_(), value);
  ScheduleRepaint();
}

void StripChart::Clear() {
  history_.Clear();
  stamps_.clear();
  update();
}

void StripChart::Stamp(double height, const QString& text) {
  stamps_.push_back({Now(), height, text});
  while (stamps_.size() > kMaxStamps) stamps_.pop_front();
  update();
}

QStringList StripChart::StampTexts() const {
  QStringList texts;
  for (const TimeStamp& stamp : stamps_) texts << stamp.text;
  return texts;
}

void StripChart::TraceName(int trace, const QString& name) {
  names_.at(static_cast<std::size_t>(trace)) = name;
  update();
}

QString StripChart::TraceName(int trace) const { return names_.at(static_cast<std::size_t>(trace)); }

void StripChart::TraceColor(int trace, const QColor& color) {
  colors_.at(static_cast<std::size_t>(trace)) = color;
  update();
}

void StripChart::AxisCaptionX(const QString& caption) {
  captionX_ = caption;
  update();
}

void StripChart::AxisCaptionY(const QString& caption) {
  captionY_ = caption;
  update();
}

void StripChart::ValueRange(double min, double max) {
  valueMin_ = std::min(min, max);
  valueMax_ = std::max({min, max, valueMin_ + kMinValueRange});
  update();
}

void StripChart::TimeSpan(double seconds) {
  timeSpan_ = std::clamp(seconds, kMinTimeSpan, kMaxTimeSpan);
  update();
}

QStringList StripChart::TimeLabels() const {
  const QRect plot = PlotArea();
  const double end = ViewEnd();
  QStringList labels;
  for (const TimeTick& tick : TimeOfDayTicks(end - timeSpan_, end, ToTimeOfDay(), std::max(2, plot.width() / 80))) {
    labels << QString::fromStdString(FormatTimeOfDay(tick.timeOfDay));
  }
  return labels;
}

QSize StripChart::sizeHint() const { return {520, 260}; }

QSize StripChart::minimumSizeHint() const { return {240, 140}; }

QRect StripChart::PlotArea() const {
  const QFontMetrics fm = fontMetrics();
  const int line = fm.height();
  const int left = line + fm.horizontalAdvance(QStringLiteral("127")) + 12;
  return QRect(left, line + 8, width() - left - 10, height() - (line + 8) - (2 * line + 10));
}

double StripChart::ViewEnd() const { return following_ ? Now() : frozenEnd_; }

QRect StripChart::TimeHandle() const {
  const QRect plot = PlotArea();
  return {plot.right() - 30, plot.bottom() - 18, 28, 16};
}

QRect StripChart::ValueHandle() const {
  const QRect plot = PlotArea();
  return {plot.left() + 2, plot.top() + 2, 16, 28};
}

void StripChart::ScheduleRepaint() {
  if (!repaint_.isActive()) repaint_.start();
}

void StripChart::ZoomTime(double factor) { TimeSpan(timeSpan_ * factor); }

void StripChart::ZoomValue(double factor) {
  ValueRange(valueMin_, valueMin_ + std::max(kMinValueRange, (valueMax_ - valueMin_) * factor));
}

void StripChart::mousePressEvent(QMouseEvent* event) {
  const QPoint at = event->position().toPoint();
  const bool onHandle = event->button() == Qt::LeftButton && (TimeHandle().contains(at) || ValueHandle().contains(at));
  if (!onHandle) emit MouseDown(event->button(), event->modifiers(), at.x(), at.y());
  dragFrom_ = event->position();
  dragEnd_ = ViewEnd();
  dragMin_ = valueMin_;
  dragMax_ = valueMax_;
  dragSpan_ = timeSpan_;
  if (event->button() == Qt::RightButton) {
    drag_ = Drag::Move;
  } else if (event->button() == Qt::LeftButton && TimeHandle().contains(at)) {
    drag_ = Drag::ZoomTime;
  } else if (event->button() == Qt::LeftButton && ValueHandle().contains(at)) {
    drag_ = Drag::ZoomValue;
  } else {
    drag_ = Drag::None;
  }
}

void StripChart::mouseMoveEvent(QMouseEvent* event) {
  const QPointF d = event->position() - dragFrom_;
  const QRect plot = PlotArea();
  switch (drag_) {
    case Drag::Move: {
      const double end = dragEnd_ - d.x() / std::max(1, plot.width()) * timeSpan_;
      following_ = end >= Now();
      frozenEnd_ = end;
      const double shift = d.y() / std::max(1, plot.height()) * (dragMax_ - dragMin_);
      valueMin_ = dragMin_ + shift;
      valueMax_ = dragMax_ + shift;
      update();
      break;
    }
    case Drag::ZoomTime:
      TimeSpan(dragSpan_ * std::exp2(-d.x() / kDragPixelsPerDoubling));
      break;
    case Drag::ZoomValue:
      ValueRange(dragMin_, dragMin_ + (dragMax_ - dragMin_) * std::exp2(d.y() / kDragPixelsPerDoubling));
      break;
    case Drag::None:
      break;
  }
}

void StripChart::mouseReleaseEvent(QMouseEvent*) { drag_ = Drag::None; }

void StripChart::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Left:
      ZoomTime(1.5);
      break;
    case Qt::Key_Right:
      ZoomTime(1 / 1.5);
      break;
    case Qt::Key_Up:
      ZoomValue(1 / 1.25);
      break;
    case Qt::Key_Down:
      ZoomValue(1.25);
      break;
    default:
      QWidget::keyPressEvent(event);
  }
}

void StripChart::PaintTraces(QPainter& painter, const QRect& plot, double start, double end) const {
  const double yScale = plot.height() / (valueMax_ - valueMin_);
  auto y = [&](double v) { return plot.bottom() - (v - valueMin_) * yScale; };
  for (int trace = 0; trace < kTraces; ++trace) {
    QPainterPath path;
    bool first = true;
    for (const ColumnEnvelope& e : Envelopes(history_, trace, start, end, plot.width())) {
      const double x = plot.left() + e.column + 0.5;
      if (first) {
        path.moveTo(x, y(e.low));
        first = false;
      } else {
        path.lineTo(x, y(e.low));
      }
      if (e.high != e.low) path.lineTo(x, y(e.high));
    }
    painter.setPen(QPen(colors_[static_cast<std::size_t>(trace)], 0));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(path);
  }
}

void StripChart::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const QFontMetrics fm = fontMetrics();
  const int line = fm.height();
  const QRect plot = PlotArea();
  const QColor text = palette().color(QPalette::WindowText);
  const double end = ViewEnd();
  const double start = end - timeSpan_;

  painter.fillRect(plot, QColor(10, 20, 30));
  const double yScale = plot.height() / (valueMax_ - valueMin_);
  auto y = [&](double v) { return plot.bottom() - (v - valueMin_) * yScale; };
  auto x = [&](double t) { return plot.left() + (t - start) / timeSpan_ * plot.width(); };

  // Grid and labels of the value axis, the top of the scale labelled too.
  std::vector<double> valueTicks = ValueTicks(valueMin_, valueMax_, std::max(2, plot.height() / 24));
  // Label the top of the scale as well, unless the last tick's label is too close to it.
  if (valueTicks.empty() || y(valueTicks.back()) - y(valueMax_) > line) {
    valueTicks.push_back(valueMax_);
  }
  for (const double v : valueTicks) {
    painter.setPen(QColor(45, 70, 85));
    painter.drawLine(QPointF(plot.left(), y(v)), QPointF(plot.right(), y(v)));
    painter.setPen(text);
    painter.drawText(QRectF(line + 2, y(v) - line / 2.0, plot.left() - line - 6, line),
                     Qt::AlignRight | Qt::AlignVCenter, QString::number(v, 'g', 6));
  }
  // Grid and labels of the time axis.
  for (const TimeTick& tick : TimeOfDayTicks(start, end, ToTimeOfDay(), std::max(2, plot.width() / 80))) {
    const double t = tick.at;
    painter.setPen(QColor(45, 70, 85));
    painter.drawLine(QPointF(x(t), plot.top()), QPointF(x(t), plot.bottom()));
    painter.setPen(text);
    const QString label = QString::fromStdString(FormatTimeOfDay(tick.timeOfDay));
    const int w = fm.horizontalAdvance(label);
    painter.drawText(QRectF(x(t) - w / 2.0, plot.bottom() + 3, w + 2, line), Qt::AlignLeft, label);
  }

  painter.save();
  painter.setClipRect(plot);
  painter.setRenderHint(QPainter::Antialiasing);
  PaintTraces(painter, plot, start, end);
  for (const TimeStamp& s : stamps_) {
    if (s.time < start || s.time > end) continue;
    const double sx = x(s.time);
    painter.setPen(QPen(QColor(255, 230, 90), 1, Qt::DashLine));
    painter.drawLine(QPointF(sx, plot.top()), QPointF(sx, plot.bottom()));
    painter.drawText(QPointF(sx + 3, plot.bottom() - s.height * plot.height()), s.text);
  }
  // The zoom handles: double arrows to drag.
  painter.setPen(QColor(200, 200, 200));
  painter.setBrush(QColor(70, 80, 90));
  painter.drawRect(TimeHandle());
  painter.drawText(TimeHandle(), Qt::AlignCenter, QStringLiteral("\u25C4\u25BA"));
  painter.drawRect(ValueHandle());
  painter.drawText(ValueHandle(), Qt::AlignCenter, QStringLiteral("\u25B2\n\u25BC"));
  painter.restore();

  painter.setPen(hasFocus() ? palette().color(QPalette::Highlight) : QColor(110, 110, 110));
  painter.setBrush(Qt::NoBrush);
  painter.drawRect(plot.adjusted(0, 0, -1, -1));

  // Axis captions and the legend.
  painter.setPen(text);
  painter.drawText(QRect(plot.left(), height() - line - 2, plot.width(), line), Qt::AlignHCenter,
                   captionX_);
  painter.save();
  painter.translate(2, plot.center().y());
  painter.rotate(-90);
  painter.drawText(QRect(-plot.height() / 2, 0, plot.height(), line), Qt::AlignHCenter, captionY_);
  painter.restore();
  int legendX = plot.left() + 4;
  for (int trace = kTraces - 1; trace >= 0; --trace) {
    const QString& name = names_[static_cast<std::size_t>(trace)];
    if (name.isEmpty()) continue;
    painter.fillRect(QRect(legendX, 4 + line / 2 - 2, 14, 4), colors_[static_cast<std::size_t>(trace)]);
    painter.drawText(QPoint(legendX + 18, 2 + fm.ascent()), name);
    legendX += 18 + fm.horizontalAdvance(name) + 16;
  }
}

}  // namespace controls
