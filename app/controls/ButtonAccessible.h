#pragma once

namespace controls {

// Gives the program's buttons (push buttons, ribbons, check boxes) an
// accessible interface whose press and toggle actions click the button at
// once, so that assistive technology runs the same handler as a mouse click.
// Qt's own interface toggles a checkable button without a click (a ribbon
// lights its lamp and runs nothing) and presses a push button only after an
// animation. Installing twice installs once; every window and button class
// of the program calls it before its buttons are built.
void InstallButtonAccessibility();

}  // namespace controls
