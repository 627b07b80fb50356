// The component's on-board code, unchanged, on the host backend's presented
// controller, with a scripted adapter in place of the kernel's /dev/i2c-N.
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <set>
#include <vector>

#include "comport/SMBus.h"
#include "host/HostProcess.h"
#include "host/PresentedController.h"
#include "platform/Current.h"

namespace {

using platform::host::PresentedController;
using platform::host::SmbusAnswer;
using platform::host::SmbusProtocol;
using platform::host::SmbusTransfer;

// Devices that answer byte-data transfers from a table.
class ScriptedAdapter : public platform::host::SmbusAdapter {
 public:
  SmbusAnswer Transfer(const SmbusTransfer& transfer) override {
    seen.push_back(transfer);
    if (!present.count(transfer.address)) return {false, 0};
    auto& cell = registers[{transfer.address, transfer.command}];
    if (!transfer.read) {
      cell = static_cast<std::uint8_t>(transfer.data);
      return {true, 0};
    }
    return {true, cell};
  }

  std::set<std::uint8_t> present{0x50, 0x4E};
  std::map<std::pair<std::uint8_t, std::uint8_t>, std::uint8_t> registers;
  std::vector<SmbusTransfer> seen;
};

class KernelAdapter : public ::testing::Test {
 protected:
  KernelAdapter() {
    auto owned = std::make_unique<ScriptedAdapter>();
    adapter_ = owned.get();
    auto controller = std::make_unique<PresentedController>(std::move(owned));
    controller_ = controller.get();
    platform::StartProcess(std::make_shared<platform::host::HostProcess>(platform::host::HostOptions{},
                                                                         std::move(controller)));
  }
  ~KernelAdapter() override { platform::StartProcess(nullptr); }

  ScriptedAdapter* adapter_;
  PresentedController* controller_;
};

TEST_F(KernelAdapter, DiscoveryFindsThePresentedControllerAndByteTransfersReachTheAdapter) {
  comport::SMBus smbus;
  EXPECT_EQ(smbus.DeviceID(), static_cast<std::int32_t>(PresentedController::kIdentification));
  EXPECT_EQ(smbus.SMBusBaseAddress(), PresentedController::kBase);

  adapter_->registers[{0x50, 0x03}] = 0x5A;
  EXPECT_EQ(smbus.PortRead(0x50, 0x03), 0x5A);
  smbus.PortWrite(0x4E, 0x0D, 0x42);
  EXPECT_EQ((adapter_->registers[{0x4E, 0x0D}]), 0x42);
  EXPECT_EQ(smbus.DevicePresent(0x4E), comport::kTrue);
  EXPECT_EQ(smbus.DevicePresent(0x2A), comport::kFalse);
  EXPECT_EQ(smbus.PortRead(0x2A, 0xFE), 0);  // nothing answered: the cleared data register

  ASSERT_EQ(adapter_->seen.size(), 5u);
  const auto is = [](const SmbusTransfer& t, std::uint8_t address, bool read, std::uint8_t command) {
    return t.protocol == SmbusProtocol::ByteData && t.address == address && t.read == read && t.command == command;
  };
  EXPECT_TRUE(is(adapter_->seen[0], 0x50, true, 0x03));
  EXPECT_TRUE(is(adapter_->seen[1], 0x4E, false, 0x0D));
  EXPECT_EQ(adapter_->seen[1].data, 0x42);
  EXPECT_TRUE(is(adapter_->seen[2], 0x4E, true, 0x00));
  EXPECT_TRUE(is(adapter_->seen[4], 0x2A, true, 0xFE));
}

// What the registers do with accesses the component does not make.
TEST_F(KernelAdapter, RegistersSplitWordWritesRefuseOtherPortsAndFailOtherProtocols) {
  auto& io = *controller_;
  const std::int32_t base = PresentedController::kBase;
  EXPECT_EQ(io.AddMultiPort(0x378, 3), 0);
  EXPECT_EQ(io.AddMultiPort(base + 14, 4), 0);
  ASSERT_EQ(io.AddMultiPort(base, 16), 1);
  adapter_->registers[{0x50, 0x07}] = 0x77;
  io.CanOutp(base + 3, 0x07);
  io.CanOutp(base + 4, 0x50 * 2 + 1);
  io.CanOutpw(base + 2, 0x0048);  // starts, then the high byte clears the command
  EXPECT_EQ(io.CanInpw(base + 5), 0x77);
  EXPECT_EQ(io.CanInpw(base + 2) & 0xFF00, 0);
  EXPECT_EQ(io.CanInpw(base) & 0xFF, 0x02);  // completed

  io.CanOutp(base, 0x1F);
  io.CanOutp(base + 2, 0x40 | (5 << 2));  // a block transfer
  EXPECT_EQ(io.CanInpw(base) & 0xFF, 0x10);
  io.RemovePort(base);
  EXPECT_EQ(io.CanInpw(base), 0);  // closed again
}

}  // namespace
