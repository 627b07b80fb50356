#pragma once

#include <QObject>
#include <QString>

namespace app {

// Gives a control its design name, so that it can be found by that name.
template <typename Control>
Control* Named(Control* control, const char* name) {
  control->setObjectName(QString::fromLatin1(name));
  return control;
}

}  // namespace app
