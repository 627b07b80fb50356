#include <cstdio>
#include <istream>
#include <ostream>
#include <string>

#include "qtsctl/Commands.h"
#include "qtsctl/Device.h"
#include "qtsctl/InputParsing.h"
#include "qtsctl/RegisterDecoding.h"
#include "registers/RegisterMap.h"

namespace qtsctl {

namespace {

bool Consents(std::istream& in) {
  std::string answer;
  if (!std::getline(in, answer)) return false;
  for (auto& c : answer) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return answer == "y" || answer == "yes";
}

std::string CodeColumn(const registers::Register& entry) {
  std::string codes = HexByte(entry.readCode);
  if (entry.writeCode && *entry.writeCode != entry.readCode) codes.append("/").append(HexByte(*entry.writeCode));
  return codes;
}

}  // namespace

int Read(Device& device, std::uint8_t code, std::ostream& out) {
  out << HexByte(device.Read(code)) << '\n';
  return kSuccess;
}

int Write(Device& device, std::uint8_t code, std::uint8_t value, bool confirmed, std::istream& in,
          std::ostream& err) {
  if (device.OnBoard() && !confirmed) {
    err << "The on-board SMBus also carries the memory modules' SPD EEPROMs; writing to the wrong device can\n"
           "leave the PC unable to start.\n"
        << "Write " << HexByte(value) << " to register " << HexByte(code) << " of device " << device.Description()
        << "? [y/N] " << std::flush;
    if (!Consents(in)) {
      err << "\nNothing written.\n";
      return kFailure;
    }
  }
  device.Write(code, value);
  return kSuccess;
}

int Dump(Device& device, std::ostream& out) {
  out << "Registers of " << device.Description() << ":\n";
  char line[160];
  std::snprintf(line, sizeof line, "%-10s %-41s %-5s %4s  %s", "code", "name", "hex", "dec", "meaning");
  out << line << '\n';
  for (const auto& entry : registers::RegisterTable()) {
    const std::uint8_t value = device.Read(static_cast<std::uint8_t>(entry.readCode));
    const std::string name = entry.name.empty() ? "(local temperature low byte)" : std::string(entry.name);
    std::snprintf(line, sizeof line, "%-10s %-41s %-5s %4d  %s", CodeColumn(entry).c_str(), name.c_str(),
                  HexByte(value).c_str(), value, RegisterMeaning(entry.readCode, value).c_str());
    std::string text = line;
    text.erase(text.find_last_not_of(' ') + 1);
    out << text << '\n';
  }
  return kSuccess;
}

}  // namespace qtsctl
