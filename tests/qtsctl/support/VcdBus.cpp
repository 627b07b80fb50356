#include "VcdBus.h"

#include <map>
#include <sstream>

namespace qtsctltest {

namespace {

struct Decoder {
  int scl = 1;
  int sda = 1;
  bool inFrame = false;
  std::vector<int> bits;
  VcdBus bus;

  void EndFrame() {
    if (!inFrame) return;
    Frame frame;
    for (std::size_t first = 0; first + 9 <= bits.size(); first += 9) {
      int value = 0;
      for (std::size_t i = 0; i < 8; ++i) value = value << 1 | bits[first + i];
      frame.push_back({static_cast<std::uint8_t>(value), bits[first + 8] == 0});
    }
    bus.frames.push_back(frame);
    bits.clear();
    inFrame = false;
  }

  void Sda(int level) {
    if (level == sda) return;
    if (scl == 1) {
      // Data changing under a high clock: start when it falls, stop when it rises.
      EndFrame();
      inFrame = level == 0;
    }
    sda = level;
  }

  void Scl(int level) {
    if (level == 1 && scl == 0 && inFrame) bits.push_back(sda);
    scl = level;
  }
};

}  // namespace

VcdBus DecodeVcd(const std::string& vcdText) {
  std::map<std::string, std::string> wires;  // identifier -> name
  Decoder decoder;
  bool inDefinitions = true;
  bool inInitialValues = false;
  std::istringstream lines(vcdText);
  for (std::string line; std::getline(lines, line);) {
    if (inDefinitions) {
      std::istringstream words(line);
      std::string keyword, type, width, id, name;
      words >> keyword;
      if (keyword == "$var" && words >> type >> width >> id >> name) wires[id] = name;
      if (keyword == "$enddefinitions") inDefinitions = false;
      continue;
    }
    if (line == "$dumpvars") inInitialValues = true;
    if (line == "$end") inInitialValues = false;
    if (line.size() < 2 || (line[0] != '0' && line[0] != '1')) continue;
    const int level = line[0] - '0';
    const std::string& wire = wires[line.substr(1)];
    if (!inInitialValues) ++decoder.bus.changes;
    if (wire == "SCL")
      inInitialValues ? void(decoder.scl = level) : decoder.Scl(level);
    else if (wire == "SDA")
      inInitialValues ? void(decoder.sda = level) : decoder.Sda(level);
  }
  decoder.EndFrame();
  return decoder.bus;
}

std::vector<std::vector<int>> FrameBytes(const VcdBus& bus) {
  std::vector<std::vector<int>> frames;
  for (const auto& frame : bus.frames) {
    std::vector<int> bytes;
    for (const auto& byte : frame) bytes.push_back(byte.value);
    frames.push_back(bytes);
  }
  return frames;
}

}  // namespace qtsctltest
