#include "PresentedController.h"

#include <algorithm>

namespace platform::host {

namespace {

enum Register : std::int32_t { kStatus = 0, kControl = 2, kCommand = 3, kAddress = 4, kData0 = 5, kData1 = 6 };
constexpr std::uint8_t kCompleted = 0x02, kDeviceError = 0x04, kFailed = 0x10;
constexpr std::uint8_t kClearable = 0x1E;
constexpr std::uint8_t kStart = 0x40;
constexpr std::uint8_t kBaseRegister = 0x90, kEnableRegister = 0xD0;
constexpr std::uint32_t kHostEnable = 0x00010000;  // bit 0 of the byte at 0xD2

}  // namespace

PresentedController::PresentedController(std::unique_ptr<SmbusAdapter> adapter) : adapter_(std::move(adapter)) {
  configuration_[0] = kIdentification;
  configuration_[kBaseRegister / 4] = static_cast<std::uint32_t>(kBase) | 1;  // I/O space indicator
  configuration_[kEnableRegister / 4] = kHostEnable;
}

std::uint32_t* PresentedController::SelectedDword() {
  if (!window_.Enabled() || window_.Bus() != 0 || window_.Device() != kDevice || window_.Function() != kFunction)
    return nullptr;
  return &configuration_[window_.Register() / 4];
}

bool PresentedController::Open(std::int32_t port) const {
  return std::any_of(open_.begin(), open_.end(),
                     [port](const auto& range) { return port >= range.first && port < range.first + range.second; });
}

std::int32_t PresentedController::AddMultiPort(std::int32_t port, std::int32_t count) {
  // Only the presented block can be opened: nothing else is behind this library.
  if (count <= 0 || port < kBase || port > kBase + kPorts - count) return 0;
  open_[port] = count;
  return 1;
}

std::int32_t PresentedController::RemovePort(std::int32_t port) { return open_.erase(port) ? 1 : 0; }

std::int32_t PresentedController::CanInpd(std::int32_t port) {
  if (port == ConfigurationWindow::kAddressPort) return static_cast<std::int32_t>(window_.Address());
  if (port == ConfigurationWindow::kDataPort) {
    const std::uint32_t* dword = SelectedDword();
    return static_cast<std::int32_t>(dword ? *dword : 0xFFFFFFFFu);
  }
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(CanInpw(port) & 0xFFFF) |
                                   (static_cast<std::uint32_t>(CanInpw(port + 2) & 0xFFFF) << 16));
}

void PresentedController::CanOutpd(std::int32_t port, std::int32_t value) {
  if (port == ConfigurationWindow::kAddressPort) return window_.Latch(static_cast<std::uint32_t>(value));
  if (port == ConfigurationWindow::kDataPort) {
    // The identification and the I/O base are fixed: the block cannot move.
    std::uint32_t* dword = SelectedDword();
    if (dword && window_.Register() != 0 && window_.Register() != kBaseRegister) *dword = static_cast<std::uint32_t>(value);
    return;
  }
  CanOutpw(port, value & 0xFFFF);
  CanOutpw(port + 2, (value >> 16) & 0xFFFF);
}

std::int32_t PresentedController::CanInpw(std::int32_t port) {
  return Read8(port) | (Read8(port + 1) << 8);
}

void PresentedController::CanOutpw(std::int32_t port, std::int32_t value) {
  Write8(port, static_cast<std::uint8_t>(value));
  Write8(port + 1, static_cast<std::uint8_t>(value >> 8));
}

std::int32_t PresentedController::CanInp(std::int32_t port) { return Read8(port); }

void PresentedController::CanOutp(std::int32_t port, std::int32_t value) {
  Write8(port, static_cast<std::uint8_t>(value));
}

std::uint8_t PresentedController::Read8(std::int32_t port) {
  if (!Open(port)) return 0;
  switch (port - kBase) {
    case kStatus:
      return flags_;
    case kControl:
      return static_cast<std::uint8_t>(control_ & ~kStart);
    case kCommand:
      return command_;
    case kAddress:
      return address_;
    case kData0:
      return data0_;
    case kData1:
      return data1_;
    default:
      return 0;
  }
}

void PresentedController::Write8(std::int32_t port, std::uint8_t value) {
  if (!Open(port)) return;
  switch (port - kBase) {
    case kStatus:
      flags_ = static_cast<std::uint8_t>(flags_ & ~(value & kClearable));
      break;
    case kControl:
      control_ = value;
      if (value & kStart) Run();
      break;
    case kCommand:
      command_ = value;
      break;
    case kAddress:
      address_ = value;
      break;
    case kData0:
      data0_ = value;
      break;
    case kData1:
      data1_ = value;
      break;
    default:
      break;
  }
}

// The adapter runs the whole transaction before the start write returns, so
// the controller is never seen busy.
void PresentedController::Run() {
  const int protocol = (control_ >> 2) & 0x7;
  if (protocol > static_cast<int>(SmbusProtocol::WordData)) {
    flags_ |= kFailed;
    return;
  }
  const SmbusTransfer transfer{static_cast<SmbusProtocol>(protocol), static_cast<std::uint8_t>(address_ >> 1),
                               (address_ & 1) != 0, command_,
                               static_cast<std::uint16_t>(data0_ | (data1_ << 8))};
  const SmbusAnswer answer = adapter_->Transfer(transfer);
  if (!answer.done) {
    flags_ |= kDeviceError;
    return;
  }
  if (transfer.read && transfer.protocol != SmbusProtocol::Quick) {
    data0_ = static_cast<std::uint8_t>(answer.data);
    if (transfer.protocol == SmbusProtocol::WordData) data1_ = static_cast<std::uint8_t>(answer.data >> 8);
  }
  flags_ |= kCompleted;
}

}  // namespace platform::host
