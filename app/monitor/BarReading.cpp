#include "monitor/BarReading.h"

#include <cmath>

#include "logging/LogFormat.h"

namespace monitor {

namespace {
// 127 degrees make a full bar.
constexpr double kDegreesPerPercent = 1.27;
}  // namespace

BarReading BarOf(Channel channel, bool printerPort, float reading) {
  const std::string prefix = channel == Channel::Remote ? "Remote T = " : "Local T = ";
  if (printerPort) {
    const std::string text = logging::NumberText(reading);
    if (channel == Channel::Remote) return {prefix + text, reading / kDegreesPerPercent};
    return {prefix + text + "C", std::trunc(reading / kDegreesPerPercent)};
  }
  const float shown = channel == Channel::Remote ? std::abs(reading) : reading;
  const std::string sign = shown == 0 ? "" : "+";
  return {prefix + sign + logging::NumberText(shown) + "C", shown / kDegreesPerPercent};
}

}  // namespace monitor
