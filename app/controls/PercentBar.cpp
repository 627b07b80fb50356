#include "controls/PercentBar.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

namespace controls {

double BarFill(double percent) {
  if (std::isnan(percent)) return 0.0;
  return std::clamp(percent / 100.0, 0.0, 1.0);
}

PercentBar::PercentBar(QWidget* parent) : QWidget(parent) { Describe(); }

void PercentBar::Value(double percent) {
  value_ = percent;
  Describe();
}

void PercentBar::Caption(const QString& caption) {
  caption_ = caption;
  Describe();
}

void PercentBar::Title(const QString& title) {
  title_ = title;
  Describe();
}

void PercentBar::Describe() {
  setAccessibleName(caption_.trimmed().isEmpty() ? title_ : caption_);
  setAccessibleDescription(QStringLiteral("%1 % of full scale").arg(value_, 0, 'f', 1));
  update();
}

QSize PercentBar::sizeHint() const { return {130, 200}; }

void PercentBar::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const int line = fontMetrics().height();
  const QRect trough(width() / 2 - 18, 4, 36, height() - line - 12);
  painter.fillRect(trough, QColor(32, 32, 32));
  painter.setPen(QColor(128, 128, 128));
  painter.drawRect(trough.adjusted(0, 0, -1, -1));

  const QRect inner = trough.adjusted(3, 3, -3, -3);
  const int filled = static_cast<int>(std::lround(inner.height() * BarFill(value_)));
  QLinearGradient fill(inner.topLeft(), inner.bottomLeft());
  fill.setColorAt(0, QColor(255, 170, 0));
  fill.setColorAt(1, QColor(0, 190, 255));
  painter.fillRect(QRect(inner.left(), inner.bottom() - filled + 1, inner.width(), filled), fill);
  if (value_ > 100.0) painter.fillRect(QRect(inner.left(), inner.top(), inner.width(), 4), Qt::red);

  painter.setPen(QColor(90, 90, 90));
  for (int p = 0; p <= 100; p += 10) {
    const int y = inner.bottom() - inner.height() * p / 100;
    painter.drawLine(trough.right() + 2, y, trough.right() + (p % 50 == 0 ? 8 : 5), y);
  }
  painter.setPen(palette().color(QPalette::WindowText));
  painter.drawText(QRect(0, height() - line - 4, width(), line), Qt::AlignHCenter, caption_);
}

}  // namespace controls
