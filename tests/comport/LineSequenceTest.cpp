// Exact data-register writes of the primitives and transactions, for both
// adapter wirings and with a line OR mask.
#include <gtest/gtest.h>

#include "Lines.h"
#include "VirtualPc.h"
#include "comport/EEPROM.h"
#include "comport/SMBusProtocall.h"

namespace comport {
namespace {

using testing::Byte;
using testing::kAck;
using testing::kMAck;
using testing::kNAck;
using testing::kStart;
using testing::kStop;
using testing::Lines;
using testing::ReadByteLines;

constexpr std::uint16_t kData = 0x378;

struct Wiring {
  bool inverted;
  std::uint8_t mask;
};

class LineSequence : public ::testing::TestWithParam<Wiring> {
 protected:
  void SetUp() override {
    protocall_.DataInverted(ToBoolean(GetParam().inverted));
    if (GetParam().mask) protocall_.BitsToStayHigh(GetParam().mask);
    pc_.Log().clear();
  }
  std::vector<std::uint8_t> Expect(const std::string& states) {
    return Lines(states, GetParam().inverted, GetParam().mask);
  }

  testing::VirtualPc pc_{"clock=manual"};
  SMBusProtocall protocall_;
};

TEST_P(LineSequence, PrimitivesWriteTheirLineStates) {
  protocall_.StartBit();
  EXPECT_EQ(pc_.Writes(kData), Expect(kStart));
  pc_.Log().clear();
  protocall_.StopBit();
  EXPECT_EQ(pc_.Writes(kData), Expect(kStop));
  pc_.Log().clear();
  protocall_.PreStart();
  EXPECT_EQ(pc_.Writes(kData), Expect("LDDH"));
  pc_.Log().clear();
  protocall_.Ack();
  protocall_.NAck();
  protocall_.MAck();
  EXPECT_EQ(pc_.Writes(kData), Expect(kAck + kNAck + kMAck));
  pc_.Log().clear();
  protocall_.WriteData(0xA5);
  EXPECT_EQ(pc_.Writes(kData), Expect(Byte(0xA5)));
  pc_.Log().clear();
  protocall_.ReadData();
  EXPECT_EQ(pc_.Writes(kData), Expect(ReadByteLines()));
  EXPECT_EQ(pc_.Count(testing::PortEvent::Kind::In), 8);
}

TEST_P(LineSequence, PortWriteSendsAddressRegisterAndData) {
  protocall_.PortWrite(0x98, 0x09, 0x80);
  EXPECT_EQ(pc_.Writes(kData), Expect(kStart + Byte(0x98) + kAck + Byte(0x09) + kAck + Byte(0x80) + kAck + kStop));
}

TEST_P(LineSequence, PortReadWithStopBetweenTheHalves) {
  protocall_.PortRead(0x98, 0x00);
  EXPECT_EQ(pc_.Writes(kData), Expect(kStart + Byte(0x98) + kAck + Byte(0x00) + kAck + kStop + kStart + Byte(0x99) +
                                      kAck + ReadByteLines() + kNAck + kStop));
}

TEST_P(LineSequence, PortReadWithRepeatedStart) {
  protocall_.RepeatedStart(kTrue);
  protocall_.PortRead(0x98, 0x00);
  EXPECT_EQ(pc_.Writes(kData), Expect(kStart + Byte(0x98) + kAck + Byte(0x00) + kAck + "DH" + kStart + Byte(0x99) +
                                      kAck + ReadByteLines() + kNAck + kStop));
}

TEST_P(LineSequence, ShortAndWordTransactions) {
  protocall_.ShortWrite(0x98, 0x5A);
  EXPECT_EQ(pc_.Writes(kData), Expect(kStart + Byte(0x98) + kAck + Byte(0x5A) + kAck + kStop));
  pc_.Log().clear();
  protocall_.ShortRead(0x98);
  EXPECT_EQ(pc_.Writes(kData), Expect(kStart + Byte(0x99) + kAck + ReadByteLines() + kNAck + kStop));
  pc_.Log().clear();
  protocall_.WriteWord(0x98, 0x07, 4660);
  EXPECT_EQ(pc_.Writes(kData),
            Expect(kStart + Byte(0x98) + kAck + Byte(0x07) + kAck + Byte(0x12) + kAck + Byte(0x34) + kAck + kStop));
  pc_.Log().clear();
  protocall_.ReadWord(0x98, 0x07);
  EXPECT_EQ(pc_.Writes(kData), Expect(kStart + Byte(0x98) + kAck + Byte(0x07) + kAck + kStop + kStart + Byte(0x99) +
                                      kAck + ReadByteLines() + kMAck + ReadByteLines() + kNAck + kStop));
}

TEST_P(LineSequence, BlockWriteTakesThePayloadFromElementThree) {
  protocall_.DeviceAddress(0x99);  // bit 0 is cleared for the write
  protocall_.BlockWrite(2, Variant({7, 7, 7, 0x11, 0x22}));
  EXPECT_EQ(pc_.Writes(kData), Expect(std::string("LDDH") + kStart + Byte(0x98) + kAck + Byte(0xA0) + kAck +
                                      Byte(0x02) + kAck + Byte(0x11) + kAck + Byte(0x22) + kAck + kStop));
}

TEST_P(LineSequence, EepromReadByte) {
  protocall_.DeviceAddress(0xA0);
  EEPROM eeprom;
  protocall_.DataInverted(ToBoolean(GetParam().inverted));  // EEPROM construction reloaded the patterns
  pc_.Log().clear();
  eeprom.ReadByte(0x01, 0x20);
  EXPECT_EQ(pc_.Writes(kData), Expect(kStart + Byte(0xA0) + kAck + Byte(0x01) + kAck + Byte(0x20) + kAck + kStop +
                                      kStart + Byte(0xA1) + kAck + ReadByteLines() + kNAck + kStop));
}

INSTANTIATE_TEST_SUITE_P(Wirings, LineSequence,
                         ::testing::Values(Wiring{false, 0}, Wiring{true, 0}, Wiring{false, 0xF0}, Wiring{true, 0x5C}),
                         [](const auto& info) {
                           return std::string(info.param.inverted ? "Inverted" : "Direct") +
                                  (info.param.mask ? "Masked" : "");
                         });

TEST(LineTables, OtherBooleanValuesKeepTheLoadedTables) {
  testing::VirtualPc pc;
  SMBusProtocall protocall;
  protocall.DataInverted(kFalse);
  protocall.DataInverted(5);
  EXPECT_EQ(protocall.DataInverted(), 5);
  pc.Log().clear();
  protocall.StartBit();
  EXPECT_EQ(pc.Writes(kData), Lines(kStart, false));
}

// DataInverted = 1 is stored without loading tables: the engine goes on
// driving and reading the inverting adapter, so reads do not change.
TEST(LineTables, ReadDataFollowsTheLoadedTablesNotTheFlag) {
  testing::VirtualPc pc("clock=manual,board-port=1");  // the board's chip behind the inverting adapter
  SMBusProtocall protocall;
  protocall.DataInverted(kTrue);
  ASSERT_EQ(protocall.PortRead(0x98, 0xFE), 0x41);
  protocall.DataInverted(1);
  EXPECT_EQ(protocall.PortRead(0x98, 0xFE), 0x41);
  protocall.DataInverted(kFalse);
  protocall.DataInverted(1);
  EXPECT_NE(protocall.PortRead(0x98, 0xFE), 0x41);  // direct tables on an inverting adapter
}

TEST(LineTables, EepromConstructionLoadsTheInvertedPatternsUntilDataInvertedIsAssigned) {
  testing::VirtualPc pc;
  SMBusProtocall protocall;
  protocall.DataInverted(kFalse);
  EEPROM eeprom;
  EXPECT_EQ(protocall.DataInverted(), kFalse);
  pc.Log().clear();
  protocall.StartBit();
  EXPECT_EQ(pc.Writes(kData), Lines(kStart, true));
  protocall.DataInverted(kFalse);
  pc.Log().clear();
  protocall.StartBit();
  EXPECT_EQ(pc.Writes(kData), Lines(kStart, false));
}

TEST(LineTables, AFreshProtocallDrivesTheInvertingAdapterAndSaysSo) {
  testing::VirtualPc pc;
  SMBusProtocall first;
  first.DataInverted(kFalse);
  SMBusProtocall second;
  EXPECT_EQ(second.DataInverted(), kTrue);
  pc.Log().clear();
  second.StartBit();
  EXPECT_EQ(pc.Writes(kData), Lines(kStart, true));
}

TEST(LineTables, OrBitsStoresItsValueAndSetsTheMask) {
  testing::VirtualPc pc;
  SMBusProtocall protocall;
  protocall.DataInverted(kFalse);
  pc.Log().clear();
  protocall.OrBits(0xF0);
  EXPECT_EQ(protocall.OrBits(), 0xF0);
  EXPECT_EQ(protocall.BitsToStayHigh(), 0xF0);
  EXPECT_EQ(pc.Writes(kData), std::vector<std::uint8_t>{0xF3});  // the idle level with the mask
  pc.Log().clear();
  protocall.StartBit();
  EXPECT_EQ(pc.Writes(kData), (std::vector<std::uint8_t>{0xF3, 0xF1, 0xF0}));
}

}  // namespace
}  // namespace comport
