#include "controls/SelectorGeometry.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace controls {

double SelectorAngle(int position, int count) {
  if (count < 2) return 0.0;
  return -kSelectorSweep / 2 + position * kSelectorSweep / (count - 1);
}

int SelectorPositionAt(double dx, double dy, int count) {
  if (count < 2) return 0;
  const double angle = std::atan2(dx, -dy) * 180.0 / std::numbers::pi;
  const double step = kSelectorSweep / (count - 1);
  // The gap at the bottom belongs to the nearer end of the arc.
  const double position = std::round((angle + kSelectorSweep / 2) / step);
  return static_cast<int>(std::clamp(position, 0.0, static_cast<double>(count - 1)));
}

}  // namespace controls
