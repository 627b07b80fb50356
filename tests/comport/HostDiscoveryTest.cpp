// PCI configuration access and the search for the on-board host controller.
#include <gtest/gtest.h>

#include "OnBoardPc.h"
#include "comport/HardwareSMBus.h"
#include "comport/SMBus.h"
#include "sim/PciFunction.h"

namespace comport {
namespace {

using sim::PortAccess;
using testing::OnBoardPc;
constexpr auto kIn = PortAccess::Direction::In;
constexpr auto kOut = PortAccess::Direction::Out;

// The configuration addresses written to 0xCF8, in order.
std::vector<std::uint32_t> Addresses(OnBoardPc& pc) {
  std::vector<std::uint32_t> addresses;
  for (const auto& access : pc.Accesses())
    if (access.direction == kOut && access.port == 0xCF8) addresses.push_back(access.value);
  return addresses;
}

// Each dword written to 0xCFC with the address last written to 0xCF8.
std::vector<std::pair<std::uint32_t, std::uint32_t>> DwordWrites(OnBoardPc& pc) {
  std::vector<std::pair<std::uint32_t, std::uint32_t>> writes;
  std::uint32_t address = 0;
  for (const auto& access : pc.Accesses()) {
    if (access.direction != kOut) continue;
    if (access.port == 0xCF8) address = access.value;
    if (access.port == 0xCFC) writes.emplace_back(address, access.value);
  }
  return writes;
}
using DwordList = std::vector<std::pair<std::uint32_t, std::uint32_t>>;

TEST(HostDiscovery, ControllerAt0_7_3IsFoundWithoutAScanAndEnabled) {
  OnBoardPc pc;
  pc.Machine().GetChipset().ControllerFunction()->Write(0xD0, 0);  // host interface off
  ASSERT_EQ(pc.Machine().OnBoard().Controller()->IoBase(), 0);
  SMBus smbus;
  EXPECT_EQ(smbus.DeviceID(), 0x71138086);
  EXPECT_EQ(smbus.SMBusBaseAddress(), 0x5000);
  // Identification, identification again, base, enable: four dwords, no scan.
  EXPECT_EQ(pc.Count(kIn, 0xCFC), 4);
  // The enable dword goes back to the unaligned offset it was read from, with bit 16 set.
  EXPECT_EQ(DwordWrites(pc), (DwordList{{0x80003BD2u, 0x00010000u}}));
  EXPECT_EQ(pc.Machine().OnBoard().Controller()->IoBase(), 0x5000);
}

TEST(HostDiscovery, ControllerElsewhereIsFoundByTheScanUnderItsOwnAddress) {
  OnBoardPc pc("smbus=ich");
  auto& pci = pc.Machine().GetChipset().Pci();
  SMBus smbus;
  EXPECT_EQ(smbus.DeviceID(), 0x24438086);
  EXPECT_EQ(smbus.SMBusBaseAddress(), 0xEFA0);
  // 0:7:3 first, then bus 0 device 0 functions 0 to 251: function 251 OR-ed
  // into the address selects 0:31:3. Then identification, base and enable.
  EXPECT_EQ(pc.Count(kIn, 0xCFC), 1 + 252 + 3);
  EXPECT_EQ(pci.ConfigurationWrites(), 1u);
  // The controller's own enable dword, not one of device 0's.
  EXPECT_EQ(DwordWrites(pc), (DwordList{{0x8000FB40u, 0x00010001u}}));
}

TEST(HostDiscovery, Layout10B9TakesItsBaseFromTheUpperHalfAndSetsBothEnables) {
  OnBoardPc pc("smbus=ali");
  SMBus smbus;
  EXPECT_EQ(smbus.DeviceID(), 0x710110B9);
  EXPECT_EQ(smbus.SMBusBaseAddress(), 0xE800);
  EXPECT_EQ(DwordWrites(pc), (DwordList{{0x800088D0u, 0x400u}, {0x800088F0u, 0x1u}}));
}

TEST(HostDiscovery, Layout10B9BaseArithmetic) {
  for (const auto& [dword, base] : {std::pair{0xE8010000u, 0xE801}, std::pair{0x60000000u, 0x16000}}) {
    OnBoardPc pc("smbus=ali");
    pc.Machine().GetChipset().ControllerFunction()->Preset(0xE0, dword, 0xFFFF0000u);
    SMBus smbus;
    EXPECT_EQ(smbus.SMBusBaseAddress(), base) << std::hex << dword;
  }
}

TEST(HostDiscovery, NoControllerScansEverythingAndLeavesTheValuesAlone) {
  OnBoardPc pc("smbus=none");
  SMBus smbus;
  EXPECT_EQ(smbus.DeviceID(), 0);
  EXPECT_EQ(smbus.SMBusBaseAddress(), 0);
  EXPECT_EQ(pc.Count(kIn, 0xCFC), 1 + 2 * 33 * 255);
  EXPECT_EQ(pc.Count(kOut, 0xCFC), 0);

  // A program may name a controller itself; a later search that finds none keeps it.
  smbus.DeviceID(0x71138086);
  smbus.SMBusBaseAddress(0x5000);
  SMBus second;
  EXPECT_EQ(second.DeviceID(), 0x71138086);
  EXPECT_EQ(second.SMBusBaseAddress(), 0x5000);
}

TEST(HostDiscovery, Nt4And2000TouchNoConfigurationPort) {
  for (const char* personality : {"personality=nt4", "personality=2000", "personality=xp"}) {
    SCOPED_TRACE(personality);
    OnBoardPc pc(personality);
    SMBus first;
    SMBus second;
    EXPECT_EQ(second.SMBusBaseAddress(), 0);
    EXPECT_EQ(second.DeviceID(), 0);
    for (const auto& access : pc.Accesses()) EXPECT_FALSE(access.port >= 0xCF8 && access.port <= 0xCFF);
  }
  OnBoardPc nt351("personality=nt351");
  SMBus found;
  EXPECT_EQ(found.SMBusBaseAddress(), 0x5000);
}

// The address keeps what the address port shows of its reserved bits; the
// chipset implements none of them, so they read back 0.
TEST(PciConfiguration, AddressPartsAreOredUnmasked) {
  OnBoardPc pc;
  platform::Current().CanOutpd(0xCF8, 0x7F000001);
  SMBus smbus;
  pc.Accesses().clear();
  // Device 3 OR function 8: the function's bit 3 lands on device bit 0, which is already set.
  EXPECT_EQ(smbus.ReadPCI(0, 3, 8, 0xD2), -1);
  EXPECT_EQ(Addresses(pc), std::vector<std::uint32_t>{0x800018D2u});
  // An unaligned offset reaches the aligned dword; values come back signed.
  EXPECT_EQ(smbus.ReadPCI(0, 7, 3, 0xD2), smbus.ReadPCI(0, 7, 3, 0xD0));
  EXPECT_EQ(smbus.ReadPCI(0, 7, 3, 0x90), 0x5001);
  pc.Machine().GetChipset().ControllerFunction()->Preset(0x60, 0x80000000u, 0xFFFFFFFFu);
  EXPECT_EQ(smbus.ReadPCI(0, 7, 3, 0x60), -2147483648.0);
  // WritePCI writes its byte zero-extended as one dword.
  pc.Accesses().clear();
  smbus.WritePCI(0, 7, 3, 0x60, 0xAB);
  EXPECT_EQ(DwordWrites(pc), (DwordList{{0x80003B60u, 0xABu}}));
  EXPECT_EQ(smbus.ReadPCI(0, 7, 3, 0x60), 0xAB);
}

// Answers word reads with a fixed value.
class FixedWord : public sim::PortDevice {
 public:
  explicit FixedWord(std::uint16_t word) : word_(word) {}
  std::uint8_t Read8(std::uint16_t port) override { return static_cast<std::uint8_t>(word_ >> (8 * (port & 1))); }
  void Write8(std::uint16_t, std::uint8_t value) override { written_.push_back(value); }
  std::vector<std::uint8_t> written_;

 private:
  std::uint16_t word_;
};

TEST(PciConfiguration, BaseAccessorsOpenAndCloseTheirPortEachTime) {
  OnBoardPc pc;
  FixedWord device(0x8041);
  pc.Machine().Ports().Map(0x6000, 2, device);
  SMBus smbus;
  EXPECT_EQ(smbus.ReadBase(0x6000), -32703);
  smbus.WriteBase(0x6000, 0x12);
  EXPECT_EQ(device.written_, (std::vector<std::uint8_t>{0x12, 0x00}));
  // Nothing stays open: the library refuses a port that no call opened.
  EXPECT_EQ(platform::Current().CanInpw(0x6000), 0);

  OnBoardPc refused("addmultiport-refused");
  FixedWord other(0x8041);
  refused.Machine().Ports().Map(0x6000, 2, other);
  EXPECT_EQ(smbus.ReadBase(0x6000), 0);
  smbus.WriteBase(0x6000, 0x12);
  EXPECT_TRUE(other.written_.empty());
}

}  // namespace
}  // namespace comport
