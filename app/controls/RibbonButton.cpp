#include "controls/RibbonButton.h"

#include <QPainter>

#include "controls/ButtonAccessible.h"

namespace controls {

RibbonButton::RibbonButton(QWidget* parent) : QToolButton(parent) {
  InstallButtonAccessibility();
  setCheckable(true);
  setFocusPolicy(Qt::StrongFocus);
}

QSize RibbonButton::sizeHint() const { return {22, 22}; }

void RibbonButton::paintEvent(QPaintEvent*) {
  // A bevelled square that sinks when pressed, with a lit centre.
  QPainter painter(this);
  const QRect r = rect().adjusted(0, 0, -1, -1);
  const bool down = isChecked() || isDown();
  const QColor face = palette().color(QPalette::Button);
  painter.fillRect(r, face);
  painter.setPen(down ? face.darker(170) : face.lighter(160));
  painter.drawLine(r.topLeft(), r.topRight());
  painter.drawLine(r.topLeft(), r.bottomLeft());
  painter.setPen(down ? face.lighter(160) : face.darker(170));
  painter.drawLine(r.bottomLeft(), r.bottomRight());
  painter.drawLine(r.topRight(), r.bottomRight());
  const QRect lamp = r.adjusted(6, 6, -5, -5);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(face.darker(200));
  painter.setBrush(isChecked() ? QColor(0, 200, 0) : face.darker(120));
  painter.drawEllipse(lamp);
  if (hasFocus()) {
    painter.setPen(QPen(palette().color(QPalette::Highlight), 1, Qt::DotLine));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(r.adjusted(2, 2, -2, -2));
  }
  if (!text().isEmpty()) {
    painter.setPen(palette().color(QPalette::ButtonText));
    painter.drawText(r, Qt::AlignCenter, text());
  }
}

}  // namespace controls
