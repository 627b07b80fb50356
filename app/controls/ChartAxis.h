#pragma once

#include <string>
#include <vector>

namespace controls {

// The time of day at `seconds` since midnight in the chart's axis pattern
// "%H:%M:%S " (with its trailing blank). Seconds past a day wrap.
std::string FormatTimeOfDay(double seconds);

// Tick positions for a time axis from `start` to `end` seconds: multiples of
// the smallest step of 1, 2, 5, 10, 15, 30 s, 1, 2, 5, 10, 15, 30 min, 1, 2,
// 3, 6, 12 h that gives no more than `maxTicks` ticks.
std::vector<double> TimeTicks(double start, double end, int maxTicks);

// Tick positions for a value axis: multiples of 1, 2 or 5 times a power of
// ten, at most `maxTicks` of them, between `min` and `max` inclusive.
std::vector<double> ValueTicks(double min, double max, int maxTicks);

}  // namespace controls
