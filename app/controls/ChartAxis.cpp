#include "controls/ChartAxis.h"

#include <array>
#include <cmath>
#include <cstdio>

namespace controls {
namespace {

constexpr double kDay = 86400.0;

std::vector<double> MultiplesBetween(double start, double end, double step) {
  std::vector<double> ticks;
  for (double k = std::ceil(start / step - 1e-9); k * step <= end + 1e-9 * step; k += 1.0) {
    ticks.push_back(k * step);
  }
  return ticks;
}

}  // namespace

std::string FormatTimeOfDay(double seconds) {
  double inDay = std::fmod(std::floor(seconds), kDay);
  if (inDay < 0) inDay += kDay;
  const int total = static_cast<int>(inDay);
  char text[32];
  std::snprintf(text, sizeof text, "%02d:%02d:%02d ", total / 3600, total / 60 % 60, total % 60);
  return text;
}

std::vector<double> TimeTicks(double start, double end, int maxTicks) {
  static constexpr std::array<double, 17> kSteps{1,   2,   5,    10,   15,   30,    60,    120,  300,
                                                 600, 900, 1800, 3600, 7200, 10800, 21600, 43200};
  if (!(end > start) || maxTicks < 1) return {};
  for (const double step : kSteps) {
    if ((end - start) / step + 1 <= maxTicks) return MultiplesBetween(start, end, step);
  }
  return MultiplesBetween(start, end, kDay);
}

std::vector<TimeTick> TimeOfDayTicks(double start, double end, double toTimeOfDay, int maxTicks) {
  std::vector<TimeTick> ticks;
  for (const double timeOfDay : TimeTicks(start + toTimeOfDay, end + toTimeOfDay, maxTicks)) {
    ticks.push_back({timeOfDay - toTimeOfDay, timeOfDay});
  }
  return ticks;
}

std::vector<double> ValueTicks(double min, double max, int maxTicks) {
  if (!(max > min) || maxTicks < 1) return {};
  double magnitude = std::pow(10.0, std::floor(std::log10((max - min) / maxTicks)));
  for (;; magnitude *= 10.0) {
    for (const double factor : {1.0, 2.0, 5.0}) {
      const double step = factor * magnitude;
      if ((max - min) / step + 1 <= maxTicks) return MultiplesBetween(min, max, step);
    }
  }
}

}  // namespace controls
