#include "search/AdapterMedia.h"

#include <algorithm>

namespace devicesearch {

using platform::AdapterAccess;
using platform::AdapterMedium;
using platform::I2cAdapterInfo;

namespace {

const std::string kJoinGroup =
    "join the group i2c (sudo usermod -aG i2c $USER, then log in again) and install the udev rule that gives "
    "the group the adapters (KERNEL==\"i2c-[0-9]*\", GROUP=\"i2c\", MODE=\"0660\"; see the README)";
const std::string kLoadI2cDev = "load the kernel's I2C device interface: sudo modprobe i2c-dev";

std::string Node(const I2cAdapterInfo& adapter) { return "/dev/i2c-" + std::to_string(adapter.number); }

std::string Nodes(const std::vector<I2cAdapterInfo>& adapters) {
  std::string list;
  for (const auto& adapter : adapters) list += (list.empty() ? "" : ", ") + Node(adapter);
  return list;
}

// Why none of `adapters` can be opened, by the first cause that holds.
std::string WhyNoneOpens(const std::vector<I2cAdapterInfo>& adapters) {
  const auto with = [&](AdapterAccess access) {
    std::vector<I2cAdapterInfo> some;
    std::copy_if(adapters.begin(), adapters.end(), std::back_inserter(some),
                 [access](const I2cAdapterInfo& adapter) { return adapter.access == access; });
    return some;
  };
  if (auto missing = with(AdapterAccess::NoNode); !missing.empty())
    return Nodes(missing) + " does not exist: " + kLoadI2cDev + ".";
  if (auto refused = with(AdapterAccess::NoPermission); !refused.empty())
    return "This user may not open " + Nodes(refused) + ": " + kJoinGroup + ".";
  if (auto failed = with(AdapterAccess::Failed); !failed.empty())
    return Node(failed.front()) + " cannot be opened: " + failed.front().accessError + ".";
  return "";
}

std::vector<I2cAdapterInfo> OfMedium(const AdapterMedia& media, AdapterMedium medium) {
  std::vector<I2cAdapterInfo> some;
  std::copy_if(media.all.begin(), media.all.end(), std::back_inserter(some),
               [medium](const I2cAdapterInfo& adapter) { return adapter.medium == medium; });
  return some;
}

}  // namespace

AdapterMedia SortAdapters(std::vector<I2cAdapterInfo> adapters) {
  AdapterMedia media;
  std::sort(adapters.begin(), adapters.end(),
            [](const I2cAdapterInfo& a, const I2cAdapterInfo& b) { return a.number < b.number; });
  for (const auto& adapter : adapters) {
    if (!platform::Searchable(adapter)) continue;
    (adapter.medium == AdapterMedium::Usb ? media.usb : media.onBoard).push_back(adapter);
  }
  media.all = std::move(adapters);
  return media;
}

std::string AdapterLabel(const I2cAdapterInfo& adapter) {
  return "i2c-" + std::to_string(adapter.number) + ", " + adapter.name;
}

std::string MediumName(AdapterMedium medium) {
  switch (medium) {
    case AdapterMedium::OnBoard:
      return "on-board";
    case AdapterMedium::Usb:
      return "USB";
    case AdapterMedium::Display:
      return "display";
  }
  return "";
}

std::string AccessText(const I2cAdapterInfo& adapter) {
  switch (adapter.access) {
    case AdapterAccess::Open:
      return "yes";
    case AdapterAccess::NoPermission:
      return "no: permission denied";
    case AdapterAccess::NoNode:
      return "no: " + Node(adapter) + " missing (i2c-dev)";
    case AdapterAccess::Failed:
      return "no: " + adapter.accessError;
  }
  return "";
}

std::string OnBoardUnavailable(const AdapterMedia& media) {
  if (!media.onBoard.empty()) return "";
  const auto onBoard = OfMedium(media, AdapterMedium::OnBoard);
  if (onBoard.empty())
    return "The kernel offers no I2C adapter on this PC's board: load the chipset's SMBus driver and the I2C "
           "device interface (sudo modprobe -a i2c-i801 i2c-dev on Intel chipsets, i2c-piix4 on AMD; a board "
           "computer's I2C controller driver on its header bus).";
  return WhyNoneOpens(onBoard);
}

std::string UsbUnavailable(const AdapterMedia& media) {
  if (!media.usb.empty()) return "";
  const auto usb = OfMedium(media, AdapterMedium::Usb);
  if (usb.empty())
    return "No I2C adapter hangs below a USB device: plug in a USB-to-I2C bridge; its driver (hid-cp2112, "
           "hid-mcp2221, i2c-tiny-usb) loads with it.";
  return WhyNoneOpens(usb);
}

std::string NotSearchedReason(const I2cAdapterInfo& adapter) {
  const std::string name = AdapterLabel(adapter) + ": not searched, ";
  if (adapter.medium == AdapterMedium::Display)
    return name + "a display connector's bus (" + (adapter.parentDriver.empty() ? "graphics" : adapter.parentDriver) +
           "), where only monitors answer.";
  switch (adapter.access) {
    case AdapterAccess::Open:
      return "";
    case AdapterAccess::NoPermission:
      return name + "this user may not open " + Node(adapter) + ": " + kJoinGroup + ".";
    case AdapterAccess::NoNode:
      return name + Node(adapter) + " does not exist: " + kLoadI2cDev + ".";
    case AdapterAccess::Failed:
      return name + Node(adapter) + " cannot be opened: " + adapter.accessError + ".";
  }
  return "";
}

}  // namespace devicesearch
