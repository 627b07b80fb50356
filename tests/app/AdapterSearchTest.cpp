// The search on kernel adapters against scripted adapters: what it probes,
// what it leaves alone, the order of its finds, and what it tells a user
// whose chip it did not find.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "search/AdapterMedia.h"
#include "search/AdapterSearch.h"
#include "search/DeviceSearch.h"

namespace {

using platform::AdapterAccess;
using platform::AdapterMedium;
using platform::I2cAdapterInfo;

I2cAdapterInfo Info(int number, const std::string& name, AdapterMedium medium = AdapterMedium::OnBoard,
                    AdapterAccess access = AdapterAccess::Open, const std::string& driver = "") {
  I2cAdapterInfo info;
  info.number = number;
  info.name = name;
  info.medium = medium;
  info.access = access;
  info.parentDriver = driver;
  return info;
}

// Chips by (adapter, address) with their ID register; drivers bound by the same key.
class ScriptedAdapters : public platform::I2cAdapters {
 public:
  std::string BoundI2cDriver(int number, std::uint8_t address) override {
    const auto found = bound.find({number, address});
    return found == bound.end() ? "" : found->second;
  }
  platform::SmbusAnswer I2cTransfer(int number, const platform::SmbusTransfer& transfer) override {
    seen.push_back({number, transfer});
    const auto found = ids.find({number, transfer.address});
    if (found == ids.end()) return {false, 0};
    return {true, found->second};
  }

  std::map<std::pair<int, int>, std::uint8_t> ids;
  std::map<std::pair<int, int>, std::string> bound;
  std::vector<std::pair<int, platform::SmbusTransfer>> seen;
};

const I2cAdapterInfo kPiix4 = Info(0, "SMBus PIIX4 adapter port 0 at 0b00");
const I2cAdapterInfo kBridge = Info(9, "CP2112 SMBus Bridge", AdapterMedium::Usb);

TEST(AdapterSearch, ReadsOnlyTheIdRegisterAndLeavesBoundAddressesAlone) {
  ScriptedAdapters machine;
  machine.ids = {{{0, 0x4E}, 0x41}, {{9, 0x18}, 0x41}, {{9, 0x4C}, 0x41}, {{0, 0x18}, 0x12}};
  machine.bound = {{{0, 0x4C}, "lm90"}};
  devicesearch::AdapterFinds finds;
  int progress = 0;
  devicesearch::SearchAdapters(machine, {kBridge, kPiix4}, 3, [&](int step) { progress += step; }, finds);

  EXPECT_EQ(progress, 30);  // once per candidate slot, the empty tenth included
  ASSERT_EQ(machine.seen.size(), 17u);  // nine addresses on two adapters, less the bound one
  for (const auto& [adapter, transfer] : machine.seen) {
    EXPECT_TRUE(transfer.read);
    EXPECT_EQ(transfer.protocol, platform::SmbusProtocol::ByteData);
    EXPECT_EQ(transfer.command, devicesearch::kIdRegister);
    EXPECT_FALSE(adapter == 0 && transfer.address == 0x4C) << "touched the address lm90 holds";
  }
  // One entry per chip, by adapter in the order given, then by address.
  ASSERT_EQ(finds.found.size(), 3u);
  EXPECT_EQ(std::make_pair(finds.found[0].adapter.number, int{finds.found[0].address}), std::make_pair(9, 0x18));
  EXPECT_EQ(std::make_pair(finds.found[1].adapter.number, int{finds.found[1].address}), std::make_pair(9, 0x4C));
  EXPECT_EQ(std::make_pair(finds.found[2].adapter.number, int{finds.found[2].address}), std::make_pair(0, 0x4E));
  ASSERT_EQ(finds.held.size(), 1u);
  EXPECT_EQ(finds.held[0].driver, "lm90");

  // The diagnosis names the driver, how to free the address, and the device
  // that answered with another ID; an adapter with finds needs no line.
  const auto lines = devicesearch::DescribeAdapterSearch({kBridge, kPiix4}, {}, finds);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_NE(lines[0].find("i2c-0, SMBus PIIX4 adapter port 0 at 0b00: address 0x4C is held by the kernel driver lm90"),
            std::string::npos)
      << lines[0];
  EXPECT_NE(lines[0].find("echo 0-004c | sudo tee /sys/bus/i2c/drivers/lm90/unbind"), std::string::npos) << lines[0];
  EXPECT_NE(lines[0].find("the device at 0x18 reads 0x12 as its ID"), std::string::npos) << lines[0];
}

TEST(AdapterSearch, AdaptersLeftOutAreNamedWithTheReason) {
  const std::vector<I2cAdapterInfo> all{
      kPiix4, Info(2, "i915 gmbus dpb", AdapterMedium::Display, AdapterAccess::Open, "i915"),
      Info(7, "SMBus I801 adapter at f040", AdapterMedium::OnBoard, AdapterAccess::NoPermission),
      Info(8, "SMBus stub driver", AdapterMedium::OnBoard, AdapterAccess::NoNode)};
  const auto lines = devicesearch::DescribeAdapterSearch({kPiix4}, all, {});
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0], "i2c-0, SMBus PIIX4 adapter port 0 at 0b00: no QTS5460 answered at any of the nine addresses.");
  EXPECT_NE(lines[1].find("i2c-2, i915 gmbus dpb: not searched, a display connector's bus (i915)"), std::string::npos);
  EXPECT_NE(lines[2].find("may not open /dev/i2c-7: join the group i2c"), std::string::npos) << lines[2];
  EXPECT_NE(lines[3].find("/dev/i2c-8 does not exist: load the kernel's I2C device interface: sudo modprobe i2c-dev"),
            std::string::npos)
      << lines[3];
}

TEST(AdapterMedia, EachMediumSaysInLinuxTermsWhatItLacks) {
  struct Case {
    const char* name;
    std::vector<I2cAdapterInfo> adapters;
    const char* onBoard;  // a part of the reason; "" when the medium has an adapter
    const char* usb;
  };
  const std::vector<Case> cases{
      {"no adapter at all", {}, "sudo modprobe -a i2c-i801 i2c-dev", "plug in a USB-to-I2C bridge"},
      {"only a display bus", {Info(2, "i915 gmbus dpb", AdapterMedium::Display)}, "load the chipset's SMBus driver",
       "plug in a USB-to-I2C bridge"},
      {"i2c-dev not loaded",
       {Info(0, "SMBus I801", AdapterMedium::OnBoard, AdapterAccess::NoNode),
        Info(9, "CP2112", AdapterMedium::Usb, AdapterAccess::NoNode)},
       "/dev/i2c-0 does not exist: load the kernel's I2C device interface", "/dev/i2c-9 does not exist"},
      {"not in the group",
       {Info(0, "SMBus I801", AdapterMedium::OnBoard, AdapterAccess::NoPermission), kBridge},
       "This user may not open /dev/i2c-0: join the group i2c", ""},
      {"both usable", {kPiix4, kBridge}, "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const auto media = devicesearch::SortAdapters(c.adapters);
    const std::string onBoard = devicesearch::OnBoardUnavailable(media);
    const std::string usb = devicesearch::UsbUnavailable(media);
    if (*c.onBoard == '\0') {
      EXPECT_EQ(onBoard, "");
    } else {
      EXPECT_NE(onBoard.find(c.onBoard), std::string::npos) << onBoard;
    }
    if (*c.usb == '\0') {
      EXPECT_EQ(usb, "");
    } else {
      EXPECT_NE(usb.find(c.usb), std::string::npos) << usb;
    }
    for (const std::string& text : {onBoard, usb}) EXPECT_EQ(text.find("Windows"), std::string::npos) << text;
  }
}

}  // namespace
