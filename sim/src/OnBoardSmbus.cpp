#include "sim/OnBoardSmbus.h"

#include "sim/Chipset.h"
#include "sim/HostController10B9.h"
#include "sim/HostController8086.h"
#include "sim/MachineOptions.h"

namespace sim {

OnBoardSmbus::OnBoardSmbus(const Clock& clock, PortSpace& ports, Chipset& chipset, const MachineOptions& options)
    : chip_(clock, options.board.scenario), spd_{SpdEeprom(0x0001'0001), SpdEeprom(0x0001'0002)} {
  if (options.board.warm) chip_.PoweredEarlier();
  bus_.Attach(kChipAddress, chip_);
  for (std::size_t slot = 0; slot < spd_.size(); ++slot) bus_.Attach(kSpdAddresses[slot], spd_[slot]);
  bus_.Attach(AlertResponder::kAddress, alerts_);
  alerts_.Add(kChipAddress, chip_);
  if (options.onBoardNeverAcknowledges) bus_.SetNeverAcknowledges(*options.onBoardNeverAcknowledges, true);

  PciFunction* function = chipset.ControllerFunction();
  if (!function) return;
  const ChipsetModel& model = chipset.Model();
  switch (model.layout) {
    case SmbusHostLayout::Layout8086: {
      auto controller = std::make_unique<HostController8086>(clock, ports, *function, model, bus_, options.smbusBusy);
      controller->ModelInUseFlag(options.smbusInUseFlag);
      controller_ = std::move(controller);
      break;
    }
    case SmbusHostLayout::Layout10B9:
      controller_ = std::make_unique<HostController10B9>(clock, ports, *function, model, bus_, options.smbusBusy);
      break;
    case SmbusHostLayout::None:
      break;
  }
}

}  // namespace sim
