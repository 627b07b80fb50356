#include "sim/Personality.h"

#include <array>

namespace sim {

namespace {
constexpr std::array kPersonalities{
    Personality{"95", "Windows 95", 1, 4, 0, 950, "", "C:\\WINDOWS\\SYSTEM"},
    Personality{"95osr2", "Windows 95 OSR2", 1, 4, 0, 1111, " B", "C:\\WINDOWS\\SYSTEM"},
    Personality{"98", "Windows 98", 1, 4, 10, 1998, "", "C:\\WINDOWS\\SYSTEM"},
    Personality{"98se", "Windows 98 Second Edition", 1, 4, 10, 2222, " A ", "C:\\WINDOWS\\SYSTEM"},
    Personality{"me", "Windows Millennium Edition", 1, 4, 90, 3000, "", "C:\\WINDOWS\\SYSTEM"},
    Personality{"nt351", "Windows NT 3.51", 2, 3, 51, 1057, "Service Pack 5", "C:\\WINNT\\system32"},
    Personality{"nt4", "Windows NT 4.0", 2, 4, 0, 1381, "Service Pack 6", "C:\\WINNT\\system32"},
    Personality{"2000", "Windows 2000", 2, 5, 0, 2195, "Service Pack 4", "C:\\WINNT\\system32"},
    Personality{"xp", "Windows XP", 2, 5, 1, 2600, "Service Pack 2", "C:\\WINDOWS\\system32"},
};
}  // namespace

std::uint32_t Personality::VersionRecordBuild() const {
  if (Is9x()) return (major << 24) | (minor << 16) | build;
  return build;
}

std::uint32_t Personality::PackedVersion() const {
  const std::uint32_t low = (minor << 8) | major;
  if (Is9x()) return 0x80000000u | low;
  return (build << 16) | low;
}

std::span<const Personality> Personalities() { return kPersonalities; }

std::optional<Personality> FindPersonality(std::string_view key) {
  for (const auto& personality : kPersonalities)
    if (personality.key == key) return personality;
  return std::nullopt;
}

const Personality& DefaultPersonality() { return kPersonalities[3]; }

}  // namespace sim
