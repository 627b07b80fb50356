#include <cstdio>
#include <ostream>

#include "comport/KORComPort.h"
#include "qtsctl/Commands.h"
#include "qtsctl/Device.h"
#include "qtsctl/InputParsing.h"
#include "qtsctl/Interrupt.h"
#include "qtsctl/Json.h"
#include "platform/Current.h"
#include "search/AdapterMedia.h"
#include "search/AdapterSearch.h"
#include "search/BusScan.h"

namespace qtsctl {

namespace {

bool Contains(const std::vector<std::uint8_t>& addresses, int address) {
  return std::find(addresses.begin(), addresses.end(), address) != addresses.end();
}

// The grid people know from i2c-tools: a row per 16 addresses, "--" where
// nobody acknowledged, the address in hex where someone did, "UU" where a
// kernel driver holds the address, blanks for the reserved addresses that
// are not probed.
void PrintGrid(const std::vector<std::uint8_t>& acknowledged, std::ostream& out,
               const std::vector<std::uint8_t>& held = {}) {
  out << "   ";
  for (int column = 0; column < 16; ++column) {
    char heading[4];
    std::snprintf(heading, sizeof heading, "%3x", column);
    out << heading;
  }
  out << '\n';
  for (int row = 0; row < 0x80; row += 16) {
    char line[80];
    int used = std::snprintf(line, sizeof line, "%02x:", row);
    for (int column = 0; column < 16; ++column) {
      const int address = row + column;
      const char* cell = "   ";
      char found[4];
      if (address >= devicesearch::kFirstScanAddress && address <= devicesearch::kLastScanAddress) {
        cell = " --";
        if (Contains(acknowledged, address)) {
          std::snprintf(found, sizeof found, " %02x", address);
          cell = found;
        } else if (Contains(held, address)) {
          cell = " UU";
        }
      }
      used += std::snprintf(line + used, sizeof line - static_cast<std::size_t>(used), "%s", cell);
    }
    std::string text = line;
    text.erase(text.find_last_not_of(' ') + 1);
    out << text << '\n';
  }
}

std::string LinesName(devicesearch::LineFinding finding) {
  switch (finding) {
    case devicesearch::LineFinding::PortInUse:
      return "port-in-use";
    case devicesearch::LineFinding::IdleHigh:
      return "idle-high";
    case devicesearch::LineFinding::SclStuck:
      return "scl-held";
    case devicesearch::LineFinding::SdaStuck:
      return "sda-held";
    case devicesearch::LineFinding::BothStuck:
      return "both-stuck";
    case devicesearch::LineFinding::Unexpected:
      return "unexpected";
    case devicesearch::LineFinding::Failed:
      return "failed";
  }
  return "unknown";
}

}  // namespace

int Scan(comport::KORComPort& comPort, Device& device, Output& output) {
  const auto checkpoint = [] { ThrowIfStopped(); };
  const devicesearch::ScanFindings findings =
      device.OnBoard() ? devicesearch::ScanOnBoard(comPort, checkpoint)
                       : devicesearch::ScanPrinterPort(comPort, device.PortIndex(), device.Inverted(), checkpoint);
  const auto before = devicesearch::DescribeScanBefore(findings);
  const auto after = devicesearch::DescribeScanAfter(findings);
  const bool found = !findings.acknowledged.empty();
  if (output.json) {
    JsonObject json;
    json.Add("medium", device.MediumJson());
    if (device.OnBoard())
      json.Add("lines", std::optional<std::string>());
    else
      json.Add("lines", LinesName(findings.lines));
    json.Add("scanned", findings.scanned)
        .Add("acknowledged", HexTexts(findings.acknowledged))
        .Add("readRefused", HexTexts(findings.readRefused))
        .Add("otherWiring", HexTexts(findings.otherWiring))
        .Add("stalled", findings.stalled)
        .Add("diagnosis", JsonObject().Add("before", before).Add("after", after));
    output.out << json.Text() << '\n';
    return found ? kSuccess : kFailure;
  }
  for (const auto& line : before) output.err << line << '\n';
  output.err << std::flush;
  if (findings.scanned || found) PrintGrid(findings.acknowledged, output.out);
  output.out << std::flush;
  for (const auto& line : after) output.err << line << '\n';
  return found ? kSuccess : kFailure;
}

int ScanAdapters(Output& output) {
  platform::I2cAdapters& machine = platform::Current();
  const devicesearch::AdapterMedia media = devicesearch::SortAdapters(machine.ListI2cAdapters());
  std::vector<platform::I2cAdapterInfo> adapters = media.onBoard;
  adapters.insert(adapters.end(), media.usb.begin(), media.usb.end());
  std::vector<std::string> notes;
  for (const auto& adapter : media.all)
    if (auto reason = devicesearch::NotSearchedReason(adapter); !reason.empty()) notes.push_back(std::move(reason));
  if (media.all.empty()) notes.push_back(devicesearch::OnBoardUnavailable(media));
  bool found = false;
  std::vector<JsonObject> scanned;
  for (const auto& line : notes) output.err << line << '\n';
  for (const auto& adapter : adapters) {
    const devicesearch::AdapterScan scan = devicesearch::ScanAdapter(machine, adapter, [] { ThrowIfStopped(); });
    found = found || !scan.acknowledged.empty();
    std::vector<std::uint8_t> held;
    std::vector<JsonObject> heldJson;
    for (const auto& address : scan.held) {
      held.push_back(address.address);
      heldJson.push_back(JsonObject().Add("address", HexByte(address.address)).Add("driver", address.driver));
    }
    if (output.json) {
      scanned.push_back(JsonObject()
                            .Add("adapter", adapter.number)
                            .Add("name", adapter.name)
                            .Add("medium", devicesearch::MediumName(adapter.medium))
                            .Add("acknowledged", HexTexts(scan.acknowledged))
                            .Add("held", heldJson));
      continue;
    }
    output.out << devicesearch::AdapterLabel(adapter) << " (" << devicesearch::MediumName(adapter.medium) << ")\n";
    PrintGrid(scan.acknowledged, output.out, held);
    output.out << std::flush;
    for (const auto& address : scan.held)
      output.err << "i2c-" << adapter.number << ": " << HexByte(address.address) << " is held by the kernel driver "
                 << address.driver << " and was left alone\n";
  }
  if (output.json) output.out << JsonObject().Add("adapters", scanned).Add("diagnosis", notes).Text() << '\n';
  return found ? kSuccess : kFailure;
}

}  // namespace qtsctl
