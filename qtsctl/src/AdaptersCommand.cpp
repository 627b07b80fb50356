#include <cstdio>
#include <ostream>

#include "platform/Current.h"
#include "qtsctl/Commands.h"
#include "qtsctl/Json.h"
#include "search/AdapterMedia.h"

namespace qtsctl {

int ListAdapters(Output& output) {
  platform::I2cAdapters& machine = platform::Current();
  const devicesearch::AdapterMedia media = devicesearch::SortAdapters(machine.ListI2cAdapters());
  if (media.all.empty()) {
    if (machine.KernelMedia())
      output.err << devicesearch::OnBoardUnavailable(media) << '\n' << devicesearch::UsbUnavailable(media) << '\n';
    else
      output.err << "This virtual PC offers no kernel adapter (--sim usb-bridge gives it a USB bridge's).\n";
  }
  std::vector<JsonObject> listed;
  for (const auto& adapter : media.all) {
    const std::string medium = devicesearch::MediumName(adapter.medium);
    const std::string access = devicesearch::AccessText(adapter);
    if (output.json) {
      listed.push_back(JsonObject()
                           .Add("adapter", adapter.number)
                           .Add("name", adapter.name)
                           .Add("medium", medium)
                           .Add("driver", std::optional<std::string>(adapter.parentDriver))
                           .Add("open", adapter.access == platform::AdapterAccess::Open)
                           .Add("access", access));
      continue;
    }
    // i2cdetect -l's columns, tab-separated: the node, then what it counts
    // as and whether it opens here, then the kernel's name.
    char line[512];
    std::snprintf(line, sizeof line, "i2c-%-3d\t%-9s\t%-24s\t%s", adapter.number, medium.c_str(), access.c_str(),
                  adapter.name.c_str());
    output.out << line << '\n';
  }
  if (output.json) output.out << JsonObject().Add("adapters", listed).Text() << '\n';
  return media.all.empty() ? kFailure : kSuccess;
}

}  // namespace qtsctl
