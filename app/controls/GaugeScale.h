#pragma once

#include <utility>

namespace controls {

// Maps values of a vertical scale to pixel rows: `max` at row `top`, `min`
// at row `bottom`.
struct GaugeScale {
  double min = 0.0;
  double max = 127.0;
  double top = 0.0;
  double bottom = 100.0;

  double Clamp(double value) const;
  double ToPosition(double value) const;
  // The value at a row, clamped to the scale.
  double ToValue(double position) const;
};

// Moves a band by `delta` keeping its width, stopped at the scale's ends.
std::pair<double, double> ShiftBand(double lower, double upper, double delta, double min,
                                    double max);

}  // namespace controls
