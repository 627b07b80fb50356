#include "controls/Selector.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <numbers>

#include "controls/SelectorGeometry.h"

namespace controls {
namespace {

QPointF OnCircle(QPointF centre, double radius, double degrees) {
  const double a = degrees * std::numbers::pi / 180.0;
  return {centre.x() + radius * std::sin(a), centre.y() - radius * std::cos(a)};
}

}  // namespace

Selector::Selector(QWidget* parent) : QWidget(parent) { setFocusPolicy(Qt::StrongFocus); }

void Selector::Value(int position) {
  value_ = position;
  Changed();
}

void Selector::Caption(const QString& caption) {
  caption_ = caption;
  setAccessibleName(caption);
  update();
}

void Selector::Labels(const QStringList& labels) {
  labels_ = labels;
  Changed();
}

bool Selector::AtPosition() const { return value_ >= 0 && value_ < labels_.size(); }

void Selector::Changed() {
  setAccessibleDescription(AtPosition() ? labels_[value_].trimmed()
                                        : QStringLiteral("%1, no position").arg(value_));
  update();
}

QSize Selector::sizeHint() const { return {190, 170}; }

QPointF Selector::Centre() const {
  const int line = fontMetrics().height();
  return {width() / 2.0, line + 6 + (height() - line - 6) / 2.0};
}

double Selector::Radius() const {
  const int line = fontMetrics().height();
  const int labelWidth = fontMetrics().horizontalAdvance(QStringLiteral("0.0625"));
  return std::max(10.0, std::min(width() / 2.0 - labelWidth - 8, (height() - line - 6) / 2.0 - line - 4));
}

void Selector::UserTurned(int position) {
  if (labels_.isEmpty()) return;
  const int chosen = std::clamp(position, 0, static_cast<int>(labels_.size()) - 1);
  if (chosen == value_) return;
  Value(chosen);
  emit ValueChanged(value_);
}

void Selector::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  const QPointF d = event->position() - Centre();
  UserTurned(SelectorPositionAt(d.x(), d.y(), static_cast<int>(labels_.size())));
}

void Selector::mouseMoveEvent(QMouseEvent* event) {
  if (!(event->buttons() & Qt::LeftButton)) return;
  const QPointF d = event->position() - Centre();
  UserTurned(SelectorPositionAt(d.x(), d.y(), static_cast<int>(labels_.size())));
}

void Selector::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Left:
    case Qt::Key_Down:
      UserTurned(value_ - 1);
      break;
    case Qt::Key_Right:
    case Qt::Key_Up:
      UserTurned(value_ + 1);
      break;
    case Qt::Key_Home:
      UserTurned(0);
      break;
    case Qt::Key_End:
      UserTurned(static_cast<int>(labels_.size()) - 1);
      break;
    default:
      QWidget::keyPressEvent(event);
  }
}

void Selector::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  const QColor text = palette().color(QPalette::WindowText);
  const int line = fontMetrics().height();
  painter.setPen(text);
  painter.drawText(QRect(0, 2, width(), line), Qt::AlignHCenter, caption_);

  const QPointF centre = Centre();
  const double radius = Radius();
  const int count = static_cast<int>(labels_.size());
  for (int i = 0; i < count; ++i) {
    const double angle = SelectorAngle(i, count);
    painter.setPen(text);
    painter.drawLine(OnCircle(centre, radius + 2, angle), OnCircle(centre, radius + 7, angle));
    const QPointF at = OnCircle(centre, radius + 10 + line / 2.0, angle);
    const int w = fontMetrics().horizontalAdvance(labels_[i]) + 4;
    const QRectF box(at.x() - w / 2.0, at.y() - line / 2.0, w, line);
    if (i == value_) {
      painter.setPen(QColor(0, 90, 200));
      QFont bold = font();
      bold.setBold(true);
      painter.setFont(bold);
    }
    painter.drawText(box, Qt::AlignCenter, labels_[i]);
    painter.setFont(font());
  }

  // The knob: a raised disc with a pointer line to the chosen position.
  QRadialGradient shade(centre - QPointF(radius / 3, radius / 3), radius * 1.4);
  shade.setColorAt(0, QColor(235, 235, 235));
  shade.setColorAt(1, QColor(120, 120, 120));
  painter.setPen(QPen(QColor(70, 70, 70), hasFocus() ? 2 : 1));
  painter.setBrush(shade);
  painter.drawEllipse(centre, radius, radius);
  if (AtPosition()) {
    painter.setPen(QPen(QColor(200, 30, 30), 3, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(centre, OnCircle(centre, radius - 3, SelectorAngle(value_, count)));
  } else {
    QFont bold = font();
    bold.setBold(true);
    painter.setFont(bold);
    painter.setPen(QColor(200, 0, 0));
    painter.drawText(QRectF(centre.x() - radius, centre.y() - line / 2.0, 2 * radius, line), Qt::AlignCenter,
                     QString::number(value_));
    painter.setFont(font());
  }
}

}  // namespace controls
