#include "platform/TimeOfDay.h"

#include <chrono>
#include <ctime>

namespace platform {

double LocalTimeOfDay() {
  const auto now = std::chrono::system_clock::now();
  const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
  std::tm local{};
  localtime_r(&seconds, &local);
  const auto fraction = now - std::chrono::system_clock::from_time_t(seconds);
  return local.tm_hour * 3600.0 + local.tm_min * 60.0 + local.tm_sec +
         std::chrono::duration<double>(fraction).count();
}

}  // namespace platform
