#include <cstdio>
#include <optional>
#include <ostream>

#include "qtsctl/Commands.h"
#include "qtsctl/Device.h"
#include "qtsctl/InputParsing.h"
#include "qtsctl/Json.h"
#include "qtsctl/RegisterDecoding.h"
#include "registers/RegisterMap.h"

namespace qtsctl {

namespace {

std::string CodeColumn(const registers::Register& entry) {
  std::string codes = HexByte(entry.readCode);
  if (entry.writeCode && *entry.writeCode != entry.readCode) codes.append("/").append(HexByte(*entry.writeCode));
  return codes;
}

int DumpMap(Device& device, Output& output) {
  std::vector<JsonObject> rows;
  if (!output.json) output.out << "Registers of " << device.Description() << ":\n";
  char line[160];
  std::snprintf(line, sizeof line, "%-10s %-41s %-5s %4s  %s", "code", "name", "hex", "dec", "meaning");
  if (!output.json) output.out << line << '\n';
  for (const auto& entry : registers::RegisterTable()) {
    const std::uint8_t value = device.Read(static_cast<std::uint8_t>(entry.readCode));
    const std::string meaning = RegisterMeaning(entry.readCode, value);
    if (output.json) {
      JsonObject row;
      row.Add("read", HexByte(entry.readCode));
      row.Add("write", entry.writeCode ? std::optional(HexByte(*entry.writeCode)) : std::nullopt);
      row.Add("name", entry.name.empty() ? std::nullopt : std::optional(std::string(entry.name)));
      row.Add("value", static_cast<int>(value)).Add("hex", HexByte(value)).Add("meaning", meaning);
      rows.push_back(row);
      continue;
    }
    const std::string name = entry.name.empty() ? "(local temperature low byte)" : std::string(entry.name);
    std::snprintf(line, sizeof line, "%-10s %-41s %-5s %4d  %s", CodeColumn(entry).c_str(), name.c_str(),
                  HexByte(value).c_str(), value, meaning.c_str());
    std::string text = line;
    text.erase(text.find_last_not_of(' ') + 1);
    output.out << text << '\n';
  }
  if (output.json) output.out << JsonObject().Add("device", device.Description()).Add("registers", rows).Text() << '\n';
  return kSuccess;
}

// Every code as i2cdump shows it: a row per 16 codes, XX where the read
// failed. A device that does not answer at all fails the dump instead.
int DumpAll(Device& device, Output& output) {
  std::vector<std::optional<std::uint8_t>> values;
  for (int code = 0; code < 0x100; ++code) {
    try {
      values.push_back(device.Read(static_cast<std::uint8_t>(code)));
    } catch (const transfers::TransferFailed&) {
      if (code == 0) throw;
      values.push_back(std::nullopt);
    }
  }
  if (output.json) {
    std::vector<std::optional<std::string>> texts;
    for (const auto& value : values) texts.push_back(value ? std::optional(HexByte(*value)) : std::nullopt);
    output.out << JsonObject().Add("device", device.Description()).Add("values", texts).Text() << '\n';
    return kSuccess;
  }
  output.out << "   ";
  for (int column = 0; column < 16; ++column) {
    char heading[4];
    std::snprintf(heading, sizeof heading, "%3x", column);
    output.out << heading;
  }
  output.out << '\n';
  for (int row = 0; row < 0x100; row += 16) {
    char cell[8];
    std::snprintf(cell, sizeof cell, "%02x:", row);
    output.out << cell;
    for (int column = 0; column < 16; ++column) {
      const auto& value = values[static_cast<std::size_t>(row + column)];
      if (value)
        std::snprintf(cell, sizeof cell, " %02x", *value);
      else
        std::snprintf(cell, sizeof cell, " XX");
      output.out << cell;
    }
    output.out << '\n';
  }
  return kSuccess;
}

}  // namespace

int Dump(Device& device, bool all, Output& output) { return all ? DumpAll(device, output) : DumpMap(device, output); }

}  // namespace qtsctl
