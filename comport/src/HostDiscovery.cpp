// The search for a supported SMBus host controller in PCI configuration
// space, and the table of controllers with their base and enable rules.
#include <array>
#include <optional>

#include "comport/CommonGlobals.h"
#include "comport/CommunicationsProcedures.h"
#include "comport/HardwareSMBus.h"

namespace comport::HardwareSMBus {

namespace {

namespace procedures = CommunicationsProcedures;
using CommonGlobals::State;

// A configuration dword that discovery ORs bits into and writes back.
struct EnableWrite {
  std::uint8_t offset;
  std::int32_t bits;  // 0: unused entry
};

struct SupportedController {
  std::int32_t id;
  HostLayout layout;
  std::uint8_t baseOffset;  // the I/O base dword (0x8086 layout: of function 3)
  std::array<EnableWrite, 2> enables;
};

// Compared in this order. The 0x8086 rows read base and enable from function
// 3 of the device where the controller was found; the 0x10B9 row from the
// found function itself.
constexpr std::array<SupportedController, 8> kControllers{{
    {0x71138086, HostLayout::Layout8086, 0x90, {{{0xD2, 0x00010000}, {}}}},
    {0x24188086, HostLayout::Layout8086, 0x20, {{{0x40, 0x00010000}, {}}}},
    {0x24288086, HostLayout::Layout8086, 0x20, {{{0x40, 0x00010000}, {}}}},
    {0x24138086, HostLayout::Layout8086, 0x20, {{{0x40, 0x00010000}, {}}}},
    {0x24238086, HostLayout::Layout8086, 0x20, {{{0x40, 0x00010000}, {}}}},
    {0x24438086, HostLayout::Layout8086, 0x20, {{{0x40, 0x00010000}, {}}}},
    {0x24458086, HostLayout::Layout8086, 0x20, {{{0x40, 0x00010000}, {}}}},
    {0x710110B9, HostLayout::Layout10B9, 0xE0, {{{0xD0, 0x00000400}, {0xF0, 0x00000001}}}},
}};

constexpr std::uint8_t kFunction3 = 3;
constexpr std::int32_t kUpperHalf = static_cast<std::int32_t>(0xFFFF0000u);

const SupportedController* Find(double id) {
  for (const auto& controller : kControllers)
    if (controller.id == id) return &controller;
  return nullptr;
}

struct Location {
  std::uint8_t bus, device, function;
};

// The dword as the unsigned pattern that the wide OR expects.
double Unsigned(double value) { return value < 0 ? value + 4294967296.0 : value; }

// The function that a configuration address built from these parts selects.
// Device and function values beyond their fields spill into the fields above
// them when the parts are OR-ed: device 0 with function 251 is 0:31:3.
Location Selected(int bus, int device, int function) {
  const std::uint32_t fields = (static_cast<std::uint32_t>(bus) << 16) | (static_cast<std::uint32_t>(device) << 11) |
                               (static_cast<std::uint32_t>(function) << 8);
  return {static_cast<std::uint8_t>(fields >> 16), static_cast<std::uint8_t>((fields >> 11) & 0x1F),
          static_cast<std::uint8_t>((fields >> 8) & 0x7)};
}

// The scan reads exactly the addresses the loop bounds give, so a
// controller is usually met first under an alias of its address (the
// ICH-style one at 0:0:251). What was found is the function that alias
// selects: the rules that follow read "function 3 of the same device", which
// must be the controller's own device, not the alias's.
std::optional<Location> Locate() {
  if (Find(ReadPCI(0, 7, 3, 0))) return Location{0, 7, 3};
  for (int bus = 0; bus <= 1; ++bus)
    for (int device = 0; device <= 32; ++device)
      for (int function = 0; function <= 254; ++function)
        if (Find(ReadPCI(static_cast<std::uint8_t>(bus), static_cast<std::uint8_t>(device),
                         static_cast<std::uint8_t>(function), 0)))
          return Selected(bus, device, function);
  return std::nullopt;
}

}  // namespace

HostLayout LayoutOf(std::int32_t deviceId) {
  const SupportedController* controller = Find(deviceId);
  return controller ? controller->layout : HostLayout::None;
}

void FindSMBusHost() {
  const auto found = Locate();
  if (!found) return;
  auto& onBoard = State().OnBoard;
  const double id = ReadPCI(found->bus, found->device, found->function, 0);
  onBoard.DeviceID = procedures::RoundToInt32(id);
  const SupportedController* controller = Find(id);
  // The identification read again may differ from the one the search saw.
  if (!controller) return;

  const std::uint8_t function = controller->layout == HostLayout::Layout8086 ? kFunction3 : found->function;
  std::int32_t base = 0;
  if (controller->layout == HostLayout::Layout8086) {
    // The I/O base register reads with its I/O space indicator (bit 0) set.
    base = procedures::RoundToInt32(ReadPCI(found->bus, found->device, function, controller->baseOffset) - 1);
  } else {
    const std::int32_t w =
        procedures::RoundToInt32(ReadPCI(found->bus, found->device, function, controller->baseOffset)) & kUpperHalf;
    base = procedures::RoundToInt32(w / 65536.0 + 65536.0);
  }
  if (controller->layout == HostLayout::Layout8086) onBoard.SMBusBaseAddress = base;
  for (const EnableWrite& enable : controller->enables) {
    if (enable.bits == 0) continue;
    const double value =
        procedures::BitOrWide(Unsigned(ReadPCI(found->bus, found->device, function, enable.offset)), enable.bits);
    WritePCIDword(found->bus, found->device, function, enable.offset, value);
  }
  if (controller->layout == HostLayout::Layout10B9) onBoard.SMBusBaseAddress = base;
}

void InitialiseHostAccess() {
  auto& onBoard = State().OnBoard;
  switch (procedures::GetWindowsVersionCode()) {
    case -1:
      onBoard.HostAccessDisabled = kFalse;
      return;
    case 400:
    case 2000:
      onBoard.HostAccessDisabled = kTrue;
      return;
    default:
      if (!onBoard.HostAccessDisabled) FindSMBusHost();
  }
}

}  // namespace comport::HardwareSMBus
