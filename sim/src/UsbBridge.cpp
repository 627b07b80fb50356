#include "sim/UsbBridge.h"

namespace sim {

UsbBridge::UsbBridge(const Clock& clock, const TemperatureScenario& scenario) : chip_(clock, scenario) {
  bus_.Attach(kChipAddress, chip_);
  bus_.Attach(AlertResponder::kAddress, alerts_);
  alerts_.Add(kChipAddress, chip_);
}

platform::I2cAdapterInfo UsbBridge::Info() const {
  platform::I2cAdapterInfo info;
  info.number = kAdapterNumber;
  info.name = kAdapterName;
  info.medium = platform::AdapterMedium::Usb;
  info.parentDriver = kDriver;
  return info;
}

platform::SmbusAnswer UsbBridge::Transfer(const platform::SmbusTransfer& transfer) {
  using platform::SmbusProtocol;
  const auto fail = [this] {
    bus_.Stop();
    return platform::SmbusAnswer{false, 0};
  };
  const SmbusProtocol protocol = transfer.protocol;
  // Quick commands carry the direction alone; a receive byte addresses for
  // reading at once; every other transfer starts by writing its command.
  const bool readsAtOnce = protocol == SmbusProtocol::Quick || (protocol == SmbusProtocol::Byte && transfer.read);
  if (!bus_.Start(transfer.address, readsAtOnce && transfer.read)) return fail();
  std::uint16_t data = 0;
  if (protocol == SmbusProtocol::Byte) {
    if (transfer.read)
      data = bus_.ReadByte();
    else if (!bus_.WriteByte(transfer.command))
      return fail();
  } else if (protocol != SmbusProtocol::Quick) {
    if (!bus_.WriteByte(transfer.command)) return fail();
    const int bytes = protocol == SmbusProtocol::WordData ? 2 : 1;
    if (transfer.read) {
      if (!bus_.Start(transfer.address, true)) return fail();
      for (int i = 0; i < bytes; ++i) data = static_cast<std::uint16_t>(data | (bus_.ReadByte() << (8 * i)));
    } else {
      for (int i = 0; i < bytes; ++i)
        if (!bus_.WriteByte(static_cast<std::uint8_t>(transfer.data >> (8 * i)))) return fail();
    }
  }
  bus_.Stop();
  return {true, transfer.read ? data : std::uint16_t{0}};
}

}  // namespace sim
