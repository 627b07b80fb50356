#pragma once

namespace controls {

// Positions of a rotary selector spread over a 270-degree arc: position 0 at
// the lower left, the last at the lower right. Angles in degrees, clockwise
// from straight up.
inline constexpr double kSelectorSweep = 270.0;

double SelectorAngle(int position, int count);

// The position nearest to the direction (dx, dy) from the knob's centre, in
// screen coordinates (y grows downwards).
int SelectorPositionAt(double dx, double dy, int count);

}  // namespace controls
