#include "sim/LptAdapter.h"

namespace sim {

namespace {

bool PullsLow(const AdapterOutput& output, std::uint8_t data) {
  const bool bitSet = (data & output.dataMask) != 0;
  return bitSet == output.inverted;
}

}  // namespace

const std::vector<AdapterWiring>& AdapterWirings() {
  static const std::vector<AdapterWiring> wirings{
      {"inverted", "both outputs and both read-backs inverted (the evaluation board's adapter)",
       {0x01, true}, {0x02, true},
       {{Wire::Scl, 0x20, true}, {Wire::Sda, 0x10, true}}},
      {"direct", "outputs and read-backs not inverted",
       {0x01, false}, {0x02, false},
       {{Wire::Scl, 0x20, false}, {Wire::Sda, 0x10, false}}},
      // An inverting adapter that brings SDA in on the error pin instead of
      // the select pin; status bit 4 is left open and reads high.
      {"status3", "inverting adapter with SDA read back on status bit 3 instead of bit 4",
       {0x01, true}, {0x02, true},
       {{Wire::Scl, 0x20, true}, {Wire::Sda, 0x08, true}}},
  };
  return wirings;
}

const AdapterWiring* FindAdapterWiring(std::string_view name) {
  for (const AdapterWiring& wiring : AdapterWirings())
    if (wiring.name == name) return &wiring;
  return nullptr;
}

const AdapterWiring& DefaultAdapterWiring() { return AdapterWirings().front(); }

LptAdapter::LptAdapter(BusLines& lines, const AdapterWiring& wiring)
    : lines_(lines), wiring_(wiring), driver_(lines.AddDriver()) {}

void LptAdapter::DataWritten(std::uint8_t data) {
  lines_.Pull(driver_, PullsLow(wiring_.scl, data), PullsLow(wiring_.sda, data));
}

std::uint8_t LptAdapter::StatusRegister() {
  const LineLevels levels = lines_.Levels();
  std::uint8_t status = ParallelPort::kOpenStatus;
  for (const AdapterInput& input : wiring_.inputs) {
    const bool high = input.wire == Wire::Scl ? levels.scl : levels.sda;
    status = static_cast<std::uint8_t>(status & ~input.statusMask);
    if (high != input.inverted) status |= input.statusMask;
  }
  return status;
}

}  // namespace sim
