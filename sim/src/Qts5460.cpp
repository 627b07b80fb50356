#include "sim/Qts5460.h"

#include <algorithm>
#include <cmath>

#include "sim/Clock.h"
#include "sim/Qts5460Registers.h"

namespace sim {

using namespace qts5460;

namespace {

constexpr std::uint64_t kSlowestPeriodNanoseconds = 16'000'000'000;  // rate code 0: 0.0625 per second
constexpr int kMaxEighths = 255 * 8 + 7;

int ToEighths(double celsius) {
  return std::clamp(static_cast<int>(std::floor(celsius * 8.0 + 1e-9)), 0, kMaxEighths);
}

std::uint8_t WholeDegrees(int eighths) { return static_cast<std::uint8_t>(eighths >> 3); }
std::uint8_t FractionByte(int eighths) { return static_cast<std::uint8_t>((eighths & 7) << 5); }
int FractionEighths(std::uint8_t byte) { return (byte & kFractionMask) >> 5; }

const StoredRegister* ByWriteCode(std::uint8_t code) {
  for (const StoredRegister& reg : kStoredRegisters)
    if (reg.writeCode == code) return &reg;
  return nullptr;
}

bool IsStoredReadCode(std::uint8_t code) {
  for (const StoredRegister& reg : kStoredRegisters)
    if (reg.readCode == code) return true;
  return false;
}

}  // namespace

Qts5460::Qts5460(const Clock& clock, TemperatureScenario scenario) : clock_(clock), scenario_(scenario) {
  for (const StoredRegister& reg : kStoredRegisters) stored_[reg.readCode] = reg.powerOn;
  nextStart_ = clock_.Now();
}

void Qts5460::FollowScenario() {
  localOverride_.reset();
  remoteOverride_.reset();
  diodeOpenOverride_.reset();
}

bool Qts5460::Start(bool read) {
  expectPointer_ = !read;
  return true;
}

bool Qts5460::WriteByte(std::uint8_t value) {
  if (expectPointer_) {
    pointer_ = value;
    expectPointer_ = false;
  } else {
    // Further bytes of a longer write all go to the same code.
    WriteRegister(pointer_, value);
  }
  return true;
}

std::uint8_t Qts5460::ReadByte() { return ReadRegister(pointer_); }

void Qts5460::PoweredEarlier() {
  Convert(clock_.Now());
  nextStart_ = clock_.Now() + Period();
}

std::uint64_t Qts5460::Period() const {
  const int code = std::min<int>(Stored(kConversionRateRead), kConversionRateFastest);
  return kSlowestPeriodNanoseconds >> code;
}

bool Qts5460::Standby() const { return (Stored(kConfigurationRead) & kConfigStandby) != 0; }

void Qts5460::CatchUp() {
  const std::uint64_t now = clock_.Now();
  while (true) {
    if (running_) {
      if (runEnd_ > now) return;
      running_ = false;
      Convert(runEnd_);
      continue;
    }
    if (Standby() || nextStart_ > now) return;
    running_ = true;
    runEnd_ = nextStart_ + kConversionNanoseconds;
    nextStart_ += Period();
  }
}

void Qts5460::Convert(std::uint64_t at) {
  const bool open = diodeOpenOverride_.value_or(scenario_.DiodeOpen());
  localEighths_ = ToEighths(localOverride_.value_or(AmbientAt(at)));
  if (open) {
    remoteEighths_ = kOpenDiodeEighths;
  } else {
    const int offset = static_cast<std::int8_t>(Stored(kRemoteOffsetHigh)) * 8 + FractionEighths(Stored(kRemoteOffsetLow));
    const int measured = ToEighths(remoteOverride_.value_or(scenario_.RemoteAt(at)));
    remoteEighths_ = std::clamp(measured + offset, 0, kMaxEighths);
  }

  const int remoteHigh = Stored(kRemoteHighRead) * 8 + FractionEighths(Stored(kRemoteHighLimitLow));
  const int remoteLow = Stored(kRemoteLowRead) * 8 + FractionEighths(Stored(kRemoteLowLimitLow));
  std::uint8_t conditions = 0;
  if (localEighths_ > Stored(kLocalHighRead) * 8) conditions |= kStatusLocalHigh;
  if (localEighths_ < Stored(kLocalLowRead) * 8) conditions |= kStatusLocalLow;
  if (remoteEighths_ > remoteHigh) conditions |= kStatusRemoteHigh;
  if (remoteEighths_ < remoteLow) conditions |= kStatusRemoteLow;
  if (open) conditions |= kStatusRemoteOpen;

  conditions_ = conditions;
  latched_ |= conditions;
  if (conditions != 0) alertAnswered_ = false;
}

bool Qts5460::AlertAsserted() {
  CatchUp();
  return (latched_ & kStatusAlertFlags) != 0 && (Stored(kConfigurationRead) & kConfigAlertMask) == 0 &&
         !alertAnswered_;
}

std::uint8_t Qts5460::ReadStatus() {
  const std::uint8_t status = static_cast<std::uint8_t>(latched_ | (running_ ? kStatusBusy : 0));
  latched_ &= conditions_;  // a flag whose condition has gone clears once it has been read
  return status;
}

std::uint8_t Qts5460::ReadRegister(std::uint8_t code) {
  CatchUp();
  switch (code) {
    case kLocalTemperature:
      latchedLocalLow_ = FractionByte(localEighths_);
      return WholeDegrees(localEighths_);
    case kRemoteTemperature:
      latchedRemoteLow_ = FractionByte(remoteEighths_);
      return WholeDegrees(remoteEighths_);
    case kLocalTemperatureLow: {
      const std::uint8_t low = latchedLocalLow_.value_or(FractionByte(localEighths_));
      latchedLocalLow_.reset();
      return low;
    }
    case kRemoteTemperatureLow: {
      const std::uint8_t low = latchedRemoteLow_.value_or(FractionByte(remoteEighths_));
      latchedRemoteLow_.reset();
      return low;
    }
    case kStatus:
      return ReadStatus();
    case kManufacturerId:
      return kManufacturerIdValue;
    case kDieRevision:
      return kDieRevisionValue;
    default:
      return IsStoredReadCode(code) ? Stored(code) : 0xFF;
  }
}

void Qts5460::WriteRegister(std::uint8_t code, std::uint8_t value) {
  CatchUp();
  if (code == kOneShot) {
    if (Standby() && !running_) {
      running_ = true;
      runEnd_ = clock_.Now() + kConversionNanoseconds;
    }
    return;
  }
  const StoredRegister* reg = ByWriteCode(code);
  if (!reg) return;
  const bool wasStandby = Standby();
  if (reg->readCode == kConfigurationRead) value &= kConfigWritable;
  stored_[reg->readCode] = value;
  const bool leftStandby = wasStandby && !Standby();
  if (reg->readCode == kConversionRateRead || leftStandby) nextStart_ = running_ ? runEnd_ : clock_.Now();
  if (!Standby()) CatchUp();
}

}  // namespace sim
