#pragma once

#include <QCheckBox>

namespace controls {

// A check box with the three values of the program's windows: 0 unticked,
// 1 ticked, 2 greyed. Click runs whenever the value changes, whether the user
// clicked or code set the value, and it runs at once, before the setter
// returns: the windows rely on that to chain their handling.
class CheckBox : public QCheckBox {
  Q_OBJECT

 public:
  explicit CheckBox(const QString& caption = {}, QWidget* parent = nullptr);

  int Value() const;
  void Value(int value);

 signals:
  void Click();

 protected:
  // A user click ticks an unticked or greyed box and unticks a ticked one.
  void nextCheckState() override;
};

}  // namespace controls
