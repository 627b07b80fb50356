#include "monitor/LogSchedule.h"

#include "numbers/NumberText.h"

namespace monitor {

namespace {
constexpr double kSecondsPerDay = 86'400.0;
// More than the rounding of the last line's time can put it ahead of now.
constexpr double kRoundingSlack = 1.0;
}  // namespace

double SecondsSinceLastLine(double now, std::int32_t lastLogTime) {
  double since = now - lastLogTime;
  if (since < -kRoundingSlack) since += kSecondsPerDay;
  return since;
}

bool LogLineDue(double now, double delay, std::int32_t lastLogTime) {
  return delay == 0 || SecondsSinceLastLine(now, lastLogTime) >= delay;
}

std::int32_t LogTimeOf(double now) { return numbers::ToLong(now); }

}  // namespace monitor
