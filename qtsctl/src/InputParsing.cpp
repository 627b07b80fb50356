#include "qtsctl/InputParsing.h"

#include <cctype>
#include <climits>
#include <cmath>
#include <cstdio>
#include <optional>

#include "numbers/NumberText.h"
#include "qtsctl/BadInput.h"
#include "registers/RegisterMap.h"
#include "registers/RegisterNames.h"

namespace qtsctl {

namespace {

constexpr long kFirstAddress = 0x03;
constexpr long kLastAddress = 0x77;
constexpr double kSecondsPerDay = 86'400;

std::string Quoted(std::string_view text) { return std::string(1, '"').append(text).append(1, '"'); }

std::optional<long> Number(std::string_view text) {
  const auto value = numbers::ReadArgumentNumber(text);
  if (!value || *value != std::floor(*value)) return std::nullopt;
  if (!(std::fabs(*value) < 1e15)) return *value > 0 ? LONG_MAX : LONG_MIN;
  return static_cast<long>(*value);
}

// "did you mean remote-high (Remote Temp. High Limit) or ...?"
std::string Hint(std::string_view text) {
  const auto suggestions = registers::SimilarNames(text);
  if (suggestions.empty()) return "";
  std::string hint = "did you mean ";
  for (std::size_t i = 0; i < suggestions.size(); ++i) {
    if (i > 0) hint += i + 1 == suggestions.size() ? " or " : ", ";
    hint += std::string(suggestions[i].name);
    if (suggestions[i].name != suggestions[i].reg->name && !suggestions[i].reg->name.empty())
      hint += " (" + std::string(suggestions[i].reg->name) + ")";
  }
  return hint + "? ";
}

}  // namespace

long ParseNumber(std::string_view text, std::string_view what, long low, long high) {
  const auto value = Number(text);
  if (!value) throw BadInput(std::string(what) + " " + Quoted(text) + " is not a number (decimal or 0x hexadecimal)");
  if (*value < low || *value > high)
    throw BadInput(std::string(what) + " " + Quoted(text) + " is outside " + std::to_string(low) + ".." +
                   std::to_string(high));
  return *value;
}

std::uint8_t ParseDeviceAddress(std::string_view text) {
  const auto value = Number(text);
  if (!value) throw BadInput("address " + Quoted(text) + " is not a number (decimal or 0x hexadecimal)");
  if (*value < kFirstAddress || *value > kLastAddress)
    throw BadInput("address " + Quoted(text) + " is outside the 7-bit device addresses 0x03..0x77");
  return static_cast<std::uint8_t>(*value);
}

std::uint8_t ParseRegisterValue(std::string_view text) {
  return static_cast<std::uint8_t>(ParseNumber(text, "value", 0, 255));
}

std::uint8_t ParseRegister(std::string_view text, RegisterUse use) {
  if (!text.empty() && std::isdigit(static_cast<unsigned char>(text.front())))
    return static_cast<std::uint8_t>(ParseNumber(text, "register", 0, 255));
  const registers::Register* entry = registers::FindRegisterByName(text);
  if (!entry)
    throw BadInput("unknown register " + Quoted(text) + ": " + Hint(text) +
                   "\"qtsctl registers\" lists every name; a code 0..255 works too");
  if (use == RegisterUse::Write) {
    if (!entry->writeCode)
      throw BadInput("register " + Quoted(entry->name.empty() ? text : entry->name) + " is read-only");
    return static_cast<std::uint8_t>(*entry->writeCode);
  }
  return static_cast<std::uint8_t>(entry->readCode);
}

void CheckWriteCode(std::uint8_t code) {
  const registers::Register* entry = registers::FindRegister(code);
  if (!entry || entry->readCode != code) return;
  const std::string name = entry->name.empty() ? "the local temperature's low byte" : Quoted(entry->name);
  if (!entry->writeCode)
    throw BadInput("register " + HexByte(code) + " is " + name + ", which is read-only; --force sends the write anyway");
  if (*entry->writeCode != code)
    throw BadInput("register " + HexByte(code) + " is where " + name + " is read; it is written at " +
                   HexByte(*entry->writeCode) + ": give " + HexByte(*entry->writeCode) +
                   " or the name, or --force to send " + HexByte(code) + " anyway");
}

std::uint16_t ParseWordValue(std::string_view text) {
  return static_cast<std::uint16_t>(ParseNumber(text, "word", 0, 0xFFFF));
}

std::vector<std::uint8_t> ParseBlockValues(const std::vector<std::string>& texts) {
  if (texts.empty() || texts.size() > 32)
    throw BadInput("a block holds 1 to 32 bytes; " + std::to_string(texts.size()) + " were given");
  std::vector<std::uint8_t> bytes;
  for (const auto& text : texts) bytes.push_back(ParseRegisterValue(text));
  return bytes;
}

double ParseInterval(std::string_view text) {
  const auto number = numbers::ReadArgumentNumber(text);
  if (!number) throw BadInput("interval " + Quoted(text) + " is not a number of seconds");
  const double value = *number;
  if (!(value >= 0 && value <= kSecondsPerDay)) throw BadInput("interval " + Quoted(text) + " is outside 0..86400 seconds");
  return value;
}

std::string HexByte(int value) {
  char text[8];
  std::snprintf(text, sizeof text, "0x%02X", value & 0xFF);
  return text;
}

}  // namespace qtsctl
