#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "sim/PciFunction.h"
#include "sim/PciHost.h"
#include "sim/PortSpace.h"

namespace sim {

// Ich5: an ICH-style controller whose identification the component's table
// does not list, so that discovery passes it by.
enum class SmbusControllerKind { Piix4, Ich, Ich5, Ali, None };

// The two register layouts of the controllers' SMBus I/O blocks.
enum class SmbusHostLayout { Layout8086, Layout10B9, None };

// One configuration bit that must be set for the host controller to answer
// its I/O range, with the dword's power-on value (the BIOS has enabled it).
struct EnableBit {
  std::uint8_t offset;
  std::uint32_t mask;
  std::uint32_t preset;
};

// Where a chipset puts its SMBus host controller and how its configuration
// space gives the controller's I/O base.
struct ChipsetModel {
  SmbusControllerKind kind;
  std::string_view key;  // option value
  std::uint32_t hostBridgeId;
  std::uint32_t controllerId;  // 0: no controller
  std::uint8_t bus, device, function;
  std::uint8_t baseOffset;     // configuration dword that holds the I/O base
  std::uint32_t baseValue;     // its power-on value
  std::uint32_t baseWritable;  // its writable bits
  std::uint16_t ioBase;        // the I/O base that value means
  unsigned baseShift;          // the I/O base is (dword AND writable) >> baseShift
  SmbusHostLayout layout;
  std::array<EnableBit, 2> enables;  // unused entries have mask 0
};

const ChipsetModel* FindChipset(std::string_view key);

// The PC's PCI side: the configuration mechanism on 0xCF8-0xCFF, a host
// bridge, and the function that carries the SMBus host controller.
class Chipset {
 public:
  Chipset(PortSpace& ports, const ChipsetModel& model);

  const ChipsetModel& Model() const { return model_; }
  PciHost& Pci() { return pci_; }
  // Null when the machine has no SMBus host controller.
  PciFunction* ControllerFunction() { return controller_; }

 private:
  PciFunction& Add(std::uint8_t bus, std::uint8_t device, std::uint8_t function, std::uint32_t id);

  const ChipsetModel& model_;
  PciHost pci_;
  std::vector<std::unique_ptr<PciFunction>> functions_;
  PciFunction* controller_ = nullptr;
};

}  // namespace sim
