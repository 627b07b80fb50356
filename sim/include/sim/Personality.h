#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace sim {

// One Windows version the virtual PC can pretend to be.
struct Personality {
  std::string_view key;   // option value: "98se", "xp", ...
  std::string_view name;  // "Windows 98 Second Edition"
  std::uint32_t platformId;
  std::uint32_t major;
  std::uint32_t minor;
  std::uint32_t build;
  std::string_view servicePack;
  std::string_view systemDirectory;

  bool Is9x() const { return platformId == 1; }
  // dwBuildNumber of the version record: the 95 family packs the version
  // into the high word.
  std::uint32_t VersionRecordBuild() const;
  // GetVersion(): the 95 family sets the high bit.
  std::uint32_t PackedVersion() const;
};

std::span<const Personality> Personalities();
std::optional<Personality> FindPersonality(std::string_view key);
const Personality& DefaultPersonality();

}  // namespace sim
