#pragma once

#include <QString>

#include "cli/MachineKind.h"

class QLabel;
class QWidget;

namespace app {

// The machine the windows look at: what the command line started, or,
// before it has, the one QTS_MACHINE names (the program's own virtual PC
// without it).
void SetRunningMachine(qtscli::MachineKind kind);
qtscli::MachineKind RunningMachine();

// "Machine: virtual PC with a simulated evaluation board", "Machine: this
// PC, NAME" with this PC's host name.
QString MachineLineText(qtscli::MachineKind kind);

// The line both windows show beside their own texts, so the user always
// knows which PC they are looking at; its description says how to choose
// another. Named "MachineLBL".
QLabel* NewMachineLine(QWidget* parent);

}  // namespace app
