#include "sim/HostController10B9.h"

namespace sim {

namespace {

constexpr std::uint8_t kClearable = HostController10B9::kCompleted | HostController10B9::kDeviceError |
                                    HostController10B9::kCollision | HostController10B9::kTerminated;

}  // namespace

std::uint8_t HostController10B9::ReadRegister(std::uint8_t offset) {
  switch (offset) {
    case kStatus:
      return static_cast<std::uint8_t>(flags_ | (Busy() ? kBusy : kIdle));
    case kProtocol:
      return protocol_;
    case kAddress:
      return address_;
    case kDataA:
      return dataA_;
    case kDataB:
      return dataB_;
    case kCommand:
      return command_;
    default:
      return 0;
  }
}

void HostController10B9::WriteRegister(std::uint8_t offset, std::uint8_t value) {
  switch (offset) {
    case kStatus:
      flags_ = static_cast<std::uint8_t>(flags_ & ~(value & kClearable));
      break;
    case kProtocol:
      protocol_ = value;
      break;
    case kStart:
      Begin({ProtocolFromCode(protocol_ >> 4), address_, command_, dataA_, dataB_});
      break;
    case kAddress:
      address_ = value;
      break;
    case kDataA:
      dataA_ = value;
      break;
    case kDataB:
      dataB_ = value;
      break;
    case kCommand:
      command_ = value;
      break;
    default:
      break;
  }
}

void HostController10B9::Finished(const HostResult& result) {
  if (!result.supported)
    flags_ |= kTerminated;
  else
    flags_ |= result.completed ? kCompleted : kDeviceError;
  dataA_ = result.data0;
  dataB_ = result.data1;
}

}  // namespace sim
