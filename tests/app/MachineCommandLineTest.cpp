// The machine options that QtsEval and qtsctl share.
#include <gtest/gtest.h>

#include <CLI/CLI.hpp>
#include <cstdlib>

#include "cli/DeviceChoice.h"
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

// Sets or, with null, removes an environment variable for one test.
class ScopedEnvironment {
 public:
  ScopedEnvironment(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    value ? ::setenv(name, value, 1) : ::unsetenv(name);
  }
  ~ScopedEnvironment() { old_ ? ::setenv(name_, old_->c_str(), 1) : ::unsetenv(name_); }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

TEST(MachineCommandLine, AMachineIsNamedOrFollowsTheProgramsDefault) {
  using qtscli::UnnamedMachine;
  struct Row {
    const char* what;
    std::vector<std::string> arguments;
    const char* environment;  // QTS_MACHINE, null: unset
    const char* simEnvironment;  // QTS_SIM, null: unset
    UnnamedMachine unnamed;
    const char* machine;
    bool named;
  };
  const Row rows[]{
      {"the program's first run", {}, nullptr, nullptr, UnnamedMachine::OwnVirtualPc, "sim", false},
      {"commands share a board", {}, nullptr, nullptr, UnnamedMachine::SharedUnlessSimOptions, "shared", false},
      {"an empty variable names nothing", {}, "", nullptr, UnnamedMachine::SharedUnlessSimOptions, "shared", false},
      {"options describe a machine of its own", {"--sim", "scenario=constant:95"}, nullptr, nullptr,
       UnnamedMachine::SharedUnlessSimOptions, "sim", false},
      {"so do options from the environment", {}, nullptr, "clock=manual", UnnamedMachine::SharedUnlessSimOptions,
       "sim", false},
      {"the variable names one", {}, "sim", nullptr, UnnamedMachine::SharedUnlessSimOptions, "sim", true},
      {"the option beats the variable", {"--machine", "shared"}, "host", nullptr, UnnamedMachine::OwnVirtualPc,
       "shared", true},
      {"an adapter means the host", {"--i2c", "3"}, "sim", nullptr, UnnamedMachine::SharedUnlessSimOptions, "host",
       true},
  };
  for (const Row& row : rows) {
    const ScopedEnvironment machine("QTS_MACHINE", row.environment);
    const ScopedEnvironment options("QTS_SIM", row.simEnvironment);
    auto choice = Parse(row.arguments);
    choice.unnamed = row.unnamed;
    const auto resolved = qtscli::ResolveMachine(choice);
    EXPECT_EQ(resolved.machine, row.machine) << row.what;
    EXPECT_EQ(resolved.named, row.named) << row.what;
  }
}

// The windows' texts for each kind are checked where they show (tst_mainwindow).
TEST(MachineKind, EachMachineNameHasItsKindAndThisPcGoesWithoutAName) {
  using qtscli::MachineKind;
  EXPECT_EQ(qtscli::KindOfMachine(""), MachineKind::VirtualPc);
  EXPECT_EQ(qtscli::KindOfMachine("sim"), MachineKind::VirtualPc);
  EXPECT_EQ(qtscli::KindOfMachine("shared"), MachineKind::SharedVirtualPc);
  EXPECT_EQ(qtscli::KindOfMachine("host"), MachineKind::Host);
  EXPECT_EQ(qtscli::DescribeMachine(MachineKind::Host, ""), "this PC");
}

TEST(DeviceChoice, NamesAMediumAndASevenBitAddress) {
  struct Row {
    const char* text;
    bool onBoard;
    int port;
    bool inverted;
    int address;
  };
  for (const Row& row : {Row{"lpt1:0x4C", false, 1, true, 0x4C}, Row{"LPT2:0x4c:direct", false, 2, false, 0x4C},
                         Row{"lpt3:24:inverted", false, 3, true, 0x18}, Row{"smbus:0x4E", true, 1, true, 0x4E},
                         Row{"SMBus:0x03", true, 1, true, 0x03}}) {
    const auto device = qtscli::ParseDeviceChoice(row.text);
    EXPECT_EQ(device.onBoard, row.onBoard) << row.text;
    EXPECT_EQ(device.portNumber, row.port) << row.text;
    EXPECT_EQ(device.inverted, row.inverted) << row.text;
    EXPECT_EQ(device.address, row.address) << row.text;
  }
  EXPECT_EQ(qtscli::Describe(qtscli::ParseDeviceChoice("lpt2:0x4C:direct")), "0x4C on LPT2 (direct adapter)");
  EXPECT_EQ(qtscli::Describe(qtscli::ParseDeviceChoice("smbus:78")), "0x4E on the on-board SMBus");
}

TEST(DeviceChoice, MalformedTextIsRefusedNamingIt) {
  for (const char* text : {"", "lpt1", "0x4C", "com1:0x4C", "lpt:0x4C", "lpt0:0x4C", "lptx:0x4C", "lpt1:",
                           "lpt1:0x78", "lpt1:0x02", "lpt1:4.5", "lpt1:0x4C:crossed", "smbus:0x4E:direct",
                           "smbus:0x4E ", "lpt1:0x4G"}) {
    try {
      qtscli::ParseDeviceChoice(text);
      ADD_FAILURE() << "accepted \"" << text << '"';
    } catch (const std::invalid_argument& refused) {
      EXPECT_TRUE(std::string(refused.what()).starts_with(std::string("device \"") + text + "\": ")) << refused.what();
    }
  }
}

}  // namespace
