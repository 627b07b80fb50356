#include <cstdio>
#include <ostream>

#include "comport/KORComPort.h"
#include "qtsctl/Commands.h"
#include "qtsctl/InputParsing.h"
#include "search/Diagnosis.h"

namespace qtsctl {

int Search(comport::KORComPort& comPort, const devicesearch::Media& media, std::ostream& out, std::ostream& err) {
  const devicesearch::Finds finds = devicesearch::SearchDevices(comPort, media);
  for (const auto& find : finds.printerPort) {
    char line[80];
    std::snprintf(line, sizeof line, "lpt%-3d 0x%-4X %-9s %s", find.portIndex + 1, find.portAddress & 0xFFFF,
                  find.inverted != comport::kFalse ? "inverted" : "direct", HexByte(find.address / 2).c_str());
    out << line << '\n';
  }
  for (const std::uint8_t address : finds.onBoard) out << "smbus  -      -         " << HexByte(address) << '\n';
  if (!finds.Empty()) return kSuccess;
  // What the search saw, so that the user knows where to look.
  for (const auto& line : devicesearch::DescribeDiagnosis(devicesearch::Diagnose(comPort, media, finds)))
    err << line << '\n';
  return kFailure;
}

}  // namespace qtsctl
