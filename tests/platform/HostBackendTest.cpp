// The host backend's decisions that do not need the hardware: its options,
// who holds a port or a controller, which adapter is the PC's own SMBus, and
// configuration space through the kernel's files. The kernel paths (ppdev,
// i2c-dev, port instructions) are proved in the QEMU PC test.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>

#include <unistd.h>

#include "host/ClaimedParport.h"
#include "host/HostPorts.h"
#include "host/HostOptions.h"
#include "host/RawController.h"
#include "host/SmbusAdapter.h"
#include "platform/Current.h"

namespace {

namespace fs = std::filesystem;
using platform::host::HostOptions;

// A scratch folder that stands in for a part of /sys or /proc.
class Tree {
 public:
  explicit Tree(const std::string& name)
      : root_(fs::temp_directory_path() / (name + "-" + std::to_string(getpid()))) {
    fs::remove_all(root_);
    fs::create_directories(root_);
  }
  ~Tree() { fs::remove_all(root_); }
  void File(const std::string& path, const std::string& content) {
    fs::create_directories((root_ / path).parent_path());
    std::ofstream(root_ / path, std::ios::binary) << content;
  }
  void Link(const std::string& path, const std::string& target) {
    fs::create_directories((root_ / path).parent_path());
    fs::create_directory_symlink(target, root_ / path);
  }
  std::string Path(const std::string& sub = "") const { return (root_ / sub).string(); }

 private:
  fs::path root_;
};

TEST(HostOptions, DefaultsAreTheUnprivilegedPathsAndBadItemsAreNamed) {
  const auto defaults = HostOptions::Parse("");
  EXPECT_EQ(defaults.ports, HostOptions::PortAccess::Ppdev);
  EXPECT_EQ(defaults.smbus, HostOptions::Smbus::Kernel);
  EXPECT_FALSE(defaults.i2cAdapter);

  const auto chosen = HostOptions::Parse("ports=ioperm,i2c=3");
  EXPECT_EQ(chosen.ports, HostOptions::PortAccess::Ioperm);
  EXPECT_EQ(chosen.i2cAdapter, 3);
  EXPECT_EQ(HostOptions::Parse("smbus=raw").smbus, HostOptions::Smbus::Raw);

  for (const auto& [text, named] : std::vector<std::pair<std::string, std::string>>{
           {"ports=lpt", "ports=lpt"},
           {"i2c=-1", "i2c=-1"},
           {"i2c=3x", "i2c=3x"},
           {"smbus", "smbus"},
           {"speed=9", "speed=9"},
           {"smbus=raw,i2c=1", "i2c"}}) {
    try {
      HostOptions::Parse(text);
      ADD_FAILURE() << text << " was taken";
    } catch (const std::invalid_argument& bad) {
      EXPECT_NE(std::string(bad.what()).find(named), std::string::npos) << bad.what();
    }
  }
}

TEST(HostParports, AnotherRegisteredClientIsNamedFromTheProcTree) {
  Tree proc("parport-proc");
  proc.File("parport0/devices/active", "none\n");
  EXPECT_EQ(platform::host::OtherParportUser(proc.Path(), 0), "");
  proc.File("parport0/devices/ppdev0/timeslice", "200\n");
  EXPECT_EQ(platform::host::OtherParportUser(proc.Path(), 0), "ppdev0");
  EXPECT_EQ(platform::host::OtherParportUser(proc.Path(), 1), "");
}

TEST(HostParports, AMissingDeviceNodeIsRefusedWithWhatToDo) {
  Tree dev("parport-dev");
  const auto result = platform::host::ClaimedParport::Claim({0, 0x378}, HostOptions::PortAccess::Ppdev, dev.Path(),
                                                           dev.Path());
  EXPECT_EQ(result.outcome, platform::host::ClaimedParport::Outcome::Refused);
  EXPECT_EQ(result.port, nullptr);
  EXPECT_NE(result.message.find("modprobe ppdev"), std::string::npos) << result.message;
}

// An arm64 board: becoming root would not help, so neither refusal asks for it.
TEST(HostParports, WithoutPortInstructionsIopermAndRawAccessAreRefusedForTheProcessor) {
  if (platform::host::PortInstructionsAvailable()) GTEST_SKIP() << "this processor has port instructions";
  Tree tree("no-port-instructions");
  const auto claim = platform::host::ClaimedParport::Claim({0, 0x378}, HostOptions::PortAccess::Ioperm, tree.Path(),
                                                          tree.Path());
  EXPECT_EQ(claim.outcome, platform::host::ClaimedParport::Outcome::Refused);
  EXPECT_EQ(claim.message.find("root"), std::string::npos) << claim.message;
  EXPECT_NE(claim.message.find("ports=ppdev"), std::string::npos) << claim.message;
  try {
    platform::host::RawController::Create({tree.Path(), tree.Path("ioports")});
    ADD_FAILURE() << "smbus=raw started without port instructions";
  } catch (const platform::BackendUnavailable& refusal) {
    EXPECT_EQ(std::string(refusal.what()).find("root"), std::string::npos) << refusal.what();
    EXPECT_NE(std::string(refusal.what()).find("smbus=kernel"), std::string::npos) << refusal.what();
  }
}

TEST(I2cAdapters, ThePcsOwnSmbusIsTheFirstAdapterTheKernelNamesSmbus) {
  Tree adapters("i2c-class");
  EXPECT_FALSE(platform::host::FindOnBoardAdapter(adapters.Path()));
  adapters.File("i2c-0/name", "i915 gmbus dpc\n");
  adapters.File("i2c-12/name", "SMBus I801 adapter at f040\n");
  adapters.File("i2c-3/name", "SMBus PIIX4 adapter port 0 at 0b00\n");
  adapters.File("i2c-x/name", "SMBus nonsense\n");
  EXPECT_EQ(platform::host::FindOnBoardAdapter(adapters.Path()), 3);
}

TEST(RawController, PortsADriverRequestedAreNamedAndBusesAreNot) {
  const std::string ioports =
      "0000-0cf7 : PCI Bus 0000:00\n"
      "  0060-0060 : keyboard\n"
      "0d00-ffff : PCI Bus 0000:00\n"
      "  b100-b10f : 0000:00:01.3\n"
      "    b100-b107 : piix4_smbus\n"
      "  f040-f05f : 0000:00:1f.4\n";
  EXPECT_EQ(platform::host::PortOwner(ioports, 0xB100, 4), "piix4_smbus");
  EXPECT_EQ(platform::host::PortOwner(ioports, 0xB106, 4), "piix4_smbus");  // overlaps at its start
  EXPECT_EQ(platform::host::PortOwner(ioports, 0xB108, 4), "");           // the PCI function's own resource
  EXPECT_EQ(platform::host::PortOwner(ioports, 0xF040, 4), "");
  EXPECT_EQ(platform::host::PortOwner(ioports, 0x5000, 4), "");
  EXPECT_EQ(platform::host::PortOwner(ioports, 0x0060, 1), "keyboard");
}

TEST(RawController, ADriverBoundToASupportedControllerIsNamedWithItsModule) {
  Tree pci("pci-devices");
  pci.File("0000:00:01.0/vendor", "0x8086\n");
  pci.File("0000:00:01.0/device", "0x7000\n");
  pci.File("0000:00:01.3/vendor", "0x8086\n");
  pci.File("0000:00:01.3/device", "0x7113\n");
  EXPECT_EQ(platform::host::BoundControllerDriver(pci.Path()), "");
  pci.File("drivers/piix4_smbus/module/.keep", "");
  pci.File("module/i2c_piix4/.keep", "");
  fs::remove_all(pci.Path("drivers/piix4_smbus/module"));
  fs::create_directory_symlink(pci.Path("module/i2c_piix4"), pci.Path("drivers/piix4_smbus/module"));
  pci.Link("0000:00:01.3/driver", pci.Path("drivers/piix4_smbus"));
  const std::string refusal = platform::host::BoundControllerDriver(pci.Path());
  EXPECT_NE(refusal.find("0000:00:01.3"), std::string::npos) << refusal;
  EXPECT_NE(refusal.find("piix4_smbus"), std::string::npos) << refusal;
  EXPECT_NE(refusal.find("modprobe -r i2c_piix4"), std::string::npos) << refusal;
}

// The address latch decodes fields as the chipset does (device 0 with
// function 11 is 00:01.3), reaches the aligned dword, and a function without
// a config file reads all ones.
TEST(RawController, ConfigurationGoesThroughTheKernelsFiles) {
  Tree pci("pci-config");
  std::string config(256, '\0');
  config[0] = '\x86';
  config[1] = '\x80';
  config[2] = '\x13';
  config[3] = '\x71';
  config[0x90] = '\x01';
  config[0x91] = '\xB1';
  pci.File("0000:00:01.3/config", config);
  platform::host::RawController raw({pci.Path(), pci.Path("ioports")});
  const auto read = [&](std::uint32_t address) {
    raw.CanOutpd(0xCF8, static_cast<std::int32_t>(address));
    return static_cast<std::uint32_t>(raw.CanInpd(0xCFC));
  };
  EXPECT_EQ(read(0x80000B00u), 0x71138086u);          // 0:0 function 11
  EXPECT_EQ(read(0x80000B92u), 0x0000B101u);          // register 0x92 reaches dword 0x90
  EXPECT_EQ(static_cast<std::uint32_t>(raw.CanInpd(0xCF8)), 0x80000B90u);
  EXPECT_EQ(read(0x80003B00u), 0xFFFFFFFFu);          // 0:7:3 is not there
  EXPECT_EQ(read(0x00000B00u), 0xFFFFFFFFu);          // window closed
  raw.CanOutpd(0xCF8, static_cast<std::int32_t>(0x80000BD0u));
  raw.CanOutpd(0xCFC, 0x00010000);
  EXPECT_EQ(read(0x80000BD0u), 0x00010000u);
}

}  // namespace
