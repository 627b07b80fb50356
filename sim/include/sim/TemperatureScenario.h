#pragma once

#include <cstdint>
#include <string_view>

namespace sim {

// What the remote diode of the simulated chip measures over machine time.
//   cycle              slow sine between `low` and `high` over `seconds`
//   constant:T         always T degrees
//   step:A:B:S         A degrees until S seconds of machine time, then B
//   open               the diode is disconnected
struct TemperatureScenario {
  enum class Kind { Cycle, Constant, Step, DiodeOpen };

  Kind kind = Kind::Cycle;
  double low = 30.0;   // cycle low; constant value; step value before
  double high = 100.0; // cycle high; step value after
  double seconds = 120.0;  // cycle period; step time

  double RemoteAt(std::uint64_t nanoseconds) const;
  bool DiodeOpen() const { return kind == Kind::DiodeOpen; }

  // Throws std::invalid_argument for a text it cannot read.
  static TemperatureScenario Parse(std::string_view text);
};

// The board's ambient, which the local sensor sees: a slow drift around 25 C.
double AmbientAt(std::uint64_t nanoseconds);

}  // namespace sim
