#include "search/DeviceSearch.h"

#include <new>
#include <utility>

#include "comport/KORComPort.h"
#include "comport/RuntimeError.h"
#include "platform/Current.h"
#include "search/AdapterMedia.h"

namespace devicesearch {

namespace {

void Advance(const std::function<void(int)>& advance, int step) {
  if (advance) advance(step);
}

// Runs one probe; a failure is recorded and counts as nothing found.
bool Probe(const std::function<bool()>& probe, ProbeFailure where, Finds& finds) {
  try {
    return probe();
  } catch (...) {
    where.error = DescribeFailure(std::current_exception());
    finds.failures.push_back(std::move(where));
    return false;
  }
}

// The component reports lost arbitration as an event, not as a failure of
// the read: the probe then returns whatever it sampled. Listens while the
// printer-port pass runs.
class ErrorEvents {
 public:
  explicit ErrorEvents(comport::SMBusProtocall& protocall)
      : protocall_(protocall),
        subscription_(protocall.SMBusProtocallError().Subscribe([this](std::int16_t number, const std::string& text) {
          reported_ = text + " (error " + std::to_string(number) + ")";
        })) {}
  ~ErrorEvents() { protocall_.SMBusProtocallError().Unsubscribe(subscription_); }
  ErrorEvents(const ErrorEvents&) = delete;
  ErrorEvents& operator=(const ErrorEvents&) = delete;

  // What was reported since the last call.
  std::optional<std::string> Take() { return std::exchange(reported_, std::nullopt); }

 private:
  comport::SMBusProtocall& protocall_;
  comport::Event<std::int16_t, const std::string&>::Subscription subscription_;
  std::optional<std::string> reported_;
};

void SearchPrinterPorts(comport::KORComPort& comPort, const std::function<void(int)>& advance, Finds& finds) {
  auto printerPort = comPort.PrinterPort();
  auto protocall = printerPort->SMBusProtocall();
  const std::uint8_t ports = printerPort->PrinterPortsDetected();
  ErrorEvents errors(*protocall);
  for (std::uint8_t index = 0; index < ports; ++index) {
    Advance(advance, kPrinterPortStep);
    printerPort->PortAddressIndex(index);
    for (const comport::Boolean inverted : {comport::kFalse, comport::kTrue}) {
      protocall->DataInverted(inverted);
      for (const std::uint8_t address : kCandidateAddresses) {
        if (address == 0) continue;
        ProbeFailure where{false, index, address, {}};
        const bool found = Probe([&] { return ChipAnswersOnPrinterPort(comPort, address); }, where, finds);
        if (auto reported = errors.Take()) {
          where.error = std::move(*reported);
          finds.failures.push_back(std::move(where));
        } else if (found) {
          finds.printerPort.push_back({address, index, protocall->DataInverted(), printerPort->PortAddress()});
        }
      }
    }
  }
}

void SearchOnBoard(comport::KORComPort& comPort, const Media& media, const std::function<void(int)>& advance,
                   Finds& finds) {
  auto smbus = comPort.SMBus();
  if (media.onBoardHost) SelectHost(*smbus, *media.onBoardHost);
  finds.onBoardHost = media.onBoardHost ? *media.onBoardHost : DiscoveredHost(*smbus);
  for (const std::uint8_t address : kCandidateAddresses) {
    Advance(advance, kSlotStep);
    if (address == 0) continue;
    const std::uint8_t sevenBit = address / 2;
    if (Probe([&] { return ChipAnswersOnBoard(comPort, sevenBit); }, {true, 0, sevenBit, {}}, finds))
      finds.onBoard.push_back(sevenBit);
  }
}

}  // namespace

int ProgressMaximum(const Media& media) {
  return kProgressPerMedium * (int{media.printerPort} + int{media.onBoard} + int{media.usb});
}

void UseAdapters(Media& media, const AdapterMedia& adapters, bool kernelMedia) {
  if (kernelMedia) media.onBoardAdapters = adapters.onBoard;
  media.usbAdapters = adapters.usb;
  media.allAdapters = adapters.all;
}

Finds SearchDevices(comport::KORComPort& comPort, const Media& media, const std::function<void(int)>& advance) {
  Finds finds;
  if (media.printerPort) SearchPrinterPorts(comPort, advance, finds);
  if (media.onBoard && media.onBoardAdapters)
    SearchAdapters(platform::Current(), *media.onBoardAdapters, kSlotStep, advance, finds.adapters);
  else if (media.onBoard)
    SearchOnBoard(comPort, media, advance, finds);
  if (media.usb) SearchAdapters(platform::Current(), media.usbAdapters, kSlotStep, advance, finds.adapters);
  return finds;
}

bool ChipAnswersOnPrinterPort(comport::KORComPort& comPort, std::uint8_t addressByte) {
  return comPort.PrinterPort()->SMBusProtocall()->PortRead(addressByte, kIdRegister) == kChipId;
}

bool ChipAnswersOnBoard(comport::KORComPort& comPort, std::uint8_t address) {
  return comPort.SMBus()->PortRead(address, kIdRegister) == kChipId;
}

std::string DescribeFailure(std::exception_ptr failure) {
  try {
    std::rethrow_exception(failure);
  } catch (const comport::RuntimeError& error) {
    return error.Description() + " (error " + std::to_string(error.Number()) + ")";
  } catch (const std::bad_alloc&) {
    return "Out of memory";
  } catch (const std::exception& error) {
    return error.what();
  } catch (...) {
    return "an unknown failure";
  }
}

}  // namespace devicesearch
