#include "controls/GaugeScale.h"

#include <algorithm>

namespace controls {

double GaugeScale::Clamp(double value) const { return std::clamp(value, min, max); }

double GaugeScale::ToPosition(double value) const {
  if (max == min) return bottom;
  return bottom - (value - min) * (bottom - top) / (max - min);
}

double GaugeScale::ToValue(double position) const {
  if (bottom == top) return min;
  return Clamp(min + (bottom - position) * (max - min) / (bottom - top));
}

std::pair<double, double> ShiftBand(double lower, double upper, double delta, double min,
                                    double max) {
  const double low = std::min(lower, upper);
  const double high = std::max(lower, upper);
  // A band wider than the scale cannot move without leaving it.
  if (min - low > max - high) return {lower, upper};
  const double shift = std::clamp(delta, min - low, max - high);
  return {lower + shift, upper + shift};
}

}  // namespace controls
