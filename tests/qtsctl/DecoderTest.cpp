// The decoder on traces written here from their wire text, in the ways
// other recorders write them.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "qtsctl/SmbusDecoder.h"
#include "qtsctl/VcdReader.h"

namespace {

struct Writing {
  char high = '1';             // how a released line is written: '1', or 'z' as a simulator does
  bool sharedStamps = false;   // two changes under one time stamp, written twice
};

// A trace of `wire` ("S 98 A 05 A Sr 99 A 55 N P"): clocked bits with SDA
// set while SCL is low, starts and stops while it is high.
std::string Trace(const std::string& wire, const Writing& writing = {}) {
  std::string text =
      "$timescale 1ns $end\n$var wire 1 ! SCL $end\n$var wire 1 \" SDA $end\n$enddefinitions $end\n"
      "#0\n$dumpvars\n1!\n1\"\n$end\n";
  bool scl = true, sda = true;
  int changes = 0;
  auto set = [&](bool& line, bool level, char id) {
    if (line == level) return;
    line = level;
    const int time = 10 * (writing.sharedStamps ? changes / 2 + 1 : changes + 1);
    text += '#';
    text += std::to_string(time);
    text += '\n';
    text += level ? writing.high : '0';
    text += id;
    text += '\n';
    ++changes;
  };
  auto clock = [&](bool bit) {
    set(sda, bit, '"');
    set(scl, true, '!');
    set(scl, false, '!');
  };
  std::istringstream words(wire);
  for (std::string word; words >> word;) {
    if (word == "S" || word == "Sr") {
      set(sda, true, '"');
      set(scl, true, '!');
      set(sda, false, '"');
      set(scl, false, '!');
    } else if (word == "P") {
      set(sda, false, '"');
      set(scl, true, '!');
      set(sda, true, '"');
    } else if (word == "A" || word == "N") {
      clock(word == "N");
    } else {
      const int byte = std::stoi(word, nullptr, 16);
      for (int bit = 7; bit >= 0; --bit) clock((byte >> bit & 1) != 0);
    }
  }
  return text;
}

// Each transaction as its wire text, with its errors after a bar.
std::vector<std::string> Decoded(const std::string& trace) {
  std::istringstream in(trace);
  vcd::Reader reader(in);
  reader.ReadHeader();
  std::vector<std::string> decoded;
  smbusdecode::Decoder decoder({}, reader.NanosecondsPerTick(), [&](const smbusdecode::Transaction& transaction) {
    std::string text = smbusdecode::WireText(transaction);
    for (const auto& error : transaction.errors) text += " | " + error;
    decoded.push_back(text);
  });
  while (const auto step = reader.Next()) decoder.Add(*step);
  decoder.Finish();
  return decoded;
}

const std::string kReadByte = "S 98 A 05 A Sr 99 A 55 N P";

// Only a write followed by a read of the same device belongs to one
// transaction; any other repeated start stands where a stop is missing.
TEST(Decoder, ARepeatedStartJoinsOnlyAWriteAndAReadOfOneDevice) {
  const std::string missingStop = " | missing stop: a start for another transfer followed";
  for (const auto& [wire, decoded] : std::vector<std::pair<std::string, std::vector<std::string>>>{
           {kReadByte, {kReadByte}},
           {"S 98 A 05 A Sr 9B A 55 N P", {"S 98 A 05 A" + missingStop, "S 9B A 55 N P"}},
           {"S 99 A 41 N Sr 99 A 55 N P", {"S 99 A 41 N" + missingStop, "S 99 A 55 N P"}},
           {"S 98 A 05 A Sr 98 A 07 A P", {"S 98 A 05 A" + missingStop, "S 98 A 07 A P"}}})
    EXPECT_EQ(Decoded(Trace(wire)), decoded) << wire;
}

TEST(Decoder, TracesOfOtherRecordersReadTheSame) {
  // A released line written as 'z' is high, as its pull-up leaves it.
  EXPECT_EQ(Decoded(Trace(kReadByte, {'z', false})), std::vector<std::string>{kReadByte});
  // A time stamp may stand twice in a row.
  EXPECT_EQ(Decoded(Trace(kReadByte, {'1', true})), std::vector<std::string>{kReadByte});
}

}  // namespace
