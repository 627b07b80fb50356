// Numbers as users type them: the lenient reader and its conversions, and the
// tool's numeric arguments. Nothing may fail but with the failures each
// function declares.
#include <cstddef>
#include <cstdint>
#include <cmath>
#include <cstdlib>
#include <string_view>

#include "comport/RuntimeError.h"
#include "numbers/NumberText.h"
#include "qtsctl/BadInput.h"
#include "qtsctl/InputParsing.h"

namespace {

template <typename Call>
void Tolerating(Call call) {
  try {
    call();
  } catch (const comport::RuntimeError&) {
  } catch (const qtsctl::BadInput&) {
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  // Never throws: an argument either is a number or is not, and never NaN.
  const auto argument = numbers::ReadArgumentNumber(text);
  if (argument && std::isnan(*argument)) std::abort();
  Tolerating([&] {
    const auto number = numbers::ReadNumber(text);
    Tolerating([&] { numbers::ToLong(number.value); });
    Tolerating([&] { numbers::ToInteger(number.value); });
    Tolerating([&] { numbers::ToByte(number.value); });
  });
  Tolerating([&] { numbers::ReadNumber(text, numbers::RadixSign::Unsigned); });
  Tolerating([&] { numbers::ReadHexDigits(text); });
  Tolerating([&] { numbers::Val(text); });
  Tolerating([&] { numbers::ToNumber(text); });
  // What the tool accepts lies in the range it promises.
  Tolerating([&] {
    const auto address = qtsctl::ParseDeviceAddress(text);
    if (address < 0x03 || address > 0x77) std::abort();
  });
  Tolerating([&] { qtsctl::ParseRegisterValue(text); });
  Tolerating([&] { qtsctl::ParseWordValue(text); });
  Tolerating([&] {
    const double interval = qtsctl::ParseInterval(text);
    if (!(interval >= 0 && interval <= 86'400)) std::abort();
  });
  Tolerating([&] {
    const long number = qtsctl::ParseNumber(text, "number", -1000, 1000);
    if (number < -1000 || number > 1000) std::abort();
  });
  return 0;
}
