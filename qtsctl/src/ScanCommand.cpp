#include <cstdio>
#include <ostream>

#include "comport/KORComPort.h"
#include "qtsctl/Commands.h"
#include "qtsctl/Device.h"
#include "qtsctl/InputParsing.h"
#include "qtsctl/Interrupt.h"
#include "qtsctl/Json.h"
#include "search/BusScan.h"

namespace qtsctl {

namespace {

bool Contains(const std::vector<std::uint8_t>& addresses, int address) {
  return std::find(addresses.begin(), addresses.end(), address) != addresses.end();
}

// The grid people know from i2c-tools: a row per 16 addresses, "--" where
// nobody acknowledged, the address in hex where someone did, blanks for the
// reserved addresses that are not probed.
void PrintGrid(const std::vector<std::uint8_t>& acknowledged, std::ostream& out) {
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

}  // namespace qtsctl
