#include "controls/CheckBox.h"

#include "controls/ButtonAccessible.h"

namespace controls {

CheckBox::CheckBox(const QString& caption, QWidget* parent) : QCheckBox(caption, parent) {
  InstallButtonAccessibility();
  setTristate(true);
#if QT_VERSION >= QT_VERSION_CHECK(6, 7, 0)
  connect(this, &QCheckBox::checkStateChanged, this, &CheckBox::Click);
#else
  connect(this, &QCheckBox::stateChanged, this, &CheckBox::Click);
#endif
}

int CheckBox::Value() const {
  switch (checkState()) {
    case Qt::Checked:
      return 1;
    case Qt::PartiallyChecked:
      return 2;
    case Qt::Unchecked:
      break;
  }
  return 0;
}

void CheckBox::Value(int value) {
  setCheckState(value == 1 ? Qt::Checked : value == 2 ? Qt::PartiallyChecked : Qt::Unchecked);
}

void CheckBox::nextCheckState() {
  setCheckState(checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked);
}

}  // namespace controls
