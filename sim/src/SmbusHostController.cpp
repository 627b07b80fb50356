#include "sim/SmbusHostController.h"

#include "sim/Clock.h"
#include "sim/PciFunction.h"
#include "sim/SmbusBus.h"

namespace sim {

HostProtocol ProtocolFromCode(std::uint8_t code) {
  switch (code & 0x7) {
    case 0:
      return HostProtocol::Quick;
    case 1:
      return HostProtocol::Byte;
    case 2:
      return HostProtocol::ByteData;
    case 3:
      return HostProtocol::WordData;
    default:
      return HostProtocol::Unsupported;
  }
}

namespace {

constexpr std::uint64_t kBitNanoseconds = 10'000;  // 100 kHz
constexpr std::uint64_t kByteBits = 9;             // eight data bits and the acknowledge
constexpr std::uint64_t kConditionBits = 1;        // a start, repeated start or stop

}  // namespace

HostResult RunHostTransfer(SmbusBus& bus, const HostTransfer& transfer) {
  HostResult result{transfer.protocol != HostProtocol::Unsupported, false, transfer.data0, transfer.data1, 0};
  if (!result.supported) return result;
  const auto address = static_cast<std::uint8_t>(transfer.addressByte >> 1);
  const bool read = (transfer.addressByte & 1) != 0;
  std::uint64_t bits = 2 * kConditionBits + kByteBits;  // start, address byte, stop
  auto finish = [&](bool completed) {
    bus.Stop();
    result.completed = completed;
    result.nanoseconds = bits * kBitNanoseconds;
    return result;
  };

  const bool commandPhase = transfer.protocol == HostProtocol::ByteData || transfer.protocol == HostProtocol::WordData;
  // Byte-data and word-data reads address the device for writing first, send
  // the command, then turn round with a repeated start.
  if (!bus.Start(address, read && !commandPhase)) return finish(false);
  switch (transfer.protocol) {
    case HostProtocol::Quick:
      return finish(true);
    case HostProtocol::Byte:
      bits += kByteBits;
      if (read) {
        result.data0 = bus.ReadByte();
        return finish(true);
      }
      return finish(bus.WriteByte(transfer.command));
    default:
      break;
  }
  bits += kByteBits;
  if (!bus.WriteByte(transfer.command)) return finish(false);
  const bool word = transfer.protocol == HostProtocol::WordData;
  if (read) {
    bits += kConditionBits + kByteBits;
    if (!bus.Start(address, true)) return finish(false);
    bits += kByteBits;
    result.data0 = bus.ReadByte();
    if (word) {
      bits += kByteBits;
      result.data1 = bus.ReadByte();
    }
    return finish(true);
  }
  bits += kByteBits;
  if (!bus.WriteByte(transfer.data0)) return finish(false);
  if (word) {
    bits += kByteBits;
    if (!bus.WriteByte(transfer.data1)) return finish(false);
  }
  return finish(true);
}

SmbusHostController::SmbusHostController(const Clock& clock, PortSpace& ports, PciFunction& configuration,
                                         const ChipsetModel& model, SmbusBus& bus, bool staysBusy)
    : clock_(clock), ports_(ports), configuration_(configuration), model_(model), bus_(bus), staysBusy_(staysBusy) {
  configuration_.OnWrite([this](std::uint8_t) { FollowConfiguration(); });
  FollowConfiguration();
}

SmbusHostController::~SmbusHostController() {
  configuration_.OnWrite(nullptr);
  Unmap();
}

void SmbusHostController::FollowConfiguration() {
  bool enabled = true;
  for (const EnableBit& enable : model_.enables)
    if (enable.mask != 0 && (configuration_.Read(enable.offset) & enable.mask) != enable.mask) enabled = false;
  const auto base =
      static_cast<std::uint16_t>((configuration_.Read(model_.baseOffset) & model_.baseWritable) >> model_.baseShift);
  const std::uint16_t wanted = enabled ? base : 0;
  if (wanted == mappedBase_) return;
  Unmap();
  if (wanted == 0) return;
  for (std::uint32_t port = wanted; port < wanted + 0u + kPortCount && port <= 0xFFFF; ++port)
    if (!ports_.DeviceAt(static_cast<std::uint16_t>(port))) ports_.Map(static_cast<std::uint16_t>(port), 1, *this);
  mappedBase_ = wanted;
}

void SmbusHostController::Unmap() {
  if (mappedBase_ == 0) return;
  for (std::uint32_t port = mappedBase_; port < mappedBase_ + 0u + kPortCount && port <= 0xFFFF; ++port)
    if (ports_.DeviceAt(static_cast<std::uint16_t>(port)) == this) ports_.Unmap(static_cast<std::uint16_t>(port), 1);
  mappedBase_ = 0;
}

void SmbusHostController::CatchUp() {
  if (busy_ && clock_.Now() >= doneAt_) {
    busy_ = false;
    Finished(pending_);
  }
}

void SmbusHostController::Begin(const HostTransfer& transfer) {
  if (Busy()) return;
  pending_ = RunHostTransfer(bus_, transfer);
  ++transactions_;
  busy_ = true;
  doneAt_ = clock_.Now() + pending_.nanoseconds;
}

std::uint8_t SmbusHostController::Read8(std::uint16_t port) {
  CatchUp();
  return ReadRegister(static_cast<std::uint8_t>(port - mappedBase_));
}

void SmbusHostController::Write8(std::uint16_t port, std::uint8_t value) {
  CatchUp();
  WriteRegister(static_cast<std::uint8_t>(port - mappedBase_), value);
}

}  // namespace sim
