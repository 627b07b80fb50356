#include "sim/TemperatureScenario.h"

#include <charconv>
#include <cmath>
#include <numbers>
#include <stdexcept>
#include <string>
#include <vector>

namespace sim {

namespace {

double Seconds(std::uint64_t nanoseconds) { return static_cast<double>(nanoseconds) * 1e-9; }

std::vector<std::string_view> Split(std::string_view text) {
  std::vector<std::string_view> parts;
  while (true) {
    const auto colon = text.find(':');
    parts.push_back(text.substr(0, colon));
    if (colon == std::string_view::npos) return parts;
    text.remove_prefix(colon + 1);
  }
}

double Number(std::string_view text) {
  double value = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc{} || end != text.data() + text.size() || text.empty())
    throw std::invalid_argument("scenario: \"" + std::string(text) + "\" is not a number");
  return value;
}

}  // namespace

double TemperatureScenario::RemoteAt(std::uint64_t nanoseconds) const {
  switch (kind) {
    case Kind::Cycle: {
      // Starts at the low end, so a fresh board begins inside the limits.
      const double phase = 2.0 * std::numbers::pi * Seconds(nanoseconds) / seconds;
      return low + (high - low) * 0.5 * (1.0 - std::cos(phase));
    }
    case Kind::Constant:
      return low;
    case Kind::Step:
      return Seconds(nanoseconds) < seconds ? low : high;
    case Kind::DiodeOpen:
      break;
  }
  return 0.0;
}

TemperatureScenario TemperatureScenario::Parse(std::string_view text) {
  const std::vector<std::string_view> parts = Split(text);
  TemperatureScenario scenario;
  if (parts[0] == "cycle" && parts.size() == 1) return scenario;
  if (parts[0] == "open" && parts.size() == 1) {
    scenario.kind = Kind::DiodeOpen;
    return scenario;
  }
  if (parts[0] == "constant" && parts.size() == 2) {
    scenario.kind = Kind::Constant;
    scenario.low = Number(parts[1]);
    return scenario;
  }
  if (parts[0] == "step" && parts.size() == 4) {
    scenario.kind = Kind::Step;
    scenario.low = Number(parts[1]);
    scenario.high = Number(parts[2]);
    scenario.seconds = Number(parts[3]);
    return scenario;
  }
  throw std::invalid_argument("scenario: use cycle, constant:T, step:A:B:SECONDS or open");
}

double AmbientAt(std::uint64_t nanoseconds) {
  return 25.0 + 0.75 * std::sin(2.0 * std::numbers::pi * Seconds(nanoseconds) / 900.0);
}

}  // namespace sim
