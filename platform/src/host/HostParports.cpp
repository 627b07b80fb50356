#include "HostParports.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>

namespace platform::host {

std::vector<HostParport> EnumerateParports(const std::string& procRoot) {
  std::vector<HostParport> ports;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(procRoot, error)) {
    const std::string name = entry.path().filename().string();
    if (name.rfind("parport", 0) != 0 || name.size() == 7) continue;
    const std::string digits = name.substr(7);
    if (!std::all_of(digits.begin(), digits.end(), [](unsigned char c) { return std::isdigit(c); })) continue;
    std::ifstream file(entry.path() / "base-addr");
    unsigned long base = 0;
    if (!(file >> base) || base == 0 || base > 0xFFFD) continue;
    ports.push_back({std::stoi(digits), static_cast<std::uint16_t>(base)});
  }
  std::sort(ports.begin(), ports.end(), [](const auto& a, const auto& b) { return a.number < b.number; });
  return ports;
}

}  // namespace platform::host
