#include "controls/LimitGauge.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <cmath>

namespace controls {
namespace {

constexpr int kLabelRight = 26;
constexpr int kScaleX = 30;
constexpr int kBandLeft = 32;
constexpr int kBandRight = 44;
constexpr int kPointerLeft = 46;
constexpr int kPointerRight = 60;
constexpr double kGrabDistance = 7.0;

}  // namespace

LimitGauge::LimitGauge(QWidget* parent) : QWidget(parent) {
  setFocusPolicy(Qt::StrongFocus);
  Changed();
}

void LimitGauge::SetRange(double min, double max) {
  min_ = std::min(min, max);
  max_ = std::max(min, max);
  update();
}

void LimitGauge::Changed() {
  setAccessibleDescription(QStringLiteral("low limit %1, high limit %2")
                               .arg(QString::number(low_, 'g', 6), QString::number(high_, 'g', 6)));
  update();
}

void LimitGauge::PointerIndex(int index) {
  if (index >= kBand && index <= kHigh) pointerIndex_ = index;
  update();
}

double LimitGauge::Value() const { return PointerValue(pointerIndex_); }

void LimitGauge::Value(double value) { PointerValue(pointerIndex_, value); }

void LimitGauge::BandLower(double value) {
  band_.first = value;
  Changed();
}

void LimitGauge::BandUpper(double value) {
  band_.second = value;
  Changed();
}

void LimitGauge::CaptionIndex(int index) {
  if (index >= 0 && index < kCaptionSlots) captionIndex_ = index;
}

QString LimitGauge::Caption() const { return captions_.at(captionIndex_); }

void LimitGauge::Caption(const QString& text) {
  captions_.at(captionIndex_) = text;
  update();
}

QSize LimitGauge::sizeHint() const { return {96, 240}; }

QSize LimitGauge::minimumSizeHint() const { return {72, 140}; }

GaugeScale LimitGauge::Scale() const {
  const int line = fontMetrics().height();
  return {min_, max_, 2.0 * line + 8, height() - 2.0 * line - 8.0};
}

double LimitGauge::Row(double value) const {
  const GaugeScale scale = Scale();
  return scale.ToPosition(scale.Clamp(value));
}

double LimitGauge::PointerValue(int index) const {
  switch (index) {
    case kLow:
      return low_;
    case kHigh:
      return high_;
    default:
      return band_.first;
  }
}

void LimitGauge::PointerValue(int index, double value) {
  switch (index) {
    case kLow:
      low_ = value;
      break;
    case kHigh:
      high_ = value;
      break;
    default:
      band_ = {value, value + (band_.second - band_.first)};
      break;
  }
  Changed();
}

int LimitGauge::HitTest(QPointF at) const {
  if (at.x() >= kBandRight) {
    const double toLow = std::abs(at.y() - Row(low_));
    const double toHigh = std::abs(at.y() - Row(high_));
    if (std::min(toLow, toHigh) <= kGrabDistance) return toHigh <= toLow ? kHigh : kLow;
  }
  if (at.x() >= kScaleX && at.x() <= kPointerLeft) {
    const double upper = Row(std::max(band_.first, band_.second));
    const double lower = Row(std::min(band_.first, band_.second));
    if (at.y() >= upper - 3 && at.y() <= lower + 3) return kBand;
  }
  return -1;
}

void LimitGauge::UserMoved(int index) {
  movedPointer_ = index;
  pointerIndex_ = index;
  update();
  emit PointerMoved(index);
}

void LimitGauge::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  dragging_ = HitTest(event->position());
  dragStartValue_ = Scale().ToValue(event->position().y());
  dragStartBand_ = band_;
  dragMoved_ = false;
  if (dragging_ >= 0) {
    pointerIndex_ = dragging_;
    update();
  }
}

void LimitGauge::mouseMoveEvent(QMouseEvent* event) {
  if (dragging_ < 0) return;
  const GaugeScale scale = Scale();
  const double at = scale.ToValue(event->position().y());
  if (dragging_ == kBand) {
    band_ = ShiftBand(dragStartBand_.first, dragStartBand_.second, at - dragStartValue_, min_, max_);
  } else {
    PointerValue(dragging_, at);
  }
  dragMoved_ = true;
  Changed();
}

void LimitGauge::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || dragging_ < 0) return;
  const int moved = dragging_;
  dragging_ = -1;
  if (dragMoved_) UserMoved(moved);
}

void LimitGauge::keyPressEvent(QKeyEvent* event) {
  double step = 0.0;
  switch (event->key()) {
    case Qt::Key_Left:
      PointerIndex((pointerIndex_ + 2) % 3);
      return;
    case Qt::Key_Right:
      PointerIndex((pointerIndex_ + 1) % 3);
      return;
    case Qt::Key_Up:
      step = 1.0;
      break;
    case Qt::Key_Down:
      step = -1.0;
      break;
    case Qt::Key_PageUp:
      step = 10.0;
      break;
    case Qt::Key_PageDown:
      step = -10.0;
      break;
    default:
      QWidget::keyPressEvent(event);
      return;
  }
  if (pointerIndex_ == kBand) {
    band_ = ShiftBand(band_.first, band_.second, step, min_, max_);
    Changed();
  } else {
    const GaugeScale scale = Scale();
    PointerValue(pointerIndex_, scale.Clamp(PointerValue(pointerIndex_) + step));
  }
  UserMoved(pointerIndex_);
}

void LimitGauge::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  const GaugeScale scale = Scale();
  const int line = fontMetrics().height();
  const QColor text = palette().color(QPalette::WindowText);

  painter.setPen(text);
  painter.drawText(QRect(0, 2, width(), line), Qt::AlignHCenter, captions_[0]);
  painter.drawText(QRect(0, 4 + line, width() - 2, line), Qt::AlignRight, captions_[3]);
  painter.drawText(QRect(0, height() - 2 * line - 4, width() - 2, line), Qt::AlignRight,
                   captions_[2]);
  painter.drawText(QRect(0, height() - line - 2, width(), line), Qt::AlignHCenter, captions_[1]);

  // Scale with a tick every 10 degrees and a number every 20.
  painter.drawLine(QPointF(kScaleX, scale.top), QPointF(kScaleX, scale.bottom));
  QFont small = font();
  small.setPointSizeF(small.pointSizeF() * 0.8);
  painter.setFont(small);
  for (int v = static_cast<int>(std::ceil(min_ / 10.0)) * 10; v <= max_; v += 10) {
    const double y = scale.ToPosition(v);
    painter.drawLine(QPointF(kScaleX - (v % 20 == 0 ? 5 : 3), y), QPointF(kScaleX, y));
    if (v % 20 == 0) {
      painter.drawText(QRectF(0, y - line / 2.0, kLabelRight, line), Qt::AlignRight | Qt::AlignVCenter,
                       QString::number(v));
    }
  }
  painter.setFont(font());

  // The band between the limits.
  const double bandTop = Row(std::max(band_.first, band_.second));
  const double bandBottom = Row(std::min(band_.first, band_.second));
  painter.setPen(QColor(0, 120, 0));
  painter.setBrush(QColor(0, 190, 0, pointerIndex_ == kBand && hasFocus() ? 230 : 160));
  painter.drawRect(QRectF(kBandLeft, bandTop, kBandRight - kBandLeft, bandBottom - bandTop));

  // A pointer beyond the scale stands hollow at its end.
  auto pointer = [&](double value, const QColor& colour, bool selected) {
    const double y = Row(value);
    const bool beyond = value != scale.Clamp(value);
    QPainterPath path;
    path.moveTo(kPointerLeft, y);
    path.lineTo(kPointerRight, y - 6);
    path.lineTo(kPointerRight, y + 6);
    path.closeSubpath();
    painter.setPen(QPen(selected ? text : colour.darker(150), selected || beyond ? 2 : 1));
    painter.setBrush(beyond ? QBrush(Qt::NoBrush) : QBrush(colour));
    painter.drawPath(path);
  };
  pointer(low_, QColor(40, 90, 230), pointerIndex_ == kLow && hasFocus());
  pointer(high_, QColor(220, 40, 40), pointerIndex_ == kHigh && hasFocus());
}

}  // namespace controls
