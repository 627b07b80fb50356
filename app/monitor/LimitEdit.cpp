#include "monitor/LimitEdit.h"

#include <algorithm>

#include "numbers/NumberText.h"

namespace monitor {

namespace {

constexpr int kBand = 0;
constexpr int kLow = 1;
constexpr int kHigh = 2;

// A limit register holds a byte.
constexpr int kLowestLimit = 0;
constexpr int kHighestLimit = 255;

int Whole(double value) { return numbers::ToInteger(value); }

// The separation can push a limit past what the register holds (a high
// limit below 5, or 0xFF everywhere from a device that does not answer):
// the limit stops at the register's end instead.
int HeldLimit(double value) { return std::clamp(Whole(value), kLowestLimit, kHighestLimit); }

}  // namespace

std::optional<LimitEdit> LimitPointerMove(int pointer, const GaugePointers& gauge,
                                          const LimitRegisters& registers) {
  LimitEdit edit;
  switch (pointer) {
    case kBand:
      edit.low = Whole(gauge.bandLower);
      edit.high = Whole(gauge.bandUpper);
      edit.lowPointer = edit.low;
      edit.highPointer = edit.high;
      edit.writes = {{registers.lowWrite, edit.low}, {registers.highWrite, edit.high}};
      return edit;
    case kLow:
      edit.low = Whole(gauge.low);
      edit.high = Whole(gauge.high);
      if (gauge.bandUpper - kLimitSeparation < edit.low) edit.low = HeldLimit(gauge.bandUpper - kLimitSeparation);
      edit.bandLower = edit.low;
      edit.lowPointer = edit.low;
      edit.writes = {{registers.lowWrite, edit.low}};
      return edit;
    case kHigh:
      edit.high = Whole(gauge.high);
      edit.low = Whole(gauge.low);
      if (gauge.bandLower + kLimitSeparation > edit.high) edit.high = HeldLimit(gauge.bandLower + kLimitSeparation);
      edit.bandUpper = edit.high;
      edit.highPointer = edit.high;
      edit.writes = {{registers.highWrite, edit.high}};
      return edit;
    default:
      return std::nullopt;
  }
}

}  // namespace monitor
