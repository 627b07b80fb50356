#include "registers/RegisterNames.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <numeric>

namespace registers {

namespace {

struct AliasEntry {
  int readCode;
  std::array<std::string_view, 3> names;  // the usual one first; unused slots empty
};

// After folding, no name of one register is a name of another (tested).
constexpr std::array<AliasEntry, 18> kAliases{{
    {kLocalTemperature, {"local-temp"}},
    {kRemoteTemperature, {"remote-temp"}},
    {kStatus, {"status"}},
    {kConfiguration, {"config", "conf"}},
    {kConversionRate, {"rate", "conv-rate"}},
    {kLocalHighLimit, {"local-high", "local-high-limit"}},
    {kLocalLowLimit, {"local-low", "local-low-limit"}},
    {kRemoteHighLimit, {"remote-high", "remote-high-limit"}},
    {kRemoteLowLimit, {"remote-low", "remote-low-limit"}},
    {kOneShot, {"one-shot"}},
    {kRemoteTemperatureLow, {"remote-temp-low", "remote-fraction"}},
    {kRemoteOffsetHigh, {"remote-offset-high", "offset-high"}},
    {kRemoteOffsetLow, {"remote-offset-low", "offset-low"}},
    {kRemoteHighLimitLow, {"remote-high-limit-low", "remote-high-low"}},
    {kRemoteLowLimitLow, {"remote-low-limit-low", "remote-low-low"}},
    {kLocalTemperatureLow, {"local-temp-low", "local-fraction"}},
    {kManufacturerId, {"manufacturer-id", "mfr-id", "id"}},
    {kDieRevision, {"die-revision", "revision", "rev"}},
}};

// Longer texts are no typing slip of any name; they get no suggestion.
constexpr std::size_t kLongestCompared = 64;
constexpr std::size_t kMostSuggestions = 3;
// A prefix must be this long to count as the start of a name.
constexpr std::size_t kShortestPrefix = 3;

std::span<const std::string_view> Used(const std::array<std::string_view, 3>& names) {
  const auto end = std::find(names.begin(), names.end(), std::string_view{});
  return {names.begin(), end};
}

// Calls visit(name, register) for every alias and panel name, a register's
// short names first, so that a hint prefers what is quicker to type.
template <typename Visit>
void ForEachName(Visit visit) {
  for (const Register& reg : RegisterTable()) {
    for (const std::string_view alias : Aliases(reg)) visit(alias, reg);
    if (!reg.name.empty()) visit(reg.name, reg);
  }
}

std::size_t EditDistance(std::string_view a, std::string_view b) {
  std::vector<std::size_t> row(b.size() + 1);
  std::iota(row.begin(), row.end(), std::size_t{0});
  for (std::size_t i = 1; i <= a.size(); ++i) {
    std::size_t diagonal = row[0];
    row[0] = i;
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const std::size_t above = row[j];
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
      diagonal = above;
    }
  }
  return row[b.size()];
}

}  // namespace

std::string FoldName(std::string_view name) {
  std::string folded;
  for (const char c : name)
    if (std::isalnum(static_cast<unsigned char>(c)))
      folded += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return folded;
}

std::span<const std::string_view> Aliases(const Register& reg) {
  for (const AliasEntry& entry : kAliases)
    if (entry.readCode == reg.readCode) return Used(entry.names);
  return {};
}

const Register* FindRegisterByName(std::string_view text) {
  const std::string wanted = FoldName(text);
  if (wanted.empty()) return nullptr;
  const Register* found = nullptr;
  ForEachName([&](std::string_view name, const Register& reg) {
    if (!found && FoldName(name) == wanted) found = &reg;
  });
  return found;
}

std::vector<NameSuggestion> SimilarNames(std::string_view text) {
  const std::string wanted = FoldName(text);
  if (wanted.empty() || wanted.size() > kLongestCompared) return {};
  // A slip of about one letter in three, at most three letters.
  const std::size_t allowed = std::clamp<std::size_t>(wanted.size() / 3, 1, 3);
  struct Candidate {
    std::size_t distance;
    NameSuggestion suggestion;
  };
  std::vector<Candidate> candidates;
  ForEachName([&](std::string_view name, const Register& reg) {
    const std::string folded = FoldName(name);
    std::size_t distance = EditDistance(wanted, folded);
    if (wanted.size() >= kShortestPrefix && folded.starts_with(wanted)) distance = std::min<std::size_t>(distance, 1);
    if (distance > allowed) return;
    // One suggestion per register: its closest name.
    for (Candidate& known : candidates) {
      if (known.suggestion.reg != &reg) continue;
      if (distance < known.distance) known = {distance, {name, &reg}};
      return;
    }
    candidates.push_back({distance, {name, &reg}});
  });
  std::stable_sort(candidates.begin(), candidates.end(),
                   [](const Candidate& a, const Candidate& b) { return a.distance < b.distance; });
  std::vector<NameSuggestion> suggestions;
  for (const Candidate& candidate : candidates) {
    if (suggestions.size() == kMostSuggestions) break;
    suggestions.push_back(candidate.suggestion);
  }
  return suggestions;
}

}  // namespace registers
