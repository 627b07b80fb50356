// qtsctl decode end to end: traces the tool itself recorded, for every
// transaction type; the same traces with faults put into their wires; and the
// same traces after a logic analyser's software has written them anew.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "ToolRun.h"

namespace {

using qtsctltest::Lines;
using qtsctltest::ReadFile;
using qtsctltest::RunTool;
using qtsctltest::TempPath;

// Records `arguments` with --trace and returns the trace's path.
std::string Record(std::vector<std::string> arguments, int status = 0) {
  const std::string trace = TempPath("recorded.vcd");
  arguments.insert(arguments.begin(), {"--trace", trace});
  const auto result = RunTool(arguments);
  EXPECT_EQ(result.status, status) << result.err;
  return trace;
}

std::string Write(const std::string& text) {
  const std::string path = TempPath("edited.vcd");
  std::ofstream(path, std::ios::binary) << text;
  return path;
}

// A VCD as lines, with the value changes of SCL and SDA located, for putting
// faults into a recorded trace.
class VcdEdit {
 public:
  explicit VcdEdit(const std::string& text) : lines_(Lines(text)) {
    for (const auto& line : lines_) {
      std::istringstream words(line);
      std::string keyword, type, width, id, name;
      if (words >> keyword >> type >> width >> id >> name && keyword == "$var") (name == "SCL" ? scl_ : sda_) = id;
    }
  }

  std::string Text() const {
    std::string text;
    for (const auto& line : lines_) text += line + '\n';
    return text;
  }

  // Inverts the data bit that the `fromEnd`-th last rising SCL edge samples:
  // SDA takes the other level just before that edge and its own level again
  // just after the following falling edge.
  void FlipBit(std::size_t fromEnd) {
    const auto changes = Changes();
    std::vector<std::size_t> rising;
    for (std::size_t i = 0; i < changes.size(); ++i)
      if (changes[i].scl && changes[i].level == 1 && changes[i].before == 0) rising.push_back(i);
    ASSERT_GE(rising.size(), fromEnd);
    const std::size_t r = rising[rising.size() - fromEnd];
    std::size_t f = r + 1;
    while (f < changes.size() && !(changes[f].scl && changes[f].level == 0)) ++f;
    ASSERT_LT(f, changes.size());
    // After the falling edge's time block, SDA returns to what the recording has there.
    std::size_t after = changes[f].line + 1;
    while (after < lines_.size() && !lines_[after].starts_with('#')) ++after;
    lines_.insert(lines_.begin() + static_cast<long>(after),
                  {"#" + std::to_string(changes[f].time + 1), std::to_string(changes[f].sda) + sda_});
    std::size_t timeLine = changes[r].line;
    while (!lines_[timeLine].starts_with('#')) --timeLine;
    lines_.insert(lines_.begin() + static_cast<long>(timeLine),
                  {"#" + std::to_string(changes[r].time - 1), std::to_string(1 - changes[r].sda) + sda_});
  }

  // Removes the `which`-th stop condition: SDA rising while SCL is high, and
  // the rise of SCL before it, so that the bus stays as the last acknowledge
  // left it.
  void RemoveStop(std::size_t which) {
    const auto changes = Changes();
    std::size_t seen = 0;
    for (std::size_t i = 0; i < changes.size(); ++i) {
      const Change& change = changes[i];
      if (change.scl || change.level != 1 || change.before != 0 || change.sclLevel != 1 || seen++ != which) continue;
      std::size_t clock = i;
      while (!changes[clock].scl) --clock;
      lines_.erase(lines_.begin() + static_cast<long>(change.line));
      lines_.erase(lines_.begin() + static_cast<long>(changes[clock].line));
      return;
    }
    FAIL() << "the trace has no stop number " << which;
  }

 private:
  struct Change {
    std::size_t line;
    long long time;
    bool scl;      // the wire that changed
    int level;     // its new level
    int before;    // its level before
    int sclLevel;  // both levels after the change
    int sda;
  };

  std::vector<Change> Changes() const {
    std::vector<Change> changes;
    long long time = 0;
    int scl = 1, sda = 1;
    for (std::size_t i = 0; i < lines_.size(); ++i) {
      const std::string& line = lines_[i];
      if (line.starts_with('#')) time = std::stoll(line.substr(1));
      if (line.size() < 2 || (line[0] != '0' && line[0] != '1')) continue;
      const int level = line[0] - '0';
      const bool isScl = line.substr(1) == scl_;
      int& wire = isScl ? scl : sda;
      const int before = wire;
      wire = level;
      changes.push_back({i, time, isScl, level, before, scl, sda});
    }
    return changes;
  }

  std::vector<std::string> lines_;
  std::string scl_, sda_;
};

// The decoded lines without their time column, which a re-sampled trace moves.
std::vector<std::string> Untimed(const std::string& out) {
  std::vector<std::string> lines;
  for (const auto& line : Lines(out)) lines.push_back(line.substr(line.find(" us ") + 4));
  return lines;
}

struct DecodeCase {
  std::string name;
  std::vector<std::string> arguments;  // the recorded command
  std::vector<std::string> decoded;    // each transaction's parts, in order
};

void PrintTo(const DecodeCase& decode, std::ostream* out) { *out << decode.name; }

class QtsctlDecode : public testing::TestWithParam<DecodeCase> {};

TEST_P(QtsctlDecode, NamesEachRecordedTransaction) {
  const auto result = RunTool({"decode", Record(GetParam().arguments)});
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.err, "");
  const auto lines = Lines(result.out);
  ASSERT_EQ(lines.size(), 1u) << result.out;
  std::size_t at = 0;
  for (const auto& part : GetParam().decoded) {
    at = lines[0].find(part, at);
    ASSERT_NE(at, std::string::npos) << part << " missing (in this order) in\n" << lines[0];
  }
}

INSTANTIATE_TEST_SUITE_P(
    Transactions, QtsctlDecode,
    testing::Values(
        DecodeCase{"ReadByte", {"read", "0x4C", "0xFE"}, {"read byte", "0x4C", "command 0xFE  data 0x41", "[S 98 A FE A Sr 99 A 41 N P]"}},
        DecodeCase{"WriteByte", {"write", "0x4C", "remote-high", "90"}, {"write byte", "0x4C", "command 0x0D  data 0x5A", "[S 98 A 0D A 5A A P]"}},
        DecodeCase{"ReadWord", {"read", "--word", "0x4C", "0x05"}, {"read word", "command 0x05  word 0x5555", "[S 98 A 05 A Sr 99 A 55 A 55 N P]"}},
        DecodeCase{"WriteWord", {"write", "--word", "0x4C", "0x0B", "0x1234"}, {"write word", "command 0x0B  word 0x1234", "[S 98 A 0B A 34 A 12 A P]"}},
        DecodeCase{"SendByte", {"write", "--send", "0x4C", "0xFE"}, {"send byte", "0x4C", "byte 0xFE", "[S 98 A FE A P]"}},
        DecodeCase{"ReceiveByte", {"read", "--receive", "0x4C"}, {"receive byte", "0x4C", "data 0x19", "[S 99 A 19 N P]"}},
        DecodeCase{"BlockWriteWithPec", {"write", "--block", "--pec", "0x4C", "0x0B", "1", "2", "3"},
                   {"block write", "command 0x0B  count 3  data 01 02 03  PEC 0xF0 ok", "[S 98 A 0B A 03 A 01 A 02 A 03 A F0 A P]"}},
        DecodeCase{"AlertResponse", {"alert", "--sim", "scenario=constant:95"},
                   {"alert response", "0x0C", "0x4C is alerting (it answered 0x98)", "[S 19 A 98 N P]"}}),
    [](const testing::TestParamInfo<DecodeCase>& info) { return info.param.name; });

TEST(QtsctlDecodeErrors, ARecordedRefusalIsANackWhereAnAckWasDue) {
  const auto result = RunTool({"decode", Record({"read", "--sim", "never-ack-read=0x4C", "0x4C", "0xFE"}, 1)});
  EXPECT_EQ(result.status, 1);
  EXPECT_NE(result.out.find("[S 98 A FE A Sr 99 N P]  ERROR: NACK where an ACK was due: 0x4C did not acknowledge "
                            "its address after the repeated start"),
            std::string::npos)
      << result.out;
}

TEST(QtsctlDecodeErrors, ACorruptedPecIsNamed) {
  VcdEdit trace(ReadFile(Record({"write", "--block", "--pec", "0x4C", "0x0B", "1", "2", "3"})));
  // The last rising edges clock the PEC's last bit, its acknowledge and the stop.
  trace.FlipBit(3);
  const auto result = RunTool({"decode", Write(trace.Text())});
  EXPECT_EQ(result.status, 1);
  EXPECT_NE(result.out.find("PEC 0xF1 wrong, the bytes give 0xF0"), std::string::npos) << result.out;
  EXPECT_NE(result.out.find("ERROR: PEC mismatch"), std::string::npos) << result.out;
  EXPECT_NE(result.err.find("1 of 1 transactions show errors"), std::string::npos) << result.err;
}

TEST(QtsctlDecodeErrors, AMissingStopIsNamed) {
  // Write, then read back: two transactions, so the first one's stop can go.
  const std::string recorded = ReadFile(Record({"write", "-r", "0x4C", "remote-high", "90"}));
  VcdEdit first(recorded);
  first.RemoveStop(0);
  auto result = RunTool({"decode", Write(first.Text())});
  EXPECT_EQ(result.status, 1);
  auto lines = Lines(result.out);
  ASSERT_EQ(lines.size(), 2u) << result.out;
  EXPECT_NE(lines[0].find("ERROR: missing stop: a start for another transfer followed"), std::string::npos) << lines[0];
  EXPECT_EQ(lines[1].find("ERROR"), std::string::npos) << lines[1];

  VcdEdit last(recorded);
  last.RemoveStop(1);
  result = RunTool({"decode", Write(last.Text())});
  EXPECT_EQ(result.status, 1);
  lines = Lines(result.out);
  ASSERT_EQ(lines.size(), 2u) << result.out;
  EXPECT_NE(lines[1].find("missing stop: the trace ends inside the transaction"), std::string::npos) << lines[1];
}

TEST(QtsctlDecodeErrors, ADamagedTraceNamesTheLine) {
  auto lines = Lines(ReadFile(Record({"read", "0x4C", "0xFE"})));
  ASSERT_GT(lines.size(), 30u);
  lines[29] = "1?";
  std::string text;
  for (const auto& line : lines) text += line + '\n';
  const auto result = RunTool({"decode", Write(text)});
  EXPECT_EQ(result.status, 2);
  EXPECT_NE(result.err.find(": line 30: "), std::string::npos) << result.err;
  EXPECT_NE(result.err.find("\"?\""), std::string::npos) << result.err;
}

TEST(QtsctlDecodeSigrok, ATraceItRewroteDecodesTheSame) {
  if (std::system("command -v sigrok-cli >/dev/null 2>&1") != 0) GTEST_SKIP() << "sigrok-cli is not installed";
  for (const auto& arguments : std::vector<std::vector<std::string>>{
           {"write", "-r", "0x4C", "remote-high", "90"},
           {"write", "--block", "--pec", "0x4C", "0x0B", "1", "2", "3"},
           {"alert", "--sim", "scenario=constant:95"}}) {
    const std::string recorded = Record(arguments);
    const std::string rewritten = TempPath("sigrok.vcd");
    const std::string log = TempPath("sigrok.log");
    const std::string command =
        "sigrok-cli -I vcd -i '" + recorded + "' -O vcd -o '" + rewritten + "' > '" + log + "' 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0) << ReadFile(log);
    ASSERT_EQ(ReadFile(rewritten).find("QtsEval"), std::string::npos) << "not rewritten";
    const auto original = RunTool({"decode", recorded});
    const auto again = RunTool({"decode", rewritten});
    EXPECT_EQ(again.status, 0) << again.err;
    EXPECT_FALSE(original.out.empty());
    EXPECT_EQ(Untimed(again.out), Untimed(original.out));
  }
}

}  // namespace
