#pragma once

#include <array>
#include <bitset>
#include <cstdint>

#include "sim/SmbusDevice.h"

namespace sim {

// The devices of one SMBus segment by 7-bit address, and the transfer that
// runs on it now. Whoever masters the segment (the wire-level slave engine
// decoding a bit-banged master, a host controller) calls Start, WriteByte,
// ReadByte and Stop in bus order; the segment hands each call to the device
// that the last start addressed.
class SmbusBus {
 public:
  void Attach(std::uint8_t address, SmbusDevice& device);  // replaces a device at that address
  void Detach(std::uint8_t address);
  SmbusDevice* DeviceAt(std::uint8_t address) const { return devices_[address & 0x7F]; }

  // Fault: the device at `address` stays attached but never acknowledges,
  // so the segment behaves as if the address were empty.
  void SetNeverAcknowledges(std::uint8_t address, bool never);
  // Fault: the device at `address` acknowledges its address for writing but
  // never for reading.
  void SetRefusesReads(std::uint8_t address, bool refuses);

  // Returns the address acknowledge; false when nobody answers.
  bool Start(std::uint8_t address, bool read);
  // Returns the data acknowledge; false when no device takes part.
  bool WriteByte(std::uint8_t value);
  // 0xFF when no device takes part: nobody pulls the data line down.
  std::uint8_t ReadByte();
  void Stop();

 private:
  std::array<SmbusDevice*, 128> devices_{};
  std::bitset<128> neverAcknowledges_;
  std::bitset<128> refusesReads_;
  SmbusDevice* active_ = nullptr;
};

}  // namespace sim
