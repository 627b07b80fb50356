#pragma once

namespace controls {

// Gives the program's own button classes (ribbons, check boxes) an
// accessible interface whose press and toggle actions click the button at
// once, so that assistive technology runs the same handler as a mouse click.
// Qt's own interface toggles a checkable button without a click: a ribbon
// lit its lamp and ran nothing. Qt's plain push buttons keep Qt's interface
// (Qt answers for its own classes first), whose press clicks after a short
// animation. Installing twice installs once; each button class calls it.
void InstallButtonAccessibility();

}  // namespace controls
