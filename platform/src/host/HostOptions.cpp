#include "HostOptions.h"

#include <charconv>
#include <stdexcept>

#include "platform/OptionItems.h"

namespace platform::host {

namespace {

[[noreturn]] void Bad(std::string_view item, std::string_view why) {
  throw std::invalid_argument("host option \"" + std::string(item) + "\": " + std::string(why));
}

}  // namespace

HostOptions HostOptions::Parse(std::string_view text) {
  HostOptions options;
  for (const auto& [item, key, value, hasValue] : SplitOptionItems(text)) {
    if (!hasValue) Bad(item, "needs a value");
    if (key == "ports") {
      if (value == "ppdev")
        options.ports = PortAccess::Ppdev;
      else if (value == "ioperm")
        options.ports = PortAccess::Ioperm;
      else
        Bad(item, "use ppdev or ioperm");
    } else if (key == "smbus") {
      if (value == "kernel")
        options.smbus = Smbus::Kernel;
      else if (value == "raw")
        options.smbus = Smbus::Raw;
      else if (value == "none")
        options.smbus = Smbus::None;
      else
        Bad(item, "use kernel, raw or none");
    } else if (key == "i2c") {
      int number = -1;
      auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), number);
      if (error != std::errc{} || end != value.data() + value.size() || number < 0 || number > 1023)
        Bad(item, "the adapter number N of /dev/i2c-N");
      options.i2cAdapter = number;
    } else {
      Bad(item, "unknown option");
    }
  }
  if (options.i2cAdapter && options.smbus != Smbus::Kernel) Bad("i2c", "applies to smbus=kernel only");
  return options;
}

std::vector<std::string> HostOptions::Help() {
  return {
      "  ports=ppdev|ioperm      printer-port registers through /dev/parportN (default; group lp) or with port",
      "                          instructions after ioperm (faster; needs CAP_SYS_RAWIO)",
      "  smbus=kernel|raw|none   on-board SMBus through the kernel's adapter (default; /dev/i2c-N, group i2c),",
      "                          the controller's own registers (root only, refused while a kernel driver owns",
      "                          the controller) or none",
      "  i2c=N                   the adapter /dev/i2c-N (default: the one the kernel names \"SMBus ...\")",
  };
}

}  // namespace platform::host
