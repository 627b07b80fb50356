// qtsctl scan and failing transfers end to end: the built program against
// virtual PCs with faults on the printer-port bus and the on-board SMBus.
#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>

#include "ToolRun.h"

namespace {

using qtsctltest::Lines;
using qtsctltest::RunTool;

// The addresses a scan grid shows as found; empty when stdout holds no grid.
// Fails the test when the grid is not the 8x16 one with every address
// 0x03..0x77 either "--" or its own number.
std::optional<std::vector<int>> GridAddresses(const std::string& out) {
  const auto lines = Lines(out);
  if (lines.empty()) return std::nullopt;
  EXPECT_EQ(lines.size(), 9u) << out;
  EXPECT_EQ(lines[0], "     0  1  2  3  4  5  6  7  8  9  a  b  c  d  e  f");
  std::vector<int> found;
  int cells = 0;
  for (std::size_t row = 1; row < lines.size(); ++row) {
    const int first = static_cast<int>(row - 1) * 16;
    std::istringstream words(lines[row]);
    std::string label;
    words >> label;
    char expected[8];
    std::snprintf(expected, sizeof expected, "%02x:", first);
    EXPECT_EQ(label, expected);
    const int skipped = row == 1 ? 3 : 0;  // 0x00..0x02 are reserved and left blank
    int column = skipped;
    for (std::string cell; words >> cell; ++column, ++cells) {
      const int address = first + column;
      if (cell == "--") continue;
      EXPECT_EQ(std::stoi(cell, nullptr, 16), address) << lines[row];
      found.push_back(address);
    }
  }
  EXPECT_EQ(cells, 0x77 - 0x03 + 1) << out;
  return found;
}

struct ScanCase {
  std::string name;
  std::vector<std::string> arguments;  // after "scan"
  int status;
  std::optional<std::vector<int>> grid;  // nullopt: no address was probed
  std::vector<std::string> diagnosis;    // words that name the cause, on stderr
};

void PrintTo(const ScanCase& scan, std::ostream* out) { *out << scan.name; }

class QtsctlScan : public testing::TestWithParam<ScanCase> {};

TEST_P(QtsctlScan, ShowsWhoAcknowledgesAndWhy) {
  std::vector<std::string> arguments{"scan"};
  arguments.insert(arguments.end(), GetParam().arguments.begin(), GetParam().arguments.end());
  const auto result = RunTool(arguments);
  EXPECT_EQ(result.status, GetParam().status) << result.err;
  EXPECT_EQ(GridAddresses(result.out), GetParam().grid) << result.out;
  for (const auto& words : GetParam().diagnosis)
    EXPECT_NE(result.err.find(words), std::string::npos) << words << " missing in\n" << result.err;
}

const std::string kIdle = "SCL and SDA idle high and follow the port";
const std::string kNotProbed = "No address was probed";
const std::string kOnBoardFound = "the controller was found on the PCI bus";

INSTANTIATE_TEST_SUITE_P(
    Media, QtsctlScan,
    testing::Values(
        ScanCase{"BoardOnPrinterPort", {}, 0, std::vector{0x4C, 0x50}, {kIdle, "2 devices acknowledged: 0x4C and 0x50"}},
        // The Alert Response Address answers only a read, so the address probe
        // of a scan does not find it even while the chip alerts.
        ScanCase{"AlertingBoard", {"--sim", "scenario=constant:95"}, 0, std::vector{0x4C, 0x50}, {kIdle}},
        ScanCase{"OnBoard", {"--smbus"}, 0, std::vector{0x4E, 0x50, 0x51}, {kOnBoardFound, "3 devices acknowledged"}},
        ScanCase{"SclHeld", {"--sim", "hold=scl"}, 1, std::nullopt, {"SCL does not follow", "holds SCL low", kNotProbed}},
        ScanCase{"SdaHeld", {"--sim", "hold=sda"}, 1, std::nullopt, {"SDA does not follow", "holds SDA low", kNotProbed}},
        ScanCase{"NoPullUps", {"--sim", "no-pullups"}, 1, std::nullopt,
                 {"neither SCL nor SDA follows", "no pull-up resistors", kNotProbed}},
        ScanCase{"ChipNeverAcknowledges", {"--sim", "never-ack=0x4C"}, 0, std::vector{0x50}, {"1 device acknowledged: 0x50."}},
        ScanCase{"ChipRefusesReads", {"--sim", "never-ack-read=0x4C"}, 0, std::vector{0x4C, 0x50},
                 {"0x4C acknowledges its address for writing but not for reading"}},
        ScanCase{"WrongWiring", {"--sim", "wiring=direct"}, 1, std::vector<int>{},
                 {"with the direct adapter devices acknowledge at 0x4C and 0x50", "use --wiring direct"}},
        ScanCase{"OnBoardChipNeverAcknowledges", {"--smbus", "--sim", "onboard-never-ack=0x4E"}, 0, std::vector{0x50, 0x51},
                 {"2 devices acknowledged: 0x50 and 0x51."}},
        ScanCase{"OnBoardControllerBusy", {"--smbus", "--sim", "smbus-busy"}, 1, std::nullopt,
                 {kOnBoardFound, "stopped finishing transactions", "stays busy"}}),
    [](const testing::TestParamInfo<ScanCase>& info) { return info.param.name; });

// A transfer that fails exits 1 with one line naming the cause, and never a
// byte on stdout that would look like a value.
struct FailureCase {
  std::string name;
  std::vector<std::string> arguments;
  std::string cause;  // part of the message
};

void PrintTo(const FailureCase& failure, std::ostream* out) { *out << failure.name; }

class QtsctlFailedTransfer : public testing::TestWithParam<FailureCase> {};

TEST_P(QtsctlFailedTransfer, ExitsOneNamingTheCause) {
  const auto result = RunTool(GetParam().arguments);
  EXPECT_EQ(result.status, 1);
  const auto errors = Lines(result.err);
  ASSERT_EQ(errors.size(), 1u) << result.err;
  EXPECT_TRUE(errors[0].starts_with("qtsctl: ")) << errors[0];
  EXPECT_NE(errors[0].find(GetParam().cause), std::string::npos) << errors[0];
  for (const auto& line : Lines(result.out)) EXPECT_FALSE(line.starts_with("0x")) << "a value was printed: " << line;
}

INSTANTIATE_TEST_SUITE_P(
    Causes, QtsctlFailedTransfer,
    testing::Values(
        FailureCase{"NobodyAtTheAddress", {"read", "0x4D", "0xFE"}, "no acknowledge from 0x4D for its address (write)"},
        FailureCase{"NeverAcknowledges", {"read", "--sim", "never-ack=0x4C", "0x4C", "0xFE"}, "no acknowledge from 0x4C"},
        FailureCase{"RefusesReads", {"read", "--sim", "never-ack-read=0x4C", "0x4C", "0xFE"}, "for its address (read)"},
        FailureCase{"SclHeld", {"read", "--sim", "hold=scl", "0x4C", "0"}, "SCL is held low"},
        FailureCase{"SdaHeld", {"read", "--sim", "hold=sda", "0x4C", "0"}, "SDA is held low"},
        FailureCase{"NoPullUps", {"read", "--sim", "no-pullups", "0x4C", "0"}, "no pull-up resistors"},
        FailureCase{"WordFromNobody", {"read", "--word", "0x4D", "0x05"}, "no acknowledge from 0x4D"},
        FailureCase{"OnBoardNobody", {"read", "--smbus", "0x4D", "0"}, "no acknowledge from 0x4D"},
        FailureCase{"OnBoardNeverAcknowledges", {"read", "--smbus", "--sim", "onboard-never-ack=0x4E", "0x4E", "0xFE"},
                    "no acknowledge from 0x4E"},
        FailureCase{"OnBoardControllerBusy", {"read", "--smbus", "--sim", "smbus-busy", "0x4E", "0xFE"}, "stays busy"},
        FailureCase{"DumpOfNobody", {"dump", "0x4D"}, "no acknowledge from 0x4D"},
        FailureCase{"DumpAllOfNobody", {"dump", "--all", "0x4D"}, "no acknowledge from 0x4D"},
        FailureCase{"OnBoardDumpOfNobody", {"dump", "--smbus", "0x4D"}, "no acknowledge from 0x4D"},
        FailureCase{"WriteToHeldBus", {"write", "--sim", "hold=sda", "0x4C", "0x0B", "90"}, "SDA is held low"}),
    [](const testing::TestParamInfo<FailureCase>& info) { return info.param.name; });

TEST(QtsctlFailedTransfer, TheSameReadsSucceedOnAHealthyBoard) {
  for (const auto& arguments : std::vector<std::vector<std::string>>{
           {"read", "0x4C", "0xFE"}, {"read", "--smbus", "0x4E", "0xFE"}, {"read", "--sim", "never-ack-read=0x50", "0x4C", "0xFE"}}) {
    const auto result = RunTool(arguments);
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "0x41\n");
  }
}

}  // namespace
