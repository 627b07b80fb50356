#include "logging/LogFormat.h"

#include <array>
#include <charconv>
#include <cstdio>
#include <cstdlib>

namespace logging {

namespace {
constexpr const char* kLineEnd = "\r\n";
constexpr int kSecondsPerDay = 86'400;
}  // namespace

std::string LogHeaderLine() { return std::string("Time\tRTemp\tLTemp") + kLineEnd; }

std::string LogRestartLine() { return std::string("\r\t\t\tRestart") + kLineEnd; }

std::string LogSampleLine(int secondsSinceMidnight, float remote, float local) {
  // Appended piece by piece: GCC 12 at -O3 warns (-Wrestrict) inside the
  // standard library about "\r" + std::string, which inserts at the front.
  std::string line = "\r";
  line.append(TimeOfDayText(secondsSinceMidnight))
      .append("\t")
      .append(LogNumber(remote))
      .append("\t")
      .append(LogNumber(local))
      .append(kLineEnd);
  return line;
}

std::string NumberText(float reading) {
  // A single carries at most seven significant digits of text; going through
  // that text keeps 25.125 as 25.125 and a float's binary noise out of the
  // file. A negative zero is a zero.
  std::array<char, 32> text{};
  std::snprintf(text.data(), text.size(), "%.7g", static_cast<double>(reading));
  double value = std::strtod(text.data(), nullptr);
  if (value == 0) value = 0;
  const auto [end, error] = std::to_chars(text.data(), text.data() + text.size(), value);
  (void)error;  // 32 characters hold every double's shortest text
  return std::string(text.data(), end);
}

std::string LogNumber(float reading) {
  const std::string digits = NumberText(reading);
  std::string field = digits.front() == '-' ? "" : " ";
  field.append(digits).append(" ");
  return field;
}

std::string TimeOfDayText(int secondsSinceMidnight) {
  const int seconds = ((secondsSinceMidnight % kSecondsPerDay) + kSecondsPerDay) % kSecondsPerDay;
  std::array<char, 16> text{};
  std::snprintf(text.data(), text.size(), "%02d:%02d:%02d", seconds / 3600, seconds / 60 % 60, seconds % 60);
  return text.data();
}

}  // namespace logging
