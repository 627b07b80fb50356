#include "sim/Chipset.h"

#include <array>

namespace sim {

namespace {

// The 0x10B9 controller keeps its I/O base in the upper half of dword 0xE0;
// bit 31 is set for a base at 0x8000 or above, which is where the discovery
// arithmetic yields the base itself.
//
// Enable bits: the PIIX4-style function's host enable is bit 0 of the byte at
// 0xD2 (bit 16 of dword 0xD0); the ICH-style one's is bit 0 of dword 0x40,
// which the discovery's OR of bit 16 leaves alone; the 0x10B9 controller needs
// bit 10 of dword 0xD0 and bit 0 of dword 0xF0.
constexpr std::array kChipsets{
    ChipsetModel{SmbusControllerKind::Piix4, "piix4", 0x71908086, 0x71138086, 0, 7, 3, 0x90, 0x00005001,
                 0x0000FFF0, 0x5000, 0, SmbusHostLayout::Layout8086,
                 {EnableBit{0xD0, 0x00010000, 0x00010000}, EnableBit{}}},
    ChipsetModel{SmbusControllerKind::Ich, "ich", 0x25608086, 0x24438086, 0, 31, 3, 0x20, 0x0000EFA1, 0x0000FFE0,
                 0xEFA0, 0, SmbusHostLayout::Layout8086, {EnableBit{0x40, 0x00000001, 0x00000001}, EnableBit{}}},
    ChipsetModel{SmbusControllerKind::Ich5, "ich5", 0x25708086, 0x24D38086, 0, 31, 3, 0x20, 0x00000401, 0x0000FFE0,
                 0x0400, 0, SmbusHostLayout::Layout8086, {EnableBit{0x40, 0x00000001, 0x00000001}, EnableBit{}}},
    ChipsetModel{SmbusControllerKind::Ali, "ali", 0x154110B9, 0x710110B9, 0, 17, 0, 0xE0, 0xE8000000, 0xFFFF0000,
                 0xE800, 16, SmbusHostLayout::Layout10B9,
                 {EnableBit{0xD0, 0x00000400, 0x00000400}, EnableBit{0xF0, 0x00000001, 0x00000001}}},
    ChipsetModel{SmbusControllerKind::None, "none", 0x71908086, 0, 0, 0, 0, 0, 0, 0, 0, 0, SmbusHostLayout::None,
                 {EnableBit{}, EnableBit{}}},
};

// The other functions of each southbridge, so that a scan meets real neighbours.
struct Neighbour {
  SmbusControllerKind kind;
  std::uint8_t device, function;
  std::uint32_t id;
};
constexpr std::array kNeighbours{
    Neighbour{SmbusControllerKind::Piix4, 7, 0, 0x71108086}, Neighbour{SmbusControllerKind::Piix4, 7, 1, 0x71118086},
    Neighbour{SmbusControllerKind::Piix4, 7, 2, 0x71128086}, Neighbour{SmbusControllerKind::Ich, 31, 0, 0x24408086},
    Neighbour{SmbusControllerKind::Ich, 31, 1, 0x244B8086},  Neighbour{SmbusControllerKind::Ich5, 31, 0, 0x24D08086},
    Neighbour{SmbusControllerKind::Ich5, 31, 1, 0x24DB8086}, Neighbour{SmbusControllerKind::Ali, 7, 0, 0x153310B9},
    Neighbour{SmbusControllerKind::None, 7, 0, 0x71108086},
};

}  // namespace

const ChipsetModel* FindChipset(std::string_view key) {
  for (const auto& model : kChipsets)
    if (model.key == key) return &model;
  return nullptr;
}

Chipset::Chipset(PortSpace& ports, const ChipsetModel& model) : model_(model) {
  ports.Map(PciHost::kAddressPort, 8, pci_);
  Add(0, 0, 0, model.hostBridgeId);
  for (const auto& neighbour : kNeighbours)
    if (neighbour.kind == model.kind) Add(0, neighbour.device, neighbour.function, neighbour.id);
  if (model.controllerId == 0) return;
  controller_ = &Add(model.bus, model.device, model.function, model.controllerId);
  controller_->Preset(model.baseOffset, model.baseValue, model.baseWritable);
  // Host configuration and enable registers: writable, enabled by the BIOS.
  for (const EnableBit& enable : model.enables)
    if (enable.mask != 0) controller_->Preset(enable.offset, enable.preset, 0xFFFFFFFF);
}

PciFunction& Chipset::Add(std::uint8_t bus, std::uint8_t device, std::uint8_t function, std::uint32_t id) {
  functions_.push_back(std::make_unique<PciFunction>(id));
  pci_.Attach(bus, device, function, *functions_.back());
  return *functions_.back();
}

}  // namespace sim
