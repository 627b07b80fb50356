#pragma once

#include <string>
#include <vector>

#include "platform/I2cAdapters.h"

// The kernel's I2C adapters as media of the search: which the on-board pass
// and the USB pass cover, and in Linux terms why a medium has nothing to
// search.
namespace devicesearch {

struct AdapterMedia {
  std::vector<platform::I2cAdapterInfo> all;      // every adapter listed, by number
  std::vector<platform::I2cAdapterInfo> onBoard;  // the searchable ones not below USB
  std::vector<platform::I2cAdapterInfo> usb;      // the searchable ones below USB
};

AdapterMedia SortAdapters(std::vector<platform::I2cAdapterInfo> adapters);

// "i2c-9, CP2112 SMBus Bridge"
std::string AdapterLabel(const platform::I2cAdapterInfo& adapter);
// "on-board", "USB", "display": the medium an adapter counts as.
std::string MediumName(platform::AdapterMedium medium);
// "yes", or why this user cannot open the adapter ("no: permission denied").
std::string AccessText(const platform::I2cAdapterInfo& adapter);

// What the user can do so that the medium has an adapter to search; empty
// when it has one.
std::string OnBoardUnavailable(const AdapterMedia& media);
std::string UsbUnavailable(const AdapterMedia& media);

// Why an adapter is not searched, as a sentence; empty for one that is.
std::string NotSearchedReason(const platform::I2cAdapterInfo& adapter);

}  // namespace devicesearch
