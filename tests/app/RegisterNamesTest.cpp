// Register names as people type them: panel names, aliases, and the hint
// for a name that names nothing.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "registers/RegisterNames.h"

namespace {

TEST(RegisterNames, NoNameOfOneRegisterNamesAnother) {
  std::map<std::string, int> owner;  // folded name -> read code
  auto claim = [&](std::string_view name, int readCode) {
    const auto [it, added] = owner.emplace(registers::FoldName(name), readCode);
    EXPECT_TRUE(added || it->second == readCode) << name;
  };
  for (const auto& reg : registers::RegisterTable()) {
    if (!reg.name.empty()) claim(reg.name, reg.readCode);
    EXPECT_FALSE(registers::Aliases(reg).empty()) << reg.readCode << " has no short name";
    for (const auto alias : registers::Aliases(reg)) claim(alias, reg.readCode);
  }
}

TEST(RegisterNames, PanelNamesAndAliasesIgnoringCaseAndPunctuation) {
  const struct {
    const char* text;
    int readCode;
  } cases[] = {
      {"Local Temp. High Limit", 0x05}, {"local-temp-high-limit", 0x05}, {"LOCAL_TEMP_HIGH_LIMIT", 0x05},
      {"manufacturer-id", 0xFE},        {"Manufacturers ID", 0xFE},      {"config", 0x03},
      {"Configuration", 0x03},          {"remote-high", 0x07},           {"Remote High Limit", 0x07},
      {"one shot", 0x0F},               {"local-fraction", 0x19},        {"Remote Temperature Offset (High Byte)", 0x11},
  };
  for (const auto& c : cases) {
    const auto* reg = registers::FindRegisterByName(c.text);
    ASSERT_NE(reg, nullptr) << c.text;
    EXPECT_EQ(reg->readCode, c.readCode) << c.text;
  }
  for (const char* text : {"", "--", "Remote", "humidity", "0x05"}) EXPECT_EQ(registers::FindRegisterByName(text), nullptr) << text;
}

TEST(RegisterNames, SuggestionsForSlipsAndBeginnings) {
  auto first = [](const char* text) {
    const auto suggestions = registers::SimilarNames(text);
    return suggestions.empty() ? std::string("(none)") : std::string(suggestions.front().name);
  };
  EXPECT_EQ(first("remote-hgh"), "remote-high");
  EXPECT_EQ(first("configg"), "config");
  EXPECT_EQ(first("manufacturer"), "manufacturer-id");
  EXPECT_EQ(first("Die Revison Code"), "Die Revision Code");
  EXPECT_EQ(first("humidity"), "(none)");
  EXPECT_EQ(first(""), "(none)");
  EXPECT_EQ(first(std::string(10'000, 'a').c_str()), "(none)");
  // One suggestion per register, never more than three.
  const auto remote = registers::SimilarNames("remote");
  EXPECT_LE(remote.size(), 3u);
  std::set<const registers::Register*> registersSuggested;
  for (const auto& suggestion : remote) EXPECT_TRUE(registersSuggested.insert(suggestion.reg).second);
}

}  // namespace
