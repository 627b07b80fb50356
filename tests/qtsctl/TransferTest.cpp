// qtsctl's transfers, alert, write safety and --json end to end: what the
// program prints, and what its --trace shows went over the wire.
#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "ToolRun.h"
#include "VcdBus.h"

namespace {

using qtsctltest::DecodeVcd;
using qtsctltest::FrameBytes;
using qtsctltest::Lines;
using qtsctltest::ReadFile;
using qtsctltest::RunTool;
using qtsctltest::TempPath;
using qtsctltest::ToolResult;

using Frames = std::vector<std::vector<int>>;

// SMBus packet error code: CRC-8 with polynomial x^8 + x^2 + x + 1.
int Crc8(const std::vector<int>& bytes) {
  int crc = 0;
  for (const int byte : bytes) {
    crc ^= byte;
    for (int bit = 0; bit < 8; ++bit) crc = (crc & 0x80) ? ((crc << 1) ^ 0x07) & 0xFF : (crc << 1) & 0xFF;
  }
  return crc;
}

// Runs the tool with a trace of the printer-port bus.
ToolResult RunTraced(std::vector<std::string> arguments, qtsctltest::VcdBus& bus) {
  const std::string trace = TempPath("transfer.vcd");
  arguments.insert(arguments.begin(), {"--trace", trace});
  const auto result = RunTool(arguments);
  bus = DecodeVcd(ReadFile(trace));
  return result;
}

QJsonObject JsonLine(const std::string& line) {
  QJsonParseError error{};
  const auto document = QJsonDocument::fromJson(QByteArray::fromStdString(line), &error);
  EXPECT_EQ(error.error, QJsonParseError::NoError) << line;
  EXPECT_TRUE(document.isObject()) << line;
  return document.object();
}

struct TransferCase {
  std::string name;
  std::vector<std::string> arguments;
  std::string out;
  Frames frames;  // start (or repeated start) to the next, 8-bit address first
};

void PrintTo(const TransferCase& transfer, std::ostream* out) { *out << transfer.name; }

class QtsctlTransfer : public testing::TestWithParam<TransferCase> {};

TEST_P(QtsctlTransfer, PrintsTheResultAndPutsTheTransferOnTheWire) {
  qtsctltest::VcdBus bus;
  const auto result = RunTraced(GetParam().arguments, bus);
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.out, GetParam().out);
  EXPECT_EQ(FrameBytes(bus), GetParam().frames);
  // The chip acknowledges everything it is sent; the master ends reads with a
  // not-acknowledge.
  for (const auto& frame : bus.frames) {
    const bool read = frame.front().value & 1;
    for (std::size_t i = 0; i < frame.size(); ++i)
      EXPECT_EQ(frame[i].acknowledged, !read || i + 1 < frame.size()) << "byte " << i;
  }
}

const std::vector<int> kBlock{0x98, 0x0B, 0x03, 0x01, 0x02, 0x03};

INSTANTIATE_TEST_SUITE_P(
    Transfers, QtsctlTransfer,
    testing::Values(
        TransferCase{"ReadWord", {"read", "--word", "0x4C", "local-high"}, "0x5555\n", {{0x98, 0x05}, {0x99, 0x55, 0x55}}},
        TransferCase{"WriteWordLowByteFirst", {"write", "--word", "0x4C", "0x0B", "0x1234"}, "", {{0x98, 0x0B, 0x34, 0x12}}},
        TransferCase{"SendByte", {"write", "--send", "0x4C", "id"}, "", {{0x98, 0xFE}}},
        // Right after power-up the pointer is at the local temperature.
        TransferCase{"ReceiveByte", {"read", "--receive", "0x4C"}, "0x19\n", {{0x99, 0x19}}},
        TransferCase{"BlockWriteWithPec", {"write", "--block", "--pec", "0x4C", "0x0B", "1", "2", "3"}, "",
                     {{0x98, 0x0B, 0x03, 0x01, 0x02, 0x03, Crc8(kBlock)}}},
        TransferCase{"WriteReadBack", {"write", "-r", "0x4C", "REMOTE-HIGH", "90"}, "0x5A\n",
                     {{0x98, 0x0D, 0x5A}, {0x98, 0x07}, {0x99, 0x5A}}},
        TransferCase{"ForcedReadCode", {"write", "--force", "0x4C", "0x05", "90"}, "", {{0x98, 0x05, 0x5A}}},
        TransferCase{"AlertResponse", {"alert", "--sim", "scenario=constant:95"}, "0x4C\n", {{0x19, 0x98}}}),
    [](const testing::TestParamInfo<TransferCase>& info) { return info.param.name; });

TEST(QtsctlTransfer, TransfersTheChipDoesNotCarryFailWithTheirCause) {
  // The chip has no block read: the count byte reads as the idle bus.
  auto result = RunTool({"read", "--block", "0x4C", "0x0B"});
  EXPECT_EQ(result.status, 1);
  EXPECT_NE(result.err.find("byte count of 255"), std::string::npos) << result.err;
  // Nor packet error checking: the byte after the data is not its PEC.
  result = RunTool({"read", "--pec", "0x4C", "0xFE"});
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.out, "");
  EXPECT_NE(result.err.find("packet error code 0x41 from 0x4C does not match"), std::string::npos) << result.err;
  // The on-board controller carries no blocks at all: refused before the bus.
  result = RunTool({"read", "--smbus", "--block", "0x4E", "0x0B"});
  EXPECT_EQ(result.status, 2);
  EXPECT_NE(result.err.find("not available on the on-board SMBus"), std::string::npos) << result.err;
}

TEST(QtsctlAlert, NamesTheAlertingDeviceOnEachMedium) {
  auto result = RunTool({"alert", "--smbus", "--sim", "scenario=constant:95"});
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.out, "0x4E\n");
  for (const std::string medium : {"--port=1", "--smbus"}) {
    result = RunTool({"alert", medium, "--sim", "scenario=constant:40"});
    EXPECT_EQ(result.status, 1) << medium;
    EXPECT_EQ(result.out, "");
    EXPECT_NE(result.err.find("none is alerting"), std::string::npos) << result.err;
  }
}

TEST(QtsctlWriteSafety, AReadCodeWithAnotherWriteCodeIsRefusedAndNothingIsSent) {
  qtsctltest::VcdBus bus;
  const auto result = RunTraced({"write", "0x4C", "0x05", "90"}, bus);
  EXPECT_EQ(result.status, 2);
  EXPECT_NE(result.err.find("it is written at 0x0B"), std::string::npos) << result.err;
  EXPECT_NE(result.err.find("--force"), std::string::npos) << result.err;
  EXPECT_EQ(bus.changes, 0u);
}

TEST(QtsctlWriteSafety, ReadBackThatDiffersExitsOne) {
  // Forced to the read code, the write does not reach the limit, and -r says so.
  const auto result = RunTool({"write", "--force", "-r", "0x4C", "0x05", "90"});
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.out, "0x55\n");
  EXPECT_NE(result.err.find("wrote 0x5A but register 0x05 reads back 0x55"), std::string::npos) << result.err;
}

TEST(QtsctlRegisterNames, AliasesIgnoreCaseAndASlipGetsAHint) {
  for (const auto& [name, value] : std::vector<std::pair<std::string, std::string>>{
           {"MANUFACTURER-ID", "0x41"}, {"Config", "0x00"}, {"remote-high", "0x55"}, {"conv-RATE", "0x07"}}) {
    const auto result = RunTool({"read", "0x4C", name});
    EXPECT_EQ(result.status, 0) << name << ": " << result.err;
    EXPECT_EQ(result.out, value + "\n") << name;
  }
  const auto slip = RunTool({"read", "0x4C", "remote-hihg"});
  EXPECT_EQ(slip.status, 2);
  EXPECT_NE(slip.err.find("did you mean remote-high"), std::string::npos) << slip.err;
  EXPECT_NE(slip.err.find("qtsctl registers"), std::string::npos) << slip.err;
}

TEST(QtsctlRegisterNames, TheMapIsListedWithoutADevice) {
  const auto result = RunTool({"registers", "--sim", "ports=0,smbus=none"});
  EXPECT_EQ(result.status, 0) << result.err;
  const auto lines = Lines(result.out);
  EXPECT_NE(std::find(lines.begin(), lines.end(),
                      "0x07  0x0D   Remote Temp. High Limit                   read/write  remote-high, remote-high-limit"),
            lines.end())
      << result.out;
  EXPECT_EQ(RunTool({"registers", "--trace", TempPath("registers.vcd")}).status, 2);
}

TEST(QtsctlJson, ReadSearchDecodeAndFailuresPrintOneObjectPerLine) {
  auto result = RunTool({"--json", "read", "0x4C", "0xFE"});
  ASSERT_EQ(result.status, 0) << result.err;
  ASSERT_EQ(Lines(result.out).size(), 1u) << result.out;
  auto json = JsonLine(result.out);
  EXPECT_EQ(json["address"].toString(), "0x4C");
  EXPECT_EQ(json["transfer"].toString(), "read byte");
  EXPECT_EQ(json["name"].toString(), "Manufacturers ID");
  EXPECT_EQ(json["value"].toInt(), 0x41);
  EXPECT_EQ(json["medium"].toObject()["wiring"].toString(), "inverted");

  result = RunTool({"search", "--json"});
  ASSERT_EQ(result.status, 0) << result.err;
  json = JsonLine(result.out);
  const auto found = json["found"].toArray();
  ASSERT_EQ(found.size(), 2);
  EXPECT_EQ(found[0].toObject()["address"].toString(), "0x4C");
  EXPECT_EQ(found[1].toObject()["medium"].toString(), "smbus");

  const std::string trace = TempPath("json.vcd");
  ASSERT_EQ(RunTool({"--trace", trace, "write", "-r", "0x4C", "remote-high", "90"}).status, 0);
  result = RunTool({"decode", "--json", trace});
  ASSERT_EQ(result.status, 0) << result.err;
  const auto lines = Lines(result.out);
  ASSERT_EQ(lines.size(), 2u) << result.out;
  json = JsonLine(lines[0]);
  EXPECT_EQ(json["kind"].toString(), "write byte");
  EXPECT_EQ(json["command"].toString(), "0x0D");
  EXPECT_EQ(json["data"].toArray(), QJsonArray{"0x5A"});
  EXPECT_TRUE(json["stop"].toBool());
  json = JsonLine(lines[1]);
  EXPECT_EQ(json["kind"].toString(), "read byte");
  EXPECT_TRUE(json["read"].toBool());
  EXPECT_EQ(json["errors"].toArray(), QJsonArray{});

  for (const auto& [arguments, cause, status] : std::vector<std::tuple<std::vector<std::string>, std::string, int>>{
           {{"read", "0x4D", "0"}, "no-acknowledge", 1},
           {{"read", "--sim", "hold=sda", "0x4C", "0"}, "sda-held", 1},
           {{"read", "--smbus", "--sim", "smbus-busy", "0x4E", "0"}, "controller-busy", 1},
           {{"alert"}, "no-acknowledge", 1},
           {{"read", "0x4C", "Humidity"}, "bad-input", 2}}) {
    std::vector<std::string> withJson{"--json"};
    withJson.insert(withJson.end(), arguments.begin(), arguments.end());
    result = RunTool(withJson);
    EXPECT_EQ(result.status, status) << cause;
    ASSERT_EQ(Lines(result.out).size(), 1u) << result.out;
    json = JsonLine(result.out);
    EXPECT_EQ(json["cause"].toString().toStdString(), cause);
    EXPECT_EQ(json["status"].toInt(), status);
    EXPECT_EQ("qtsctl: " + json["error"].toString().toStdString() + "\n", result.err);
  }
}

}  // namespace
