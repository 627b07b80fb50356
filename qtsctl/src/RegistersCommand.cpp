#include <cstdio>
#include <optional>
#include <ostream>

#include "qtsctl/Commands.h"
#include "qtsctl/InputParsing.h"
#include "qtsctl/Json.h"
#include "registers/RegisterNames.h"

namespace qtsctl {

namespace {

std::string AccessText(registers::Access access) {
  switch (access) {
    case registers::Access::Read:
      return "read";
    case registers::Access::ReadWrite:
      return "read/write";
    case registers::Access::Write:
      return "write";
  }
  return "";
}

}  // namespace

int ListRegisters(Output& output) {
  std::vector<JsonObject> rows;
  char line[200];
  if (!output.json) {
    std::snprintf(line, sizeof line, "%-5s %-6s %-41s %-11s %s", "read", "write", "name", "access", "aliases");
    output.out << line << '\n';
  }
  for (const auto& entry : registers::RegisterTable()) {
    std::vector<std::string> aliases;
    for (const auto alias : registers::Aliases(entry)) aliases.emplace_back(alias);
    const std::optional<std::string> write = entry.writeCode ? std::optional(HexByte(*entry.writeCode)) : std::nullopt;
    if (output.json) {
      rows.push_back(JsonObject()
                         .Add("read", HexByte(entry.readCode))
                         .Add("write", write)
                         .Add("name", entry.name.empty() ? std::nullopt : std::optional(std::string(entry.name)))
                         .Add("aliases", aliases)
                         .Add("access", AccessText(entry.access)));
      continue;
    }
    std::string joined;
    for (const auto& alias : aliases) joined += (joined.empty() ? "" : ", ") + alias;
    const std::string name = entry.name.empty() ? "(local temperature low byte)" : std::string(entry.name);
    std::snprintf(line, sizeof line, "%-5s %-6s %-41s %-11s %s", HexByte(entry.readCode).c_str(),
                  write.value_or("").c_str(), name.c_str(), AccessText(entry.access).c_str(), joined.c_str());
    output.out << line << '\n';
  }
  if (output.json) output.out << JsonObject().Add("registers", rows).Text() << '\n';
  return kSuccess;
}

}  // namespace qtsctl
