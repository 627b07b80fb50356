#include "search/Diagnosis.h"

#include <algorithm>
#include <cstdio>

#include "comport/KORComPort.h"
#include "numbers/NumberText.h"
#include "platform/Current.h"
#include "search/AdapterMedia.h"
#include "transfers/PrinterPortBus.h"

namespace devicesearch {

namespace {

using Levels = std::optional<comport::SMBusProtocall::LineLevels>;

// A presence check on a working controller takes microseconds; the
// controller's own wait gives up after half a second at the earliest.
constexpr double kStalledSeconds = 0.4;
constexpr double kSecondsPerDay = 86400.0;

LineFinding Classify(const Levels& released, const Levels& pulled) {
  if (!released || !pulled) return LineFinding::PortInUse;
  const bool sclFollows = released->sclHigh && !pulled->sclHigh;
  const bool sdaFollows = released->sdaHigh && !pulled->sdaHigh;
  const bool sclStuck = released->sclHigh == pulled->sclHigh;
  const bool sdaStuck = released->sdaHigh == pulled->sdaHigh;
  if (sclFollows && sdaFollows) return LineFinding::IdleHigh;
  if (sclFollows && sdaStuck) return LineFinding::SdaStuck;
  if (sdaFollows && sclStuck) return LineFinding::SclStuck;
  if (sclStuck && sdaStuck) return LineFinding::BothStuck;
  return LineFinding::Unexpected;
}

template <typename Read>
std::optional<std::uint8_t> TryRead(Read read) {
  try {
    return read();
  } catch (...) {
    return std::nullopt;
  }
}

PrinterPortDiagnosis DiagnosePort(comport::KORComPort& comPort, std::uint8_t index) {
  auto printerPort = comPort.PrinterPort();
  auto protocall = printerPort->SMBusProtocall();
  printerPort->PortAddressIndex(index);
  PrinterPortDiagnosis port{index, printerPort->PortAddress(), LineFinding::PortInUse, {}, {}, {}, {}};
  try {
    // Held for the whole look, so that no other program's transfer comes
    // between the steps, and so that WaitAck clocks as inside a transaction.
    const transfers::HeldPort held(*printerPort);
    try {
      protocall->DataInverted(comport::kTrue);
      const LineExamination lines = ExamineLines(*protocall);
      port.lines = lines.finding;
      port.released = lines.released;
      port.pulled = lines.pulled;
      if (port.lines == LineFinding::IdleHigh) {
        for (const comport::Boolean inverted : {comport::kFalse, comport::kTrue}) {
          protocall->DataInverted(inverted);
          for (const std::uint8_t address : kCandidateAddresses) {
            if (address == 0 || !transfers::AddressAcknowledged(*protocall, address)) continue;
            port.answers.push_back(
                {address, inverted, TryRead([&] { return protocall->PortRead(address, kIdRegister); })});
          }
        }
      }
    } catch (...) {
      port.lines = LineFinding::Failed;
      port.error = DescribeFailure(std::current_exception());
    }
    protocall->DataInverted(comport::kTrue);
  } catch (const transfers::TransferFailed&) {
    // The port could not be held: another program has it.
  }
  return port;
}

OnBoardDiagnosis DiagnoseOnBoard(comport::KORComPort& comPort, const Finds& finds) {
  auto smbus = comPort.SMBus();
  OnBoardDiagnosis onBoard{finds.onBoardHost.value_or(DiscoveredHost(*smbus)), false, {}, {}};
  if (onBoard.host.deviceId == 0) return onBoard;
  auto& process = platform::Current();
  try {
    for (const std::uint8_t slot : kCandidateAddresses) {
      if (slot == 0) continue;
      const std::uint8_t address = slot / 2;
      const double start = process.Timer();
      const bool present = smbus->DevicePresent(address) != comport::kFalse;
      double waited = process.Timer() - start;
      if (waited < 0) waited += kSecondsPerDay;
      if (waited > kStalledSeconds) {
        onBoard.stalled = true;
        break;
      }
      if (present)
        onBoard.answers.push_back(
            {address, comport::kFalse, TryRead([&] { return smbus->PortRead(address, kIdRegister); })});
    }
  } catch (...) {
    onBoard.error = DescribeFailure(std::current_exception());
  }
  return onBoard;
}

std::string HexText(std::int32_t value) { return numbers::Hex(value) + "h"; }

std::string PortName(std::uint8_t index, std::optional<std::int16_t> address) {
  std::string name = "LPT" + std::to_string(index + 1);
  if (address) name += " (" + numbers::Hex(*address) + "h)";
  return name;
}

std::string Wiring(comport::Boolean inverted) {
  return inverted != comport::kFalse ? "inverting adapter" : "direct adapter";
}

std::string AnswerText(const Answer& answer, bool onBoard) {
  const std::uint8_t address = onBoard ? answer.address : answer.address / 2;
  const std::string where = HexText(address) + (onBoard ? "" : " (" + Wiring(answer.inverted) + ")");
  if (answer.id == kChipId) return std::string("a ") + kChipName + " answers at " + where;
  const std::string chipId = std::string("; a ") + kChipName + " reads " + HexText(kChipId);
  if (!answer.id) return "a device acknowledges " + where + ", but its ID register could not be read" + chipId;
  return "a device acknowledges " + where + ", but its ID register " + HexText(kIdRegister) + " reads " +
         HexText(*answer.id) + chipId;
}

std::string Answers(const std::vector<Answer>& answers, bool onBoard) {
  std::string text;
  for (const Answer& answer : answers) text += (text.empty() ? "" : "; ") + AnswerText(answer, onBoard);
  return text;
}

std::string DescribePort(const PrinterPortDiagnosis& port) {
  const std::string name = PortName(port.portIndex, port.portAddress) + ": ";
  switch (port.lines) {
    case LineFinding::IdleHigh:
      if (port.answers.empty())
        return name +
               "SCL and SDA idle high and follow the port, but no device acknowledged any of the nine "
               "addresses with either adapter wiring.";
      return name + "SCL and SDA idle high; " + Answers(port.answers, false) + ".";
    case LineFinding::Failed:
      return name + "examining the lines failed: " + port.error + ".";
    default:
      return name + DescribeLines(port.lines);
  }
}

std::string DeviceId(std::int32_t id) {
  char text[16];
  std::snprintf(text, sizeof text, "%04X:%04X", static_cast<unsigned>(id) & 0xFFFFu,
                (static_cast<unsigned>(id) >> 16) & 0xFFFFu);
  return text;
}

std::string DescribeOnBoard(const OnBoardDiagnosis& onBoard) {
  std::string text = "On-board SMBus: ";
  if (onBoard.host.deviceId == 0)
    return text +
           "no supported SMBus host controller was found on the PCI bus (none is looked for on Windows NT, "
           "2000 and XP).";
  if (onBoard.host.typed)
    text += "the typed base address " + HexText(onBoard.host.baseAddress) + " was used with the Intel register layout";
  else
    text += "host controller " + DeviceId(onBoard.host.deviceId) + " at I/O base " + HexText(onBoard.host.baseAddress);
  if (onBoard.stalled) return text + ", but the controller there did not finish a transaction: it stays busy or is not there.";
  if (!onBoard.error.empty()) return text + ", but checking for devices failed: " + onBoard.error + ".";
  if (onBoard.answers.empty()) return text + "; no device answered at any of the nine addresses.";
  return text + "; " + Answers(onBoard.answers, true) + ".";
}

// "LPT1 (378h): 18 probes failed and found nothing: ..." for each medium and
// error, in the order they first happened.
std::vector<std::string> DescribeFailures(const Diagnosis& diagnosis) {
  struct Group {
    bool onBoard;
    std::uint8_t portIndex;
    std::string error;
    int count;
  };
  std::vector<Group> groups;
  for (const ProbeFailure& failure : diagnosis.failures) {
    bool counted = false;
    for (Group& group : groups) {
      if (group.onBoard == failure.onBoard && group.portIndex == failure.portIndex && group.error == failure.error) {
        ++group.count;
        counted = true;
      }
    }
    if (!counted) groups.push_back({failure.onBoard, failure.portIndex, failure.error, 1});
  }
  std::vector<std::string> lines;
  for (const Group& group : groups) {
    std::optional<std::int16_t> address;
    for (const auto& port : diagnosis.printerPorts)
      if (port.portIndex == group.portIndex) address = port.portAddress;
    const std::string where = group.onBoard ? "On-board SMBus" : PortName(group.portIndex, address);
    const std::string probes = group.count == 1 ? "1 probe" : std::to_string(group.count) + " probes";
    lines.push_back(where + ": " + probes + " failed and found nothing: " + group.error + ".");
  }
  return lines;
}

// On the kernel's adapters. A medium the machine has no adapter for at all
// gets what to load; adapters of it that exist but were left out are named
// one by one.
std::vector<std::string> DescribeAdapters(const Media& media, const Finds& finds) {
  std::vector<platform::I2cAdapterInfo> searched;
  if (media.onBoard && media.onBoardAdapters) searched = *media.onBoardAdapters;
  if (media.usb) searched.insert(searched.end(), media.usbAdapters.begin(), media.usbAdapters.end());
  if (!media.onBoardAdapters) return DescribeAdapterSearch(searched, {}, finds.adapters);
  std::vector<std::string> lines;
  const AdapterMedia sorted = SortAdapters(media.allAdapters);
  const auto listed = [&](platform::AdapterMedium medium) {
    return std::any_of(sorted.all.begin(), sorted.all.end(), [&](const auto& adapter) { return adapter.medium == medium; });
  };
  if (media.onBoard && !listed(platform::AdapterMedium::OnBoard)) lines.push_back(OnBoardUnavailable(sorted));
  if (media.usb && !listed(platform::AdapterMedium::Usb)) lines.push_back(UsbUnavailable(sorted));
  for (auto& line : DescribeAdapterSearch(searched, sorted.all, finds.adapters)) lines.push_back(std::move(line));
  return lines;
}

}  // namespace

LineExamination ExamineLines(comport::SMBusProtocall& protocall) {
  LineExamination lines{LineFinding::PortInUse, {}, {}};
  protocall.PreStart();
  lines.released = protocall.ReadLineLevels();
  protocall.StartBit();
  lines.pulled = protocall.ReadLineLevels();
  protocall.StopBit();
  lines.finding = Classify(lines.released, lines.pulled);
  return lines;
}

std::string DescribeLines(LineFinding finding) {
  switch (finding) {
    case LineFinding::PortInUse:
      return "another program holds this port, so it could not be examined.";
    case LineFinding::SclStuck:
      return "SCL does not follow the port while SDA does: another device holds SCL low, or SCL is not "
             "connected to the adapter.";
    case LineFinding::SdaStuck:
      return "SDA does not follow the port while SCL does: another device holds SDA low, or SDA is not "
             "connected to the adapter.";
    case LineFinding::BothStuck:
      return "neither SCL nor SDA follows the port: no adapter is attached, the board has no power, or "
             "its bus has no pull-up resistors.";
    case LineFinding::Unexpected:
      return "the lines change, but not the way either adapter wiring drives them; check the adapter.";
    case LineFinding::IdleHigh:
    case LineFinding::Failed:
      break;
  }
  return "";
}

Diagnosis Diagnose(comport::KORComPort& comPort, const Media& media, const Finds& finds) {
  Diagnosis diagnosis;
  diagnosis.failures = finds.failures;
  if (media.printerPort) {
    diagnosis.printerPortSearched = true;
    const std::uint8_t ports = comPort.PrinterPort()->PrinterPortsDetected();
    for (std::uint8_t index = 0; index < ports; ++index) diagnosis.printerPorts.push_back(DiagnosePort(comPort, index));
  }
  if (media.onBoard && !media.onBoardAdapters) diagnosis.onBoard = DiagnoseOnBoard(comPort, finds);
  diagnosis.usbSearched = media.usb && media.usbAdapters.empty() && !media.onBoardAdapters;
  diagnosis.adapters = DescribeAdapters(media, finds);
  return diagnosis;
}

std::vector<std::string> DescribeDiagnosis(const Diagnosis& diagnosis) {
  std::vector<std::string> lines;
  if (diagnosis.printerPortSearched && diagnosis.printerPorts.empty())
    lines.push_back("Printer port: this PC reports no printer port.");
  for (const auto& port : diagnosis.printerPorts) lines.push_back(DescribePort(port));
  if (diagnosis.onBoard) lines.push_back(DescribeOnBoard(*diagnosis.onBoard));
  for (const auto& line : diagnosis.adapters) lines.push_back(line);
  if (diagnosis.usbSearched) lines.push_back("USB: nothing is searched for on USB.");
  for (auto& line : DescribeFailures(diagnosis)) lines.push_back(std::move(line));
  return lines;
}

}  // namespace devicesearch
