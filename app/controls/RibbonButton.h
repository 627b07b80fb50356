#pragma once

#include <QToolButton>

namespace controls {

// A 3-D button that stays pressed or released. On its own it toggles with
// each click; in an exclusive QButtonGroup one ribbon of the group is pressed
// at a time. Setting the pressed state from code sends no click.
class RibbonButton : public QToolButton {
  Q_OBJECT

 public:
  explicit RibbonButton(QWidget* parent = nullptr);

  bool Value() const { return isChecked(); }
  void Value(bool pressed) { setChecked(pressed); }

  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;
};

}  // namespace controls
