#include "monitor/LimitEdit.h"

#include "numbers/NumberText.h"

namespace monitor {

namespace {

constexpr int kBand = 0;
constexpr int kLow = 1;
constexpr int kHigh = 2;

int Whole(double value) { return numbers::ToInteger(value); }

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
      if (gauge.bandUpper - kLimitSeparation < edit.low) edit.low = Whole(gauge.bandUpper - kLimitSeparation);
      edit.bandLower = edit.low;
      edit.lowPointer = edit.low;
      edit.writes = {{registers.lowWrite, edit.low}};
      return edit;
    case kHigh:
      edit.high = Whole(gauge.high);
      edit.low = Whole(gauge.low);
      if (gauge.bandLower + kLimitSeparation > edit.high) edit.high = Whole(gauge.bandLower + kLimitSeparation);
      edit.bandUpper = edit.high;
      edit.highPointer = edit.high;
      edit.writes = {{registers.highWrite, edit.high}};
      return edit;
    default:
      return std::nullopt;
  }
}

}  // namespace monitor
