#include "controls/WaitCursor.h"

#include <QCursor>
#include <QGuiApplication>

namespace controls {

WaitCursor::WaitCursor() { QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor)); }

WaitCursor::~WaitCursor() { QGuiApplication::restoreOverrideCursor(); }

}  // namespace controls
