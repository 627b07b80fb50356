// Bytes through the bus against a scripted device, for both adapter wirings.
#include <gtest/gtest.h>

#include <numeric>

#include "ScriptedSlave.h"
#include "VirtualPc.h"
#include "comport/CommunicationsProcedures.h"
#include "comport/PrinterPort.h"

namespace comport {
namespace {

using Bytes = std::vector<std::uint8_t>;

class Transfer : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    pc_.Attach(slave_);
    port_.DataInverted(ToBoolean(GetParam()));
    protocall_->ArbitrationOn(kTrue);  // a wiring mistake would show as a conflict
    protocall_->SMBusProtocallError().Subscribe(
        [this](std::int16_t number, const std::string&) { errors_.push_back(number); });
  }

  testing::VirtualPc pc_{"personality=xp,clock=manual"};
  testing::ScriptedSlave slave_{GetParam()};
  PrinterPort port_;
  std::shared_ptr<SMBusProtocall> protocall_ = port_.SMBusProtocall();
  std::vector<std::int16_t> errors_;
};

TEST_P(Transfer, ByteReadAndWriteReachTheDevice) {
  slave_.replies = {0xA5, 0x3C};
  EXPECT_EQ(protocall_->PortRead(0x98, 0x01), 0xA5);
  protocall_->RepeatedStart(kTrue);
  EXPECT_EQ(protocall_->PortRead(0x98, 0x02), 0x3C);
  protocall_->PortWrite(0x98, 0x09, 0x80);
  EXPECT_EQ(slave_.Received(), (Bytes{0x98, 0x01, 0x99, 0x98, 0x02, 0x99, 0x98, 0x09, 0x80}));
  EXPECT_EQ(slave_.Starts(), 5);
  EXPECT_TRUE(errors_.empty());
}

TEST_P(Transfer, ReadDataFollowsTheWiringAndTheVideoInput) {
  slave_.replies = {0x6E};
  EXPECT_EQ(protocall_->ShortRead(0x98), 0x6E);
  slave_.dataOnBit3 = true;
  protocall_->ArbitrationOn(kFalse);  // bit 4 no longer shows SDA
  protocall_->VideoSoftware(kTrue);
  slave_.replies = {0x5B};
  EXPECT_EQ(protocall_->ShortRead(0x98), 0x5B);
}

TEST_P(Transfer, WordsGoHighByteFirst) {
  slave_.replies = {0x12, 0x34};
  EXPECT_EQ(protocall_->ReadWord(0x98, 0x07), 4660.0f);
  protocall_->WriteWord(0x98, 0x07, 4660.4f);
  EXPECT_EQ(slave_.Received(), (Bytes{0x98, 0x07, 0x99, 0x98, 0x07, 0x12, 0x34}));
}

TEST_P(Transfer, BlockReadWithPacketErrorChecking) {
  Bytes data(32);
  std::iota(data.begin(), data.end(), std::uint8_t{0x40});
  Bytes transfer{0x98, 0xA1, 0x99, 32};
  transfer.insert(transfer.end(), data.begin(), data.end());
  const std::uint8_t pec = CommunicationsProcedures::ComputePEC(transfer);
  slave_.replies = {32};
  slave_.replies.insert(slave_.replies.end(), data.begin(), data.end());
  slave_.replies.push_back(pec);
  port_.DeviceAddress(0x99);
  protocall_->UsePEC(kTrue);

  EXPECT_TRUE(protocall_->BlockRead(0, 0).IsEmpty());
  const Variant blockData = protocall_->GetBlockReadData();
  const auto& block = blockData.Array();
  ASSERT_EQ(block.size(), 34u);
  EXPECT_EQ(block[0], 0x99);
  EXPECT_EQ(block[1], 32);
  for (std::size_t i = 0; i < 32; ++i) EXPECT_EQ(block[i + 2], data[i]);
  EXPECT_EQ(protocall_->PECOK(), kTrue);
  EXPECT_EQ(protocall_->FinalPEC(), pec);
  EXPECT_TRUE(errors_.empty());
}

TEST_P(Transfer, BlockReadOfAWrongCountReportsErrorOneAndReadsNoData) {
  slave_.replies = {31, 1, 2, 3};
  port_.DeviceAddress(0x98);
  pc_.Log().clear();
  protocall_->BlockRead(0, 0);
  EXPECT_EQ(errors_, std::vector<std::int16_t>{1});
  EXPECT_EQ(protocall_->GetBlockReadData().Array()[2], 0);
  EXPECT_EQ(pc_.Machine().Arbiter().Holder(1), 0u);
}

TEST_P(Transfer, BlockWriteWithPacketErrorChecking) {
  port_.DeviceAddress(0x98);
  protocall_->UsePEC(kTrue);
  protocall_->BlockWrite(2, Variant({1, 2, 3, 0x11, 0x22, 0x33}));
  const Bytes sent{0x98, 0xA0, 0x02, 0x11, 0x22};
  Bytes expected = sent;
  expected.push_back(CommunicationsProcedures::ComputePEC(sent));
  EXPECT_EQ(slave_.Received(), expected);
  EXPECT_EQ(protocall_->FinalPEC(), expected.back());
  EXPECT_EQ(protocall_->PECOK(), kTrue);  // the device acknowledged the checksum
}

TEST_P(Transfer, EepromOperations) {
  auto eeprom = port_.EEPROM();
  port_.DataInverted(ToBoolean(GetParam()));
  port_.DeviceAddress(0xA0);
  slave_.replies = {0x77};
  EXPECT_EQ(eeprom->ReadByte(0x01, 0x20), 0x77);
  eeprom->WriteByte(0x01, 0x21, 0x55);
  eeprom->SetAddress(0x02, 0x00);
  eeprom->SetEEPROMAddress(0x03, 0x10);
  EXPECT_EQ(eeprom->PageErase(0x30, 0x04, 0x00), kFalse);
  port_.DeviceAddress(0xA2);
  eeprom->SingleCommand(0x50, 0x30);
  EXPECT_EQ(slave_.Received(), (Bytes{0xA0, 0x01, 0x20, 0xA1, 0xA0, 0x01, 0x21, 0x55, 0xA0, 0x02,
                                      0x00, 0xA0, 0x03, 0x10, 0xA0, 0x30, 0x04, 0x00, 0xA2, 0x30}));
  EXPECT_EQ(pc_.Machine().Arbiter().Holder(1), 0u);
}

INSTANTIATE_TEST_SUITE_P(Wirings, Transfer, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Inverted" : "Direct"; });

TEST(ReadData, SamplesComplementOnlyWithTheInvertingAdapter) {
  testing::VirtualPc pc;  // nothing attached: status bit 4 reads set
  SMBusProtocall protocall;
  protocall.DataInverted(kTrue);
  EXPECT_EQ(protocall.ReadData(), 0);
  protocall.DataInverted(kFalse);
  EXPECT_EQ(protocall.ReadData(), 255);
}

}  // namespace
}  // namespace comport
