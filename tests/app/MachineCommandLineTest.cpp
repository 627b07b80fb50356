// The machine options that QtsEval and qtsctl share.
#include <gtest/gtest.h>

#include <CLI/CLI.hpp>

#include "cli/MachineCommandLine.h"
#include "platform/Current.h"

namespace {

qtscli::MachineChoice Parse(std::vector<std::string> arguments) {
  CLI::App app("test");
  qtscli::MachineChoice choice;
  qtscli::AddMachineOptions(app, choice);
  std::reverse(arguments.begin(), arguments.end());
  app.parse(arguments);
  return choice;
}

TEST(MachineCommandLine, SimOptionsMayRepeatOrShareOneArgument) {
  const auto choice = Parse({"--machine", "sim", "--sim", "personality=xp,ports=1", "--sim", "clock=manual"});
  EXPECT_EQ(choice.machine, "sim");
  EXPECT_EQ(choice.simOptions, (std::vector<std::string>{"personality=xp", "ports=1", "clock=manual"}));

  qtscli::StartChosenMachine(choice);
  platform::OsVersionInfoA info;
  ASSERT_TRUE(platform::Current().GetVersionExA(info));
  EXPECT_EQ(info.dwBuildNumber, 2600u);
}

TEST(MachineCommandLine, SimTakesOneArgumentAndLeavesPositionalsAlone) {
  CLI::App app("test");
  qtscli::MachineChoice choice;
  qtscli::AddMachineOptions(app, choice);
  std::string positional;
  app.add_option("POSITIONAL", positional);
  app.parse(std::vector<std::string>{"0x4C", "clock=manual", "--sim"});  // reversed: --sim clock=manual 0x4C
  EXPECT_EQ(choice.simOptions, std::vector<std::string>{"clock=manual"});
  EXPECT_EQ(positional, "0x4C");
}

TEST(MachineCommandLine, UnknownMachineIsRefusedByTheParser) {
  EXPECT_THROW(Parse({"--machine", "vax"}), CLI::ValidationError);
}

TEST(MachineCommandLine, BadVirtualPcOptionNamesTheItem) {
  try {
    qtscli::StartChosenMachine(Parse({"--sim", "ports=7"}));
    FAIL() << "accepted";
  } catch (const platform::BackendUnavailable& refusal) {
    EXPECT_NE(std::string(refusal.what()).find("\"ports=7\": out of range 0 to 3"), std::string::npos) << refusal.what();
  }
}

TEST(MachineCommandLine, VirtualPcOptionsDoNotApplyToTheHost) {
  EXPECT_THROW(qtscli::StartChosenMachine(Parse({"--machine", "host", "--sim", "ports=1"})),
               platform::BackendUnavailable);
}

TEST(MachineCommandLine, HelpListsTheVirtualPcOptions) {
  CLI::App app("test");
  qtscli::MachineChoice choice;
  qtscli::AddMachineOptions(app, choice);
  EXPECT_NE(app.help().find("personality=VALUE"), std::string::npos);
  EXPECT_NE(app.help().find("claimed-by-other=VALUE"), std::string::npos);
}

}  // namespace
