#include "search/BusScan.h"

#include <algorithm>
#include <cstdio>

#include "comport/KORComPort.h"
#include "transfers/OnBoardBus.h"
#include "transfers/PrinterPortBus.h"

namespace devicesearch {

namespace {

constexpr std::size_t kScanAddressCount = kLastScanAddress - kFirstScanAddress + 1;

void Checkpoint(const std::function<void()>& checkpoint) {
  if (checkpoint) checkpoint();
}

std::string Hex(int value) {
  char text[8];
  std::snprintf(text, sizeof text, "0x%02X", value & 0xFF);
  return text;
}

std::string AddressList(const std::vector<std::uint8_t>& addresses) {
  std::string list;
  for (std::size_t i = 0; i < addresses.size(); ++i) {
    if (i > 0) list += i + 1 == addresses.size() ? " and " : ", ";
    list += Hex(addresses[i]);
  }
  return list;
}

std::string Wiring(bool inverted) { return inverted ? "inverting adapter" : "direct adapter"; }

std::vector<std::uint8_t> ProbeAll(comport::SMBusProtocall& protocall, const std::function<void()>& checkpoint) {
  std::vector<std::uint8_t> acknowledged;
  for (int address = kFirstScanAddress; address <= kLastScanAddress; ++address) {
    Checkpoint(checkpoint);
    if (transfers::AddressAcknowledged(protocall, static_cast<std::uint8_t>(address << 1)))
      acknowledged.push_back(static_cast<std::uint8_t>(address));
  }
  return acknowledged;
}

std::string PrinterPortName(const ScanFindings& findings) {
  char name[64];
  std::snprintf(name, sizeof name, "LPT%d (%Xh, %s)", findings.portIndex + 1, findings.portAddress & 0xFFFF,
                Wiring(findings.inverted).c_str());
  return name;
}

std::string OnBoardName(const ScanFindings& findings) {
  char name[64];
  std::snprintf(name, sizeof name, "On-board SMBus (host controller at %Xh)",
                static_cast<unsigned>(findings.host.baseAddress));
  return name;
}

}  // namespace

ScanFindings ScanPrinterPort(comport::KORComPort& comPort, std::uint8_t portIndex, bool inverted,
                             const std::function<void()>& checkpoint) {
  ScanFindings findings;
  findings.portIndex = portIndex;
  findings.inverted = inverted;
  transfers::PrinterPortBus bus(comPort, portIndex, inverted);
  auto printerPort = comPort.PrinterPort();
  auto protocall = printerPort->SMBusProtocall();
  findings.portAddress = printerPort->PortAddress();
  try {
    const transfers::HeldPort held(*printerPort);
    findings.lines = ExamineLines(*protocall).finding;
    if (findings.lines != LineFinding::IdleHigh) return findings;
    findings.acknowledged = ProbeAll(*protocall, checkpoint);
    findings.scanned = true;
    for (const std::uint8_t address : findings.acknowledged) {
      Checkpoint(checkpoint);
      if (!bus.ProbeRead(address)) findings.readRefused.push_back(address);
    }
    if (findings.acknowledged.empty()) {
      // The lines follow with either wiring; only an acknowledge tells them apart.
      protocall->DataInverted(comport::ToBoolean(!inverted));
      findings.otherWiring = ProbeAll(*protocall, checkpoint);
      protocall->DataInverted(comport::ToBoolean(inverted));
    }
  } catch (const transfers::TransferFailed& failure) {
    if (failure.WhatCause() == transfers::Cause::PortInUse)
      findings.lines = LineFinding::PortInUse;
    else
      findings.error = failure.what();
  }
  return findings;
}

ScanFindings ScanOnBoard(comport::KORComPort& comPort, const std::function<void()>& checkpoint) {
  ScanFindings findings;
  findings.onBoard = true;
  auto smbus = comPort.SMBus();
  findings.host = DiscoveredHost(*smbus);
  if (findings.host.deviceId == 0) return findings;
  transfers::OnBoardBus bus(*smbus);
  try {
    for (int address = kFirstScanAddress; address <= kLastScanAddress; ++address) {
      Checkpoint(checkpoint);
      if (bus.Probe(static_cast<std::uint8_t>(address))) findings.acknowledged.push_back(static_cast<std::uint8_t>(address));
    }
    findings.scanned = true;
  } catch (const transfers::TransferFailed& failure) {
    findings.stalled = failure.WhatCause() == transfers::Cause::ControllerBusy;
    findings.error = failure.what();
  }
  return findings;
}

std::vector<std::string> DescribeScanBefore(const ScanFindings& findings) {
  if (findings.onBoard) {
    if (findings.host.deviceId == 0)
      return {"On-board SMBus: no supported SMBus host controller was found, so nothing was scanned."};
    return {OnBoardName(findings) + ": the controller was found" +
            (findings.host.typed ? " at the typed base address." : " on the PCI bus.")};
  }
  const std::string name = PrinterPortName(findings) + ": ";
  switch (findings.lines) {
    case LineFinding::IdleHigh:
      return {name + "SCL and SDA idle high and follow the port."};
    case LineFinding::Failed:
      return {name + "examining the lines failed."};
    default:
      return {name + DescribeLines(findings.lines) + " No address was probed."};
  }
}

std::vector<std::string> DescribeScanAfter(const ScanFindings& findings) {
  std::vector<std::string> lines;
  const std::string name = (findings.onBoard ? OnBoardName(findings) : PrinterPortName(findings)) + ": ";
  if (findings.stalled) {
    lines.push_back(name + "the controller stopped finishing transactions (" + findings.error +
                    "); the scan ended there.");
    return lines;
  }
  if (!findings.error.empty()) lines.push_back(name + "the scan ended early: " + findings.error + ".");
  if (!findings.scanned) return lines;
  if (findings.acknowledged.size() == kScanAddressCount) {
    lines.push_back(name + "every address acknowledged, which no bus of real devices does: SDA is probably held "
                           "low during the acknowledge clocks.");
  } else if (findings.acknowledged.empty()) {
    if (!findings.otherWiring.empty())
      lines.push_back(name + "no device acknowledged with this wiring, but with the " + Wiring(!findings.inverted) +
                      " devices acknowledge at " + AddressList(findings.otherWiring) + ": use --wiring " +
                      (findings.inverted ? "direct." : "inverted."));
    else if (findings.onBoard)
      lines.push_back(name + "no device acknowledged any address.");
    else
      lines.push_back(name + "no device acknowledged any address with either adapter wiring: check the board's "
                             "power, its connection and the address pins.");
  } else {
    lines.push_back(name + std::to_string(findings.acknowledged.size()) +
                    (findings.acknowledged.size() == 1 ? " device acknowledged: " : " devices acknowledged: ") +
                    AddressList(findings.acknowledged) + ".");
  }
  for (const std::uint8_t address : findings.readRefused)
    lines.push_back(name + Hex(address) + " acknowledges its address for writing but not for reading: it takes " +
                    "commands but will not answer a read.");
  return lines;
}

}  // namespace devicesearch
