#pragma once

#include <cstdint>

// When the logging step writes its next line. Times are the clock's seconds
// since midnight; the last line's time is kept in whole seconds.
namespace monitor {

// Seconds from the last line, logged at `lastLogTime`, to `now`, counted
// across midnight: a line at 23:59:58 is 4 seconds before 00:00:02. The last
// line's time is rounded to the nearest second, so it may lie up to half a
// second after `now`; that counts as a moment ago, not as a day.
double SecondsSinceLastLine(double now, std::int32_t lastLogTime);

// A line is due at once with no delay, otherwise once `delay` seconds have
// passed since the last line.
bool LogLineDue(double now, double delay, std::int32_t lastLogTime);

// The time a line logged at `now` is remembered by: whole seconds, ties to
// even.
std::int32_t LogTimeOf(double now);

}  // namespace monitor
