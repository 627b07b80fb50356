// What each kernel adapter counts as, read from a sysfs tree built here the
// way the kernel lays out the devices above a chipset's SMBus, USB bridges,
// a board's header bus, graphics drivers' display buses and i2c-stub.
#include <gtest/gtest.h>

#include <cerrno>

#include "ScratchTree.h"
#include "host/KernelAdapters.h"

namespace {

using platform::AdapterAccess;
using platform::AdapterMedium;
using platform::host::KernelAdapters;

// A device folder with its bus (and driver) links, as sysfs gives each one.
void Device(ScratchTree& sys, const std::string& path, const std::string& bus, const std::string& driver = "",
            const std::string& pciClass = "") {
  sys.Link(path + "/subsystem", "bus/" + bus);
  if (!driver.empty()) sys.Link(path + "/driver", "bus/" + bus + "/drivers/" + driver);
  if (!pciClass.empty()) sys.File(path + "/class", pciClass + "\n");
}

// An adapter below `parent`, listed on the i2c bus, with its node in /dev.
void Adapter(ScratchTree& sys, ScratchTree& dev, const std::string& parent, int number, const std::string& name,
             bool node = true) {
  const std::string folder = parent + "/i2c-" + std::to_string(number);
  sys.File(folder + "/name", name + "\n");
  sys.Link("bus/i2c/devices/i2c-" + std::to_string(number), folder);
  if (node) dev.File("i2c-" + std::to_string(number), "");
}

struct Expected {
  int number;
  AdapterMedium medium;
  std::string parentDriver;
  AdapterAccess access;
};

}  // namespace

TEST(KernelAdapters, EachAdapterCountsAsWhatItHangsBelow) {
  ScratchTree sys("kernel-adapters-sys");
  ScratchTree dev("kernel-adapters-dev");
  const std::string pci = "devices/pci0000:00";
  Device(sys, pci + "/0000:00:1f.4", "pci", "i801_smbus", "0x0c0500");
  Adapter(sys, dev, pci + "/0000:00:1f.4", 0, "SMBus I801 adapter at f040");
  Device(sys, pci + "/0000:00:14.3", "pci", "piix4_smbus", "0x0c0500");
  Adapter(sys, dev, pci + "/0000:00:14.3", 7, "SMBus PIIX4 adapter port 0 at 0b00");
  // A CP2112 is a HID device below the USB interface; i2c-tiny-usb binds the
  // interface itself.
  const std::string usb = pci + "/0000:00:14.0/usb1";
  Device(sys, usb + "/1-2", "usb", "usb");
  Device(sys, usb + "/1-2/1-2:1.0", "usb", "usbhid");
  Device(sys, usb + "/1-2/1-2:1.0/0003:10C4:EA90.0001", "hid", "cp2112");
  Adapter(sys, dev, usb + "/1-2/1-2:1.0/0003:10C4:EA90.0001", 9, "CP2112 SMBus Bridge");
  Device(sys, usb + "/1-3", "usb", "usb");
  Device(sys, usb + "/1-3/1-3:1.0", "usb", "i2c-tiny-usb");
  Adapter(sys, dev, usb + "/1-3/1-3:1.0", 10, "i2c-tiny-usb at bus 001 device 004");
  // i915 hangs its GMBUS adapters on the display controller, amdgpu its DDC
  // buses on the connectors of its drm card.
  Device(sys, pci + "/0000:00:02.0", "pci", "i915", "0x030000");
  Adapter(sys, dev, pci + "/0000:00:02.0", 2, "i915 gmbus dpb");
  Device(sys, pci + "/0000:03:00.0", "pci", "amdgpu", "0x030000");
  Device(sys, pci + "/0000:03:00.0/drm/card1", "drm");
  Device(sys, pci + "/0000:03:00.0/drm/card1/card1-HDMI-A-1", "drm");
  Adapter(sys, dev, pci + "/0000:03:00.0/drm/card1/card1-HDMI-A-1", 5, "AMDGPU DM i2c hw bus 1");
  // A board computer's header bus, named without "SMBus"; i2c-stub hangs on nothing.
  Device(sys, "devices/platform/soc/fe804000.i2c", "platform", "brcmstb-i2c");
  Adapter(sys, dev, "devices/platform/soc/fe804000.i2c", 1, "bcm2835 (i2c@7e804000)");
  Adapter(sys, dev, "devices", 11, "SMBus stub driver", false);

  // Only /dev/i2c-7 is closed to this user; as root the test cannot make a
  // real node refuse, so the open is answered here.
  KernelAdapters adapters(sys.Path(), dev.Path(), [&](const std::string& path) {
    return path == dev.Path("i2c-7") ? EACCES : 0;
  });
  const std::vector<Expected> expected{
      {0, AdapterMedium::OnBoard, "i801_smbus", AdapterAccess::Open},
      {1, AdapterMedium::OnBoard, "brcmstb-i2c", AdapterAccess::Open},
      {2, AdapterMedium::Display, "i915", AdapterAccess::Open},
      {5, AdapterMedium::Display, "amdgpu", AdapterAccess::Open},
      {7, AdapterMedium::OnBoard, "piix4_smbus", AdapterAccess::NoPermission},
      {9, AdapterMedium::Usb, "cp2112", AdapterAccess::Open},
      {10, AdapterMedium::Usb, "i2c-tiny-usb", AdapterAccess::Open},
      {11, AdapterMedium::OnBoard, "", AdapterAccess::NoNode},
  };
  const auto listed = adapters.List();
  ASSERT_EQ(listed.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    SCOPED_TRACE("i2c-" + std::to_string(expected[i].number));
    EXPECT_EQ(listed[i].number, expected[i].number);
    EXPECT_EQ(listed[i].medium, expected[i].medium);
    EXPECT_EQ(listed[i].parentDriver, expected[i].parentDriver);
    EXPECT_EQ(listed[i].access, expected[i].access);
  }
  EXPECT_EQ(listed[5].name, "CP2112 SMBus Bridge");
  EXPECT_FALSE(platform::Searchable(listed[2]));  // a display bus, though it opens
  EXPECT_FALSE(platform::Searchable(listed[4]));  // closed to this user
  EXPECT_TRUE(platform::Searchable(listed[6]));
}

TEST(KernelAdapters, AnAddressIsHeldOnlyWhileADriverIsBoundToIt) {
  ScratchTree sys("kernel-clients-sys");
  sys.File("devices/pci0000:00/0000:00:1f.4/i2c-0/0-0050/name", "ee1004\n");
  sys.Link("devices/pci0000:00/0000:00:1f.4/i2c-0/0-0050/driver", "bus/i2c/drivers/ee1004");
  sys.Link("bus/i2c/devices/0-0050", "devices/pci0000:00/0000:00:1f.4/i2c-0/0-0050");
  // A client made by hand (new_device) with no driver holds nothing.
  sys.File("devices/pci0000:00/0000:00:1f.4/i2c-0/0-004c/name", "qts5460\n");
  sys.Link("bus/i2c/devices/0-004c", "devices/pci0000:00/0000:00:1f.4/i2c-0/0-004c");
  const KernelAdapters adapters(sys.Path(), sys.Path("dev"));
  EXPECT_EQ(adapters.BoundDriver(0, 0x50), "ee1004");
  EXPECT_EQ(adapters.BoundDriver(0, 0x4C), "");
  EXPECT_EQ(adapters.BoundDriver(1, 0x50), "");
}
