// Register names as users type them: the lookup, the suggestions for a slip,
// and the tool's register argument. Whatever names a register names one of
// the map; suggestions are few and name registers of the map.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "qtsctl/BadInput.h"
#include "qtsctl/InputParsing.h"
#include "registers/RegisterNames.h"

namespace {

bool InTheMap(const registers::Register* reg) {
  for (const auto& entry : registers::RegisterTable())
    if (&entry == reg) return true;
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const registers::Register* found = registers::FindRegisterByName(text);
  if (found && !InTheMap(found)) std::abort();
  const auto suggestions = registers::SimilarNames(text);
  if (suggestions.size() > 3) std::abort();
  for (const auto& suggestion : suggestions)
    if (!InTheMap(suggestion.reg) || registers::FindRegisterByName(suggestion.name) != suggestion.reg) std::abort();
  for (const auto use : {qtsctl::RegisterUse::Read, qtsctl::RegisterUse::Write}) {
    try {
      qtsctl::ParseRegister(text, use);
    } catch (const qtsctl::BadInput&) {
    }
  }
  if (size >= 1) {
    try {
      qtsctl::CheckWriteCode(data[0]);
    } catch (const qtsctl::BadInput&) {
    }
  }
  return 0;
}
