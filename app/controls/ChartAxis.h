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

struct TimeTick {
  double at;         // position on the chart's time line
  double timeOfDay;  // the round time of day it labels
};

// The same ticks for a chart whose time line is not the time of day: where
// on the line from `start` to `end` the time of day is round, given
// `toTimeOfDay`, the seconds that added to a time on the line give the time
// of day there.
std::vector<TimeTick> TimeOfDayTicks(double start, double end, double toTimeOfDay, int maxTicks);

// Tick positions for a value axis: multiples of 1, 2 or 5 times a power of
// ten, at most `maxTicks` of them, between `min` and `max` inclusive.
std::vector<double> ValueTicks(double min, double max, int maxTicks);

}  // namespace controls
