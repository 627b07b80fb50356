#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "sim/SmbusAlert.h"
#include "sim/SmbusDevice.h"
#include "sim/TemperatureScenario.h"

namespace sim {

class Clock;

// The QTS5460 temperature monitor at byte level.
//
// Conversions run on the machine's clock: each takes kConversionNanoseconds,
// one starts every period of the programmed rate, and the model works out
// lazily, at each bus access, what has happened since the last one. A
// conversion measures both channels at its end; its results replace the
// temperature registers and set the latched status flags. A new rate or the
// end of standby starts the next conversion as soon as none is running.
//
// Known differences from a real part: the conversion time does not depend on
// the rate, and a conversion running when standby is entered still finishes.
class Qts5460 : public SmbusDevice, public AlertSource {
 public:
  static constexpr std::uint64_t kConversionNanoseconds = 25'000'000;
  // An open diode reads as the top of the signed range, as parts of this kind do.
  static constexpr int kOpenDiodeEighths = 127 * 8;

  Qts5460(const Clock& clock, TemperatureScenario scenario = {});

  // SmbusDevice: write byte (pointer, value), send byte (pointer), receive
  // byte (at the pointer; the pointer does not move).
  bool Start(bool read) override;
  bool WriteByte(std::uint8_t value) override;
  std::uint8_t ReadByte() override;
  void Stop() override {}

  // AlertSource
  bool AlertAsserted() override;
  void AlertAnswered() override { alertAnswered_ = true; }

  // Side doors for tests: fixed temperatures from now on (the next conversion
  // measures them), or back to the scenario.
  void SetLocalTemperature(double celsius) { localOverride_ = celsius; }
  void SetRemoteTemperature(double celsius) { remoteOverride_ = celsius; }
  void SetDiodeOpen(bool open) { diodeOpenOverride_ = open; }
  void FollowScenario();

  // The chip has been powered for a while before the machine starts: a
  // conversion's results (and the flags they set) are there from the first
  // read, and the next conversion follows one period later.
  void PoweredEarlier();

  // Register access as the bus performs it, for the byte level and tests.
  std::uint8_t ReadRegister(std::uint8_t code);
  void WriteRegister(std::uint8_t code, std::uint8_t value);

 private:
  void CatchUp();
  void Convert(std::uint64_t at);
  std::uint64_t Period() const;
  bool Standby() const;
  std::uint8_t Stored(std::uint8_t readCode) const { return stored_[readCode]; }
  std::uint8_t ReadStatus();

  const Clock& clock_;
  TemperatureScenario scenario_;
  std::optional<double> localOverride_;
  std::optional<double> remoteOverride_;
  std::optional<bool> diodeOpenOverride_;

  std::array<std::uint8_t, 256> stored_{};  // by read code
  std::uint8_t pointer_ = 0;
  bool expectPointer_ = false;

  bool running_ = false;
  std::uint64_t runEnd_ = 0;
  std::uint64_t nextStart_ = 0;

  int localEighths_ = 0;
  int remoteEighths_ = 0;
  std::optional<std::uint8_t> latchedLocalLow_;
  std::optional<std::uint8_t> latchedRemoteLow_;
  std::uint8_t conditions_ = 0;  // flags of the last conversion
  std::uint8_t latched_ = 0;
  bool alertAnswered_ = false;
};

}  // namespace sim
