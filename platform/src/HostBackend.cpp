#include "platform/HostBackend.h"

#include <stdexcept>

#include "host/HostOptions.h"
#include "host/HostProcess.h"
#include "host/KernelAdapters.h"
#include "host/PresentedController.h"
#include "host/RawController.h"
#include "host/SmbusAdapter.h"
#include "platform/Current.h"

namespace platform {

namespace {

// Nothing answers: configuration reads float high and no port opens.
class NoController : public CanIo {
 public:
  std::int32_t CanInpd(std::int32_t port) override { return port == 0xCFC ? -1 : 0; }
  void CanOutpd(std::int32_t, std::int32_t) override {}
  std::int32_t CanInpw(std::int32_t) override { return 0; }
  void CanOutpw(std::int32_t, std::int32_t) override {}
  std::int32_t CanInp(std::int32_t) override { return 0; }
  void CanOutp(std::int32_t, std::int32_t) override {}
  std::int32_t AddMultiPort(std::int32_t, std::int32_t) override { return 0; }
  std::int32_t RemovePort(std::int32_t) override { return 0; }
};

// The chipset's SMBus by its kernel name; else (a board computer, whose
// header bus has another name) the first adapter on board that opens.
std::optional<int> FirstOnBoardAdapter() {
  if (const auto chipset = host::FindOnBoardAdapter()) return chipset;
  for (const auto& adapter : host::KernelAdapters().List())
    if (adapter.medium == AdapterMedium::OnBoard && adapter.access == AdapterAccess::Open) return adapter.number;
  return std::nullopt;
}

std::unique_ptr<CanIo> OnBoardSmbus(const host::HostOptions& options) {
  switch (options.smbus) {
    case host::HostOptions::Smbus::None:
      break;
    case host::HostOptions::Smbus::Raw:
      return host::RawController::Create({});
    case host::HostOptions::Smbus::Kernel: {
      const auto adapter = options.i2cAdapter ? options.i2cAdapter : FirstOnBoardAdapter();
      if (adapter)
        return std::make_unique<host::PresentedController>(std::make_unique<host::I2cDevAdapter>(*adapter));
      break;
    }
  }
  return std::make_unique<NoController>();
}

}  // namespace

std::shared_ptr<Process> CreateHostProcess(const std::string& options) {
  host::HostOptions parsed;
  try {
    parsed = host::HostOptions::Parse(options);
  } catch (const std::invalid_argument& bad) {
    throw BackendUnavailable(bad.what());
  }
  return std::make_shared<host::HostProcess>(parsed, OnBoardSmbus(parsed));
}

std::string HostOptionHelp() {
  std::string help;
  for (const auto& line : host::HostOptions::Help()) help += line + "\n";
  return help;
}

}  // namespace platform
