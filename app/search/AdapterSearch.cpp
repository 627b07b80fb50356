#include "search/AdapterSearch.h"

#include <algorithm>
#include <cstdio>

#include "search/AdapterMedia.h"
#include "search/BusScan.h"
#include "search/DeviceSearch.h"

namespace devicesearch {

namespace {

std::string Hex(unsigned value) {
  char text[8];
  std::snprintf(text, sizeof text, "0x%02X", value);
  return text;
}

// The kernel's name of a client: "0-004c".
std::string ClientName(int adapter, std::uint8_t address) {
  char text[24];
  std::snprintf(text, sizeof text, "%d-%04x", adapter, address);
  return text;
}

}  // namespace

void SearchAdapters(platform::I2cAdapters& machine, const std::vector<platform::I2cAdapterInfo>& adapters, int step,
                    const std::function<void(int)>& advance, AdapterFinds& finds) {
  std::vector<AdapterFind> found;
  for (const std::uint8_t slot : kCandidateAddresses) {
    if (advance) advance(step);
    if (slot == 0) continue;
    const std::uint8_t address = slot / 2;
    for (const auto& adapter : adapters) {
      if (std::string driver = machine.BoundI2cDriver(adapter.number, address); !driver.empty()) {
        finds.held.push_back({adapter, address, std::move(driver)});
        continue;
      }
      const platform::SmbusAnswer answer = machine.I2cTransfer(
          adapter.number, {platform::SmbusProtocol::ByteData, address, true, kIdRegister, 0});
      if (!answer.done) continue;
      if (answer.data == kChipId)
        found.push_back({adapter, address});
      else
        finds.others.push_back({adapter, address, static_cast<std::uint8_t>(answer.data)});
    }
  }
  const auto order = [&](const AdapterFind& find) {
    return std::find_if(adapters.begin(), adapters.end(),
                        [&](const auto& adapter) { return adapter.number == find.adapter.number; }) -
           adapters.begin();
  };
  std::stable_sort(found.begin(), found.end(),
                   [&](const AdapterFind& a, const AdapterFind& b) { return order(a) < order(b); });
  finds.found.insert(finds.found.end(), found.begin(), found.end());
}

std::vector<std::string> DescribeAdapterSearch(const std::vector<platform::I2cAdapterInfo>& searched,
                                               const std::vector<platform::I2cAdapterInfo>& all,
                                               const AdapterFinds& finds) {
  std::vector<std::string> lines;
  for (const auto& adapter : searched) {
    std::string line = AdapterLabel(adapter) + ": ";
    std::vector<std::string> notes;
    for (const auto& held : finds.held)
      if (held.adapter.number == adapter.number)
        notes.push_back("address " + Hex(held.address) + " is held by the kernel driver " + held.driver +
                        " and was left alone (to search there, unbind it: echo " + ClientName(adapter.number, held.address) +
                        " | sudo tee /sys/bus/i2c/drivers/" + held.driver +
                        "/unbind)");
    for (const auto& other : finds.others)
      if (other.adapter.number == adapter.number)
        notes.push_back("the device at " + Hex(other.address) + " reads " + Hex(other.id) + " as its ID, not " +
                        Hex(kChipId));
    const bool found = std::any_of(finds.found.begin(), finds.found.end(),
                                   [&](const AdapterFind& find) { return find.adapter.number == adapter.number; });
    if (notes.empty()) {
      if (found) continue;
      line += std::string("no ") + kChipName + " answered at any of the nine addresses.";
    } else {
      for (std::size_t i = 0; i < notes.size(); ++i) line += (i == 0 ? "" : "; ") + notes[i];
      line += ".";
    }
    lines.push_back(line);
  }
  for (const auto& adapter : all)
    if (std::string reason = NotSearchedReason(adapter); !reason.empty()) lines.push_back(std::move(reason));
  return lines;
}

AdapterScan ScanAdapter(platform::I2cAdapters& machine, const platform::I2cAdapterInfo& adapter,
                        const std::function<void()>& checkpoint) {
  AdapterScan scan{adapter, {}, {}};
  for (int address = kFirstScanAddress; address <= kLastScanAddress; ++address) {
    if (checkpoint) checkpoint();
    const auto byte = static_cast<std::uint8_t>(address);
    if (std::string driver = machine.BoundI2cDriver(adapter.number, byte); !driver.empty()) {
      scan.held.push_back({adapter, byte, std::move(driver)});
      continue;
    }
    if (machine.I2cTransfer(adapter.number, {platform::SmbusProtocol::Byte, byte, true, 0, 0}).done)
      scan.acknowledged.push_back(byte);
  }
  return scan;
}

}  // namespace devicesearch
