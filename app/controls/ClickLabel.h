#pragma once

#include <QLabel>

namespace controls {

// A label that reports clicks and double clicks of the left button, for
// captions that act as buttons (the bit digits of the register panel).
class ClickLabel : public QLabel {
  Q_OBJECT

 public:
  explicit ClickLabel(const QString& caption = {}, QWidget* parent = nullptr);

 signals:
  void Click();
  void DblClick();

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
};

}  // namespace controls
