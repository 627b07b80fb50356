#include "search/ResultEntries.h"

#include <cctype>

#include "numbers/NumberText.h"
#include "search/DeviceSearch.h"

namespace devicesearch {

namespace {

constexpr std::size_t kPrinterTagBlanks = 50;
constexpr std::size_t kOnBoardTagBlanks = 98;
constexpr std::string_view kPrinterTag = "Printer";
constexpr std::string_view kOnBoardTag = "SMBus";
constexpr std::string_view kAdapterTag = "I2C";

std::string HexByte(std::uint8_t value) { return numbers::Hex(std::int16_t{value}); }

bool AllDigits(std::string_view text, int (*isDigit)(int)) {
  if (text.empty()) return false;
  for (const char c : text)
    if (!isDigit(static_cast<unsigned char>(c))) return false;
  return true;
}

}  // namespace

std::string PrinterPortEntryText(std::uint8_t addressByte, std::int16_t portAddress, int entryNumber) {
  return std::string("Found an ") + kChipName + " at:" + HexByte(addressByte / 2) + "h, on printer port:" +
         numbers::Hex(portAddress) + "h" + std::string(kPrinterTagBlanks, ' ') + std::string(kPrinterTag) + " " +
         std::to_string(entryNumber);
}

std::string OnBoardEntryText(std::uint8_t address) {
  return std::string("An ") + kChipName + " was found at:" + HexByte(address) + "h, on the SMBus" +
         std::string(kOnBoardTagBlanks, ' ') + std::string(kOnBoardTag) + HexByte(address);
}

std::string AdapterEntryText(const platform::I2cAdapterInfo& adapter, std::uint8_t address) {
  const std::string where = adapter.medium == platform::AdapterMedium::Usb ? "on USB adapter " : "on ";
  return std::string("An ") + kChipName + " was found at:" + HexByte(address) + "h, " + where + "i2c-" +
         std::to_string(adapter.number) + ", " + adapter.name + std::string(kOnBoardTagBlanks, ' ') +
         std::string(kAdapterTag) + std::to_string(adapter.number) + ":" + HexByte(address);
}

std::optional<EntryTag> ReadEntryTag(std::string_view entry) {
  if (const auto tag = entry.rfind(kAdapterTag); tag != std::string_view::npos) {
    const std::string_view rest = entry.substr(tag + kAdapterTag.size());
    const auto colon = rest.find(':');
    if (colon != std::string_view::npos) {
      const std::string_view number = rest.substr(0, colon);
      const std::string_view digits = rest.substr(colon + 1);
      if (AllDigits(number, std::isdigit) && number.size() <= 6 && AllDigits(digits, std::isxdigit) &&
          digits.size() <= 2)
        return EntryTag{EntryTag::Medium::Adapter, std::stoi(std::string(digits), nullptr, 16),
                        std::stoi(std::string(number))};
    }
  }
  const auto blank = entry.rfind(' ');
  if (blank != std::string_view::npos && blank >= kPrinterTag.size() &&
      entry.substr(blank - kPrinterTag.size(), kPrinterTag.size()) == kPrinterTag) {
    const std::string_view digits = entry.substr(blank + 1);
    if (AllDigits(digits, std::isdigit) && digits.size() <= 4 && digits.front() != '0')
      return EntryTag{EntryTag::Medium::PrinterPort, std::stoi(std::string(digits))};
  }
  const auto tag = entry.rfind(kOnBoardTag);
  if (tag != std::string_view::npos) {
    const std::string_view digits = entry.substr(tag + kOnBoardTag.size());
    if (AllDigits(digits, std::isxdigit) && digits.size() <= 2)
      return EntryTag{EntryTag::Medium::OnBoard, std::stoi(std::string(digits), nullptr, 16)};
  }
  return std::nullopt;
}

}  // namespace devicesearch
