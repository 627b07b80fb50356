#include "Logo.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace app {

QPixmap LogoPixmap(const QSize& size) {
  QPixmap pixmap(size);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  const QRectF r(1, 1, size.width() - 2, size.height() - 2);

  QLinearGradient sky(r.topLeft(), r.bottomRight());
  sky.setColorAt(0, QColor(0, 60, 130));
  sky.setColorAt(1, QColor(0, 150, 170));
  painter.setPen(QPen(QColor(0, 40, 80), 2));
  painter.setBrush(sky);
  painter.drawRoundedRect(r, r.height() / 6, r.height() / 6);

  // A stylised wave for the signal the chip watches.
  QPainterPath wave;
  const double mid = r.top() + r.height() * 0.72;
  wave.moveTo(r.left() + r.width() * 0.06, mid);
  for (int i = 1; i <= 4; ++i) {
    const double x0 = r.left() + r.width() * (0.06 + 0.22 * (i - 1));
    const double x1 = x0 + r.width() * 0.22;
    wave.cubicTo(x0 + r.width() * 0.07, mid - r.height() * 0.16, x1 - r.width() * 0.07,
                 mid + r.height() * 0.16, x1, mid);
  }
  painter.setPen(QPen(QColor(255, 190, 40), r.height() / 18.0, Qt::SolidLine, Qt::RoundCap));
  painter.setBrush(Qt::NoBrush);
  painter.drawPath(wave);

  QFont font(QStringLiteral("Sans Serif"));
  font.setBold(true);
  font.setPixelSize(static_cast<int>(r.height() * 0.34));
  painter.setFont(font);
  painter.setPen(Qt::white);
  painter.drawText(QRectF(r.left(), r.top() + r.height() * 0.08, r.width(), r.height() * 0.45),
                   Qt::AlignCenter, QStringLiteral("Norvane"));
  return pixmap;
}

}  // namespace app
