#include <cstdio>
#include <ostream>

#include "comport/KORComPort.h"
#include "qtsctl/Commands.h"
#include "qtsctl/InputParsing.h"
#include "qtsctl/Interrupt.h"
#include "qtsctl/Json.h"
#include "search/AdapterMedia.h"
#include "search/Diagnosis.h"

namespace qtsctl {

namespace {

std::string Base(std::int16_t portAddress) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%X", portAddress & 0xFFFF);
  return text;
}

}  // namespace

int Search(comport::KORComPort& comPort, const devicesearch::Media& media, Output& output) {
  const devicesearch::Finds finds = devicesearch::SearchDevices(comPort, media, [](int) { ThrowIfStopped(); });
  std::vector<std::string> diagnosis;
  if (finds.Empty()) {
    // What the search saw, so that the user knows where to look.
    diagnosis = devicesearch::DescribeDiagnosis(devicesearch::Diagnose(comPort, media, finds));
    output.err << "No " << devicesearch::kChipName << " was found.\n";
    for (const auto& line : diagnosis) output.err << line << '\n';
  }
  if (output.json) {
    std::vector<JsonObject> found;
    for (const auto& find : finds.printerPort)
      found.push_back(JsonObject()
                          .Add("medium", "lpt")
                          .Add("port", find.portIndex + 1)
                          .Add("base", Base(find.portAddress))
                          .Add("wiring", find.inverted != comport::kFalse ? "inverted" : "direct")
                          .Add("address", HexByte(find.address / 2)));
    for (const std::uint8_t address : finds.onBoard)
      found.push_back(JsonObject().Add("medium", "smbus").Add("address", HexByte(address)));
    for (const auto& find : finds.adapters.found)
      found.push_back(JsonObject()
                          .Add("medium", "i2c")
                          .Add("adapter", find.adapter.number)
                          .Add("name", find.adapter.name)
                          .Add("bus", devicesearch::MediumName(find.adapter.medium))
                          .Add("address", HexByte(find.address)));
    output.out << JsonObject().Add("found", found).Add("diagnosis", diagnosis).Text() << '\n';
    return finds.Empty() ? kFailure : kSuccess;
  }
  for (const auto& find : finds.printerPort) {
    char line[80];
    std::snprintf(line, sizeof line, "lpt%-3d %-6s %-9s %s", find.portIndex + 1, Base(find.portAddress).c_str(),
                  find.inverted != comport::kFalse ? "inverted" : "direct", HexByte(find.address / 2).c_str());
    output.out << line << '\n';
  }
  for (const std::uint8_t address : finds.onBoard) output.out << "smbus  -      -         " << HexByte(address) << '\n';
  for (const auto& find : finds.adapters.found) {
    char line[80];
    std::snprintf(line, sizeof line, "i2c-%-2d %-6s %-9s %s  ", find.adapter.number,
                  find.adapter.medium == platform::AdapterMedium::Usb ? "usb" : "board", "-",
                  HexByte(find.address).c_str());
    output.out << line << find.adapter.name << '\n';
  }
  return finds.Empty() ? kFailure : kSuccess;
}

}  // namespace qtsctl
