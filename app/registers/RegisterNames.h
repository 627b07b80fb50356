#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "registers/RegisterMap.h"

// Registers as people type their names: the register panel's names and
// short aliases ("config", "remote-high", "manufacturer-id"). Case, blanks,
// dots, dashes, underscores and brackets do not matter, so
// "local-temp-high-limit" is "Local Temp. High Limit". Shared by every
// command line that takes a register.
namespace registers {

// The letters (lower case) and digits of a name: the form names are compared in.
std::string FoldName(std::string_view name);

// The short names of a register, the usual one first; empty for none.
std::span<const std::string_view> Aliases(const Register& reg);

// The register a panel name or an alias names; null for none.
const Register* FindRegisterByName(std::string_view text);

struct NameSuggestion {
  std::string_view name;  // a panel name or an alias, as the table spells it
  const Register* reg;
};

// For a name that names nothing: up to three registers whose names are
// close to it (a few letters wrong, or the text starts the name), closest
// first; empty when none is. Bounded cost for any text.
std::vector<NameSuggestion> SimilarNames(std::string_view text);

}  // namespace registers
