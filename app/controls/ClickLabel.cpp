#include "controls/ClickLabel.h"

#include <QMouseEvent>

namespace controls {

ClickLabel::ClickLabel(const QString& caption, QWidget* parent) : QLabel(caption, parent) {}

void ClickLabel::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) emit Click();
}

void ClickLabel::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) emit DblClick();
}

}  // namespace controls
