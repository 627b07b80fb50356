#pragma once

#include <optional>
#include <vector>

// What a limit gauge's pointer move does to the chip's limits: pure
// arithmetic, so that the window only reads the gauge and carries out the
// result.
namespace monitor {

// The gauge's pointers after the user moved one.
struct GaugePointers {
  double bandLower;
  double bandUpper;
  double low;
  double high;
};

// Write codes of one gauge's limits.
struct LimitRegisters {
  int highWrite;
  int lowWrite;
};

struct LimitWrite {
  int code;
  int value;
  bool operator==(const LimitWrite&) const = default;
};

// The outcome of a move: the gauge settings to make, the register writes in
// order, and the limits the captions show.
struct LimitEdit {
  std::optional<int> bandLower;
  std::optional<int> bandUpper;
  std::optional<int> lowPointer;
  std::optional<int> highPointer;
  std::vector<LimitWrite> writes;
  int low = 0;
  int high = 0;
};

// The low limit stays at least this many degrees below the high limit when
// a single limit pointer is dragged.
inline constexpr int kLimitSeparation = 5;

// `pointer` 0 (the band), 1 (low limit) or 2 (high limit). Limits are whole
// degrees, rounded to the nearest with ties to even. A band move writes the
// low limit, then the high limit, without the separation check; a limit move
// holds the separation against the band's other end and writes that limit
// alone; a limit the separation would push past 0..255 stops at that end, so
// the chip can hold every limit written. Nothing for any other pointer. Throws comport::RuntimeError
// (Overflow) for a value beyond a 16-bit integer.
std::optional<LimitEdit> LimitPointerMove(int pointer, const GaugePointers& gauge, const LimitRegisters& registers);

}  // namespace monitor
