// The wire-level slave engine against well-behaved and misbehaving masters,
// driving the lines directly and watching the byte-level calls it makes.
#include "sim/SmbusWireSlave.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sim/Clock.h"

namespace {

class RecordingDevice : public sim::SmbusDevice {
 public:
  bool Start(bool read) override {
    log.push_back(read ? "start read" : "start write");
    return true;
  }
  bool WriteByte(std::uint8_t value) override {
    log.push_back("write " + std::to_string(value));
    return value != 0xEE;  // refuses this one byte
  }
  std::uint8_t ReadByte() override {
    log.push_back("read");
    return next++;
  }
  void Stop() override { log.push_back("stop"); }

  std::vector<std::string> log;
  std::uint8_t next = 0xA5;
};

class SmbusWireSlaveTest : public ::testing::Test {
 protected:
  SmbusWireSlaveTest() : lines_(clock_), slave_(lines_, bus_), master_(lines_.AddDriver()) {
    bus_.Attach(0x4C, device_);
  }

  void Lines(bool scl, bool sda) { lines_.Pull(master_, !scl, !sda); }
  void Start() {
    Lines(true, true);
    Lines(true, false);
    Lines(false, false);
  }
  void Stop() {
    Lines(false, false);
    Lines(true, false);
    Lines(true, true);
  }
  void Bit(bool one) {
    Lines(false, one);
    Lines(true, one);
    Lines(false, one);
  }
  bool Write(std::uint8_t byte) {
    for (int bit = 7; bit >= 0; --bit) Bit(((byte >> bit) & 1) != 0);
    Lines(false, true);
    Lines(true, true);
    const bool ack = !lines_.Levels().sda;
    Lines(false, true);
    return ack;
  }
  std::uint8_t Read(bool ack) {
    std::uint8_t byte = 0;
    for (int bit = 0; bit < 8; ++bit) {
      Lines(false, true);
      Lines(true, true);
      byte = static_cast<std::uint8_t>(byte << 1 | (lines_.Levels().sda ? 1 : 0));
    }
    Bit(!ack);
    return byte;
  }

  sim::Clock clock_{sim::Clock::Mode::Manual};
  sim::BusLines lines_;
  sim::SmbusBus bus_;
  sim::SmbusWireSlave slave_;
  sim::BusLines::DriverId master_;
  RecordingDevice device_;
};

using Log = std::vector<std::string>;

TEST_F(SmbusWireSlaveTest, WriteAndReadTransfersWithAcknowledges) {
  Start();
  EXPECT_TRUE(Write(0x98));
  EXPECT_TRUE(Write(0x12));
  EXPECT_FALSE(Write(0xEE)) << "the device's refusal shows on the ninth clock";
  Start();  // repeated start
  EXPECT_TRUE(Write(0x99));
  EXPECT_EQ(Read(true), 0xA5);
  EXPECT_EQ(Read(false), 0xA6);
  EXPECT_TRUE(lines_.Levels().sda) << "data released after the master's not-acknowledge";
  Stop();
  EXPECT_EQ(device_.log, (Log{"start write", "write 18", "write 238", "start read", "read", "read", "stop"}));
}

TEST_F(SmbusWireSlaveTest, OtherAddressesAreNotAcknowledgedAndTheirBytesIgnored) {
  Start();
  EXPECT_FALSE(Write(0x9A));
  EXPECT_FALSE(Write(0x98)) << "a byte after a foreign address is not an address";
  Stop();
  EXPECT_TRUE(device_.log.empty());
}

TEST_F(SmbusWireSlaveTest, AStartInTheMiddleOfAByteResetsTheEngine) {
  Start();
  ASSERT_TRUE(Write(0x98));
  Bit(true);
  Bit(false);
  Bit(true);
  Lines(false, true);
  Lines(true, true);
  Lines(true, false);  // data falls while the clock is high: a start
  Lines(false, false);
  EXPECT_TRUE(Write(0x98));
  EXPECT_TRUE(Write(0x07));
  Stop();
  EXPECT_EQ(device_.log, (Log{"start write", "start write", "write 7", "stop"}));
}

TEST_F(SmbusWireSlaveTest, DataRisingWhileTheClockIsHighMidByteIsAStop) {
  Start();
  ASSERT_TRUE(Write(0x98));
  Bit(false);
  Lines(false, false);
  Lines(true, false);
  Lines(true, true);  // a stop where a bit should be
  EXPECT_EQ(device_.log, (Log{"start write", "stop"}));
  Start();
  EXPECT_TRUE(Write(0x98)) << "the engine takes the next transfer as usual";
}

TEST_F(SmbusWireSlaveTest, AMissingStopIsCoveredByTheNextStart) {
  Start();
  ASSERT_TRUE(Write(0x98));
  ASSERT_TRUE(Write(0x01));
  Lines(false, true);
  Lines(true, true);  // the master just lets the bus go
  Start();
  EXPECT_TRUE(Write(0x99));
  EXPECT_EQ(Read(false), 0xA5);
  Stop();
  EXPECT_EQ(device_.log, (Log{"start write", "write 1", "start read", "read", "stop"}));
}

TEST_F(SmbusWireSlaveTest, IdleClockPulsesAndBothLinesFallingTogetherMakeNoStart) {
  // The idle sequence some masters send before a start: both lines low in
  // one write, data high, then both high.
  Lines(false, false);
  Lines(false, true);
  Lines(true, true);
  Bit(true);
  EXPECT_TRUE(device_.log.empty());
  Start();
  EXPECT_TRUE(Write(0x98));
  Stop();
  EXPECT_EQ(device_.log, (Log{"start write", "stop"}));
}

}  // namespace
