#include "sim/HostController8086.h"

namespace sim {

namespace {

constexpr std::uint8_t kClearable = HostController8086::kCompleted | HostController8086::kDeviceError |
                                    HostController8086::kCollision | HostController8086::kFailed |
                                    HostController8086::kInUse;

}  // namespace

std::uint8_t HostController8086::ReadRegister(std::uint8_t offset) {
  switch (offset) {
    case kStatus: {
      const auto status = static_cast<std::uint8_t>(flags_ | (Busy() ? kBusy : 0));
      if (inUseModelled_) flags_ |= kInUse;  // the read returns the flag as it was
      return status;
    }
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

void HostController8086::WriteRegister(std::uint8_t offset, std::uint8_t value) {
  switch (offset) {
    case kStatus:
      flags_ = static_cast<std::uint8_t>(flags_ & ~(value & kClearable));
      break;
    case kControl:
      control_ = value;
      if (value & kStart) Begin({ProtocolFromCode(value >> 2), address_, command_, data0_, data1_});
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

void HostController8086::Finished(const HostResult& result) {
  if (!result.supported)
    flags_ |= kFailed;
  else
    flags_ |= result.completed ? kCompleted : kDeviceError;
  data0_ = result.data0;
  data1_ = result.data1;
}

}  // namespace sim
