#pragma once

#include <QLabel>

namespace controls {

// A label that acts as a button (the bit digits of the register panel). A
// click is reported when the left button is released over the label after a
// press on it, so a press dragged off it does nothing; the second press of a
// double click is reported as DblClick, on its release in the same way.
// With the focus, Space or Enter clicks it. Assistive technology sees a
// button whose value is the caption and whose press action clicks it.
class ClickLabel : public QLabel {
  Q_OBJECT

 public:
  explicit ClickLabel(const QString& caption = {}, QWidget* parent = nullptr);

  // Clicks the label as the mouse or the keyboard does.
  void Activate();

 signals:
  void Click();
  void DblClick();

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  enum class Pressed { None, Once, Twice };
  Pressed pressed_ = Pressed::None;
};

}  // namespace controls
