// qtsctl end to end: the built program against the virtual PC with the
// evaluation board on LPT1 (0x378, inverted adapter, chip at 0x4C).
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <regex>

#include "ToolRun.h"
#include "VcdBus.h"
#include "logging/LogFormat.h"

namespace {

using qtsctltest::DecodeVcd;
using qtsctltest::FrameBytes;
using qtsctltest::Lines;
using qtsctltest::ReadFile;
using qtsctltest::RunTool;
using qtsctltest::TempPath;

using Frames = std::vector<std::vector<int>>;

// Every run of the tool powers up a new virtual PC. On a driven clock the
// machine's time moves only with the tool's port accesses and sleeps, so
// what a run reads does not depend on how fast the test machine is.
const std::string kDrivenClock = "--sim=clock=manual";
// A remote diode that stays at 95 C: above the default high limit of 85.
const std::string kHotRemote = "--sim=scenario=constant:95";

TEST(QtsctlSearch, FindsTheBoardOnLpt1WithTheInvertingAdapter) {
  const auto result = RunTool({"search", "--media", "lpt"});
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(Lines(result.out), std::vector<std::string>{"lpt1   0x378  inverted  0x4C"});
  EXPECT_EQ(result.err, "");
}

TEST(QtsctlSearch, ReportsWiringPortAndAddressAsFound) {
  const auto result = RunTool({"--sim", "ports=3,board-port=2,wiring=direct,chip-address=0x2B", "search", "--media", "lpt"});
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(Lines(result.out), std::vector<std::string>{"lpt2   0x278  direct    0x2B"});
}

TEST(QtsctlSearch, NothingFoundExitsOneAndSaysWhatTheSearchSaw) {
  const auto result = RunTool({"search", "--sim", "board-port=0,smbus=none"});
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.out, "");
  const auto lines = Lines(result.err);
  ASSERT_EQ(lines.size(), 4u) << result.err;
  EXPECT_EQ(lines[0], "No QTS5460 was found.");
  EXPECT_TRUE(lines[1].starts_with("LPT1 (378h): neither SCL nor SDA follows the port")) << lines[1];
  EXPECT_TRUE(lines[2].starts_with("LPT2 (278h): neither SCL nor SDA follows the port")) << lines[2];
  EXPECT_TRUE(lines[3].starts_with("On-board SMBus: no supported SMBus host controller")) << lines[3];
}

TEST(QtsctlRead, ReadsByCodeAndByName) {
  auto result = RunTool({"read", "0x4C", "0xFE"});
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.out, "0x41\n");
  // Names ignore case, blanks, dots and dashes.
  result = RunTool({"read", "--port", "1", "--wiring", "inverted", "76", "local-temp-high-limit"});
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.out, "0x55\n");
  result = RunTool({"read", "--base", "0x378", "0x4C", "Conversion Rate"});
  EXPECT_EQ(result.out, "0x07\n");
}

TEST(QtsctlRead, TheTraceHoldsTheReadTransaction) {
  const std::string trace = TempPath("read.vcd");
  const auto result = RunTool({"read", "--trace", trace, "0x4C", "0xFE"});
  ASSERT_EQ(result.status, 0) << result.err;
  const auto bus = DecodeVcd(ReadFile(trace));
  // Write the register pointer, stop, then read back with the read bit set.
  EXPECT_EQ(FrameBytes(bus), (Frames{{0x98, 0xFE}, {0x99, 0x41}}));
  ASSERT_EQ(bus.frames.size(), 2u);
  EXPECT_TRUE(bus.frames[1][0].acknowledged);
  EXPECT_FALSE(bus.frames[1][1].acknowledged);  // the master's not-acknowledge ends the read
}

TEST(QtsctlRead, WrongWiringFindsNoAcknowledge) {
  const auto result = RunTool({"read", "--wiring", "direct", "0x4C", "0xFE"});
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(result.err, "qtsctl: no acknowledge from 0x4C for its address (write)\n");
}

TEST(QtsctlWrite, SendsTheWriteCodeOfANamedRegister) {
  const std::string trace = TempPath("write.vcd");
  const auto result = RunTool({"write", "--trace", trace, "0x4C", "Remote Temp. High Limit", "0x5A"});
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.out, "");
  // Printer-port writes need no confirmation: only the board is on that bus.
  EXPECT_EQ(FrameBytes(DecodeVcd(ReadFile(trace))), (Frames{{0x98, 0x0D, 0x5A}}));
}

TEST(QtsctlDump, ShowsEveryRegisterDecoded) {
  // Read right after power-up: the first conversion has not finished yet.
  const auto result = RunTool({"dump", kDrivenClock, "--sim=power-on", "0x4C"});
  ASSERT_EQ(result.status, 0) << result.err;
  const auto lines = Lines(result.out);
  ASSERT_EQ(lines.size(), 20u) << result.out;
  EXPECT_EQ(lines[0], "Registers of 0x4C on LPT1 (0x378, inverted):");
  for (const char* line : {
           "0x00       Local Temperature                         0x00     0  0 C",
           "0x02       Status                                    0x80   128  ADC On",
           "0x03/0x09  Configuration                             0x00     0  ALERT enabled, Standby Mode is Off",
           "0x04/0x0A  Conversion Rate                           0x07     7  8 conversions/s",
           "0x05/0x0B  Local Temp. High Limit                    0x55    85  85 C",
           "0x08/0x0E  Remote Temp. Low Limit                    0x00     0  0 C",
           "0x0F       One-Shot                                  0xFF   255  write-only: a write starts one conversion",
           "0x10       Remote Temperature Value (Low Byte)       0x00     0  +0 C",
           "0x12       Remote Temperature Offset (Low Byte)      0x00     0",
           "0x19       (local temperature low byte)              0x00     0  +0 C",
           "0xFE       Manufacturers ID                          0x41    65",
       })
    EXPECT_NE(std::find(lines.begin(), lines.end(), line), lines.end()) << line << " missing in\n" << result.out;
}

TEST(QtsctlMonitor, PrintsSamplesAndWritesTheProgramsLogFormat) {
  const std::string log = TempPath("monitor.xls");
  auto result = RunTool({"monitor", kDrivenClock, kHotRemote, "--interval", "1", "--count", "3", "--log", log, "0x4C"});
  ASSERT_EQ(result.status, 0) << result.err;
  const auto lines = Lines(result.out);
  ASSERT_EQ(lines.size(), 3u) << result.out;
  std::string expected = logging::LogHeaderLine();
  const std::regex sample(R"((\d\d):(\d\d):(\d\d)  local +([\d.]+) C  remote +([\d.]+) C  (no alert|ALERT: Remote High))");
  int previousTime = -1;
  for (const auto& line : lines) {
    std::smatch match;
    ASSERT_TRUE(std::regex_match(line, match, sample)) << line;
    const int time = std::stoi(match[1]) * 3600 + std::stoi(match[2]) * 60 + std::stoi(match[3]);
    if (previousTime >= 0) {
      EXPECT_EQ((time - previousTime + 86'400) % 86'400, 1) << "one sample per second";
    }
    previousTime = time;
    expected += logging::LogSampleLine(time, std::stof(match[5]), std::stof(match[4]));
  }
  // The board was powered before the run, so even the first sample sees the
  // hot diode and its alert.
  for (const auto& line : lines)
    EXPECT_NE(line.find("remote       95 C  ALERT: Remote High"), std::string::npos) << line;
  EXPECT_EQ(ReadFile(log), expected);

  // A second run on the same file marks the restart and keeps the old lines.
  result = RunTool({"monitor", kDrivenClock, "--interval", "0", "--count", "1", "--log", log, "0x4C"});
  ASSERT_EQ(result.status, 0) << result.err;
  const std::string again = ReadFile(log);
  EXPECT_EQ(again.substr(0, expected.size()), expected);
  EXPECT_EQ(again.substr(expected.size(), logging::LogRestartLine().size()), logging::LogRestartLine());
}

TEST(QtsctlMonitor, NoAlertWithinTheLimits) {
  const auto result =
      RunTool({"monitor", kDrivenClock, "--sim", "scenario=constant:40", "--interval", "1", "--count", "2", "0x4C"});
  ASSERT_EQ(result.status, 0) << result.err;
  const auto lines = Lines(result.out);
  ASSERT_EQ(lines.size(), 2u) << result.out;
  EXPECT_TRUE(std::regex_match(lines[1], std::regex(R"(\d\d:\d\d:\d\d  local +[\d.]+ C  remote +40 C  no alert)")))
      << lines[1];
}

// Bad input: exit status 2, one line on stderr naming the problem, and not a
// single line change on the bus.
struct BadInputCase {
  std::string name;
  std::vector<std::string> arguments;
  std::string problem;  // part of the message
  bool bus = true;      // false: the machine has no printer port, so no bus to trace
};

void PrintTo(const BadInputCase& refusal, std::ostream* out) { *out << refusal.name; }

class QtsctlBadInput : public testing::TestWithParam<BadInputCase> {};

TEST_P(QtsctlBadInput, IsRefusedBeforeTheBusIsTouched) {
  const std::string trace = TempPath("bad.vcd");
  std::vector<std::string> arguments{"--trace", trace};
  arguments.insert(arguments.end(), GetParam().arguments.begin(), GetParam().arguments.end());
  const auto result = RunTool(arguments);
  EXPECT_EQ(result.status, 2);
  EXPECT_EQ(result.out, "");
  ASSERT_EQ(Lines(result.err).size(), 1u) << result.err;
  EXPECT_TRUE(result.err.starts_with("qtsctl: ")) << result.err;
  EXPECT_NE(result.err.find(GetParam().problem), std::string::npos) << result.err;
  const std::string vcd = ReadFile(trace);
  if (!GetParam().bus) {
    EXPECT_EQ(vcd, "");
    return;
  }
  ASSERT_NE(vcd.find("$dumpvars"), std::string::npos) << "the machine ran, so its trace must be written";
  EXPECT_EQ(DecodeVcd(vcd).changes, 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Refusals, QtsctlBadInput,
    testing::Values(
        BadInputCase{"AddressAboveTheRange", {"read", "0x78", "0"}, "address \"0x78\" is outside"},
        BadInputCase{"AddressBelowTheRange", {"read", "2", "0"}, "address \"2\" is outside"},
        BadInputCase{"AddressNotANumber", {"dump", "chip"}, "address \"chip\" is not a number"},
        BadInputCase{"RegisterAbove255", {"read", "0x4C", "256"}, "register \"256\" is outside 0..255"},
        BadInputCase{"UnknownRegisterName", {"read", "0x4C", "Humidity"}, "unknown register \"Humidity\""},
        BadInputCase{"ValueAbove255", {"write", "0x4C", "0x0B", "0x100"}, "value \"0x100\" is outside 0..255"},
        BadInputCase{"NegativeValue", {"write", "0x4C", "0x0B", "-1"}, "value \"-1\" is outside 0..255"},
        BadInputCase{"ReadOnlyRegisterName", {"write", "0x4C", "status", "0"}, "\"Status\" is read-only"},
        BadInputCase{"PortNumberBeyondTheMachine", {"read", "--port", "3", "0x4C", "0"}, "printer port 3 does not exist"},
        BadInputCase{"PortBaseNotOnTheMachine", {"read", "--base", "0x3BC", "0x4C", "0"}, "no printer port at base address 0x3BC"},
        BadInputCase{"NoPrinterPortAtAll", {"--sim", "ports=0", "dump", "0x4C"}, "no printer port", false},
        BadInputCase{"IntervalNegative", {"monitor", "--interval", "-1", "0x4C"}, "interval \"-1\" is outside"},
        BadInputCase{"LogFileUnwritable", {"monitor", "--log", "/nonexistent/dir/log.xls", "0x4C"}, "log file"}),
    [](const testing::TestParamInfo<BadInputCase>& info) { return info.param.name; });

TEST(QtsctlCommandLine, MalformedCommandLinesExitTwoWithOneLine) {
  for (const auto& arguments : std::vector<std::vector<std::string>>{
           {"read", "0x4C"},
           {"read", "--wiring", "crossed", "0x4C", "0"},
           {"read", "--smbus", "--port", "1", "0x4C", "0"},
           {"monitor", "--count", "many", "0x4C"},
           {"frobnicate"},
       }) {
    const auto result = RunTool(arguments);
    EXPECT_EQ(result.status, 2) << result.err;
    EXPECT_EQ(Lines(result.err).size(), 1u) << result.err;
  }
}

TEST(QtsctlCommandLine, TraceIsRefusedOnTheHost) {
  const auto result = RunTool({"--machine", "host", "--trace", TempPath("host.vcd"), "read", "0x4C", "0"});
  EXPECT_EQ(result.status, 2);
  EXPECT_NE(result.err.find("--trace records the virtual PC's bus"), std::string::npos) << result.err;
}

// The host machine itself needs no privilege; raw controller access does,
// and its refusal names the way that needs none.
TEST(QtsctlCommandLine, RawSmbusWithoutPortPermissionIsBadInput) {
  std::vector<std::string> prefix;
  if (::geteuid() == 0) {
    if (std::system("command -v setpriv >/dev/null 2>&1") != 0) GTEST_SKIP() << "running as root without setpriv";
    prefix = {"setpriv", "--bounding-set=-sys_rawio", "--inh-caps=-sys_rawio", "--"};
  }
  const auto result = RunTool({"--machine", "host", "--host", "smbus=raw", "read", "--smbus", "0x4C", "0"}, "", prefix);
  EXPECT_EQ(result.status, 2);
  EXPECT_EQ(Lines(result.err).size(), 1u) << result.err;
  // Root helps only where the processor has port instructions.
#if defined(__x86_64__) || defined(__i386__)
  EXPECT_NE(result.err.find("CAP_SYS_RAWIO"), std::string::npos) << result.err;
#else
  EXPECT_NE(result.err.find("this processor does not have"), std::string::npos) << result.err;
#endif
  EXPECT_NE(result.err.find("smbus=kernel"), std::string::npos) << result.err;
}

TEST(QtsctlCommandLine, HostOptionsBelongToTheHostMachine) {
  auto result = RunTool({"--machine", "sim", "--i2c", "0", "read", "0x4C", "0"});
  EXPECT_EQ(result.status, 2);
  EXPECT_NE(result.err.find("--i2c apply to --machine host"), std::string::npos) << result.err;
  result = RunTool({"--machine", "host", "--host", "smbus=fast", "read", "0x4C", "0"});
  EXPECT_EQ(result.status, 2);
  EXPECT_NE(result.err.find("smbus=fast"), std::string::npos) << result.err;
  result = RunTool({"--i2c", "3", "read", "--port", "1", "0x4C", "0"});
  EXPECT_EQ(result.status, 2);
  EXPECT_NE(result.err.find("--i2c chooses the on-board SMBus"), std::string::npos) << result.err;
}

TEST(QtsctlCommandLine, HelpAndVersion) {
  auto result = RunTool({"--version"});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out, "qtsctl " QTS_PROJECT_VERSION "\n");

  result = RunTool({"--help"});
  EXPECT_EQ(result.status, 0);
  for (const char* text : {"search", "read", "write", "dump", "monitor", "--trace", "--machine", "scenario=VALUE"})
    EXPECT_NE(result.out.find(text), std::string::npos) << text;

  result = RunTool({"write", "--help"});
  EXPECT_EQ(result.status, 0);
  for (const char* text : {"REGISTER", "VALUE", "--yes", "--smbus", "--wiring"})
    EXPECT_NE(result.out.find(text), std::string::npos) << text;
}

TEST(QtsctlTrace, ReadDecodesInSigrok) {
  if (std::system("command -v sigrok-cli >/dev/null 2>&1") != 0) GTEST_SKIP() << "sigrok-cli is not installed";
  const std::string trace = TempPath("sigrok.vcd");
  ASSERT_EQ(RunTool({"read", "--trace", trace, "0x4C", "0xFE"}).status, 0);
  const std::string annotations = TempPath("sigrok.txt");
  const std::string command = "sigrok-cli -I vcd -i '" + trace + "' -P i2c:scl=SCL:sda=SDA -A i2c > '" +
                              annotations + "' 2>&1";
  ASSERT_EQ(std::system(command.c_str()), 0) << ReadFile(annotations);
  const std::string decoded = ReadFile(annotations);
  for (const char* text : {"Address write: 4C", "Data write: FE", "Address read: 4C", "Data read: 41"})
    EXPECT_NE(decoded.find(text), std::string::npos) << text << " missing in\n" << decoded;
}

}  // namespace
