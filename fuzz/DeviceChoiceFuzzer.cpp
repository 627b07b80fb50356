// The device a command line names (--device lpt1:0x4C, smbus:0x4E): refused
// with invalid_argument or accepted within the ranges it promises.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <stdexcept>
#include <string_view>

#include "cli/DeviceChoice.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  try {
    const qtscli::DeviceChoice device = qtscli::ParseDeviceChoice(text);
    if (device.address < 0x03 || device.address > 0x77) std::abort();
    if (!device.onBoard && (device.portNumber < 1 || device.portNumber > 255)) std::abort();
    qtscli::Describe(device);
  } catch (const std::invalid_argument&) {
  }
  return 0;
}
