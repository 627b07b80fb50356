// The component's transactions against the simulated evaluation board, in
// every adapter wiring: what a program reaches through the printer port.
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <vector>

#include "comport/KORComPort.h"
#include "platform/Current.h"
#include "sim/Machine.h"
#include "sim/Process.h"
#include "sim/Qts5460Registers.h"

namespace {

using namespace sim::qts5460;
using comport::kFalse;
using comport::kTrue;

constexpr std::uint8_t kChipByte = 0x98;   // 0x4C shifted left
constexpr std::uint8_t kEepromByte = 0xA0;  // 0x50 shifted left
constexpr std::uint8_t kBlockDeviceAddress = 0x30;
constexpr std::uint8_t kBlockDeviceByte = 0x60;
constexpr std::uint8_t kBlockRead = 0xA1;
constexpr std::uint8_t kBlockWrite = 0xA0;

// CRC-8 with polynomial 0x07, as the bus's packet error code, computed here
// independently of the component.
std::uint8_t Crc8(const std::vector<std::uint8_t>& bytes) {
  std::uint8_t crc = 0;
  for (std::uint8_t byte : bytes) {
    crc ^= byte;
    for (int bit = 0; bit < 8; ++bit) crc = static_cast<std::uint8_t>(crc & 0x80 ? (crc << 1) ^ 0x07 : crc << 1);
  }
  return crc;
}

// A device that speaks the word and 32-byte block transfers the chip does
// not: words per command code, high byte first; block read 0xA1 answers the
// count 32, the data and the checksum of the whole transfer; block write
// 0xA0 keeps what it received.
class WordBlockDevice : public sim::SmbusDevice {
 public:
  bool Start(bool read) override {
    reading_ = read;
    readIndex_ = 0;
    if (!read) received_.clear();
    return true;
  }
  bool WriteByte(std::uint8_t value) override {
    received_.push_back(value);
    return true;
  }
  std::uint8_t ReadByte() override {
    const std::uint8_t command = received_.empty() ? 0 : received_[0];
    const std::size_t index = readIndex_++;
    if (command == kBlockRead) {
      if (index == 0) return 32;
      if (index <= 32) return block[index - 1];
      std::vector<std::uint8_t> transfer{kBlockDeviceByte, kBlockRead, kBlockDeviceByte | 1, 32};
      transfer.insert(transfer.end(), block.begin(), block.end());
      return static_cast<std::uint8_t>(Crc8(transfer) ^ corruptChecksum);
    }
    const std::uint16_t word = words[command];
    return static_cast<std::uint8_t>(index == 0 ? word >> 8 : word);
  }
  void Stop() override {
    if (reading_ || received_.empty()) return;
    if (received_[0] == kBlockWrite)
      lastBlockWrite = received_;
    else if (received_.size() == 3)
      words[received_[0]] = static_cast<std::uint16_t>(received_[1] << 8 | received_[2]);
  }

  std::map<std::uint8_t, std::uint16_t> words;
  std::vector<std::uint8_t> block = std::vector<std::uint8_t>(32);
  std::vector<std::uint8_t> lastBlockWrite;
  std::uint8_t corruptChecksum = 0;

 private:
  bool reading_ = false;
  std::size_t readIndex_ = 0;
  std::vector<std::uint8_t> received_;
};

struct Wiring {
  const char* name;
  comport::Boolean dataInverted;
  comport::Boolean videoSoftware;
};

class OnTheBoard : public ::testing::TestWithParam<Wiring> {
 protected:
  void SetUp() override {
    machine_ = sim::Machine::Create(sim::MachineOptions::Parse(std::string("clock=manual,power-on,wiring=") + GetParam().name));
    platform::StartProcess(machine_->StartProcess("test"));
    comPort_ = std::make_unique<comport::KORComPort>();
    Protocall().DataInverted(GetParam().dataInverted);
    Protocall().VideoSoftware(GetParam().videoSoftware);
  }
  void TearDown() override { comPort_.reset(); }

  comport::SMBusProtocall& Protocall() { return *comPort_->PrinterPort()->SMBusProtocall(); }
  sim::Qts5460& Chip() { return machine_->Board()->Chip(); }
  void Convert() { machine_->GetClock().Advance(sim::Qts5460::kConversionNanoseconds * 2); }

  std::shared_ptr<sim::Machine> machine_;
  std::unique_ptr<comport::KORComPort> comPort_;
};

TEST_P(OnTheBoard, EveryStoredRegisterTakesAWriteAndReadsItBack) {
  std::uint8_t value = 0x11;
  for (const auto& reg : kStoredRegisters) {
    // Configuration keeps only its two defined bits; rate codes above 7 are stored as written.
    const std::uint8_t written = reg.readCode == kConfigurationRead ? kConfigAlertMask : value;
    Protocall().PortWrite(kChipByte, reg.writeCode, written);
    EXPECT_EQ(Protocall().PortRead(kChipByte, reg.readCode), written) << "register " << int(reg.readCode);
    value = static_cast<std::uint8_t>(value + 0x13);
  }
}

TEST_P(OnTheBoard, MeasurementsIdentityAndFlagsReadAsTheChipHoldsThem) {
  Chip().SetLocalTemperature(25.125);
  Chip().SetRemoteTemperature(91.5);
  Convert();
  EXPECT_EQ(Protocall().PortRead(kChipByte, kLocalTemperature), 25);
  EXPECT_EQ(Protocall().PortRead(kChipByte, kLocalTemperatureLow), 0x20);
  EXPECT_EQ(Protocall().PortRead(kChipByte, kRemoteTemperature), 91);
  EXPECT_EQ(Protocall().PortRead(kChipByte, kRemoteTemperatureLow), 0x80);
  EXPECT_EQ(Protocall().PortRead(kChipByte, kManufacturerId), kManufacturerIdValue);
  EXPECT_EQ(Protocall().PortRead(kChipByte, kDieRevision), kDieRevisionValue);
  EXPECT_EQ(Protocall().PortRead(kChipByte, kStatus) & kStatusAlertFlags, kStatusRemoteHigh);
  EXPECT_EQ(Protocall().PortRead(kChipByte, 0x30), 0xFF);  // no such register
}

TEST_P(OnTheBoard, RepeatedStartReadsTheSameRegister) {
  Protocall().RepeatedStart(kTrue);
  Protocall().PortWrite(kChipByte, kLocalLowWrite, 0x2A);
  EXPECT_EQ(Protocall().PortRead(kChipByte, kLocalLowRead), 0x2A);
}

TEST_P(OnTheBoard, SendAndReceiveByteUseTheChipsPointer) {
  Protocall().ShortWrite(kChipByte, kManufacturerId);
  EXPECT_EQ(Protocall().ShortRead(kChipByte), kManufacturerIdValue);
}

TEST_P(OnTheBoard, WordsGoHighByteFirst) {
  WordBlockDevice device;
  machine_->Board()->Bus().Attach(kBlockDeviceAddress, device);
  Protocall().WriteWord(kBlockDeviceByte, 0x05, 4660.0f);
  EXPECT_EQ(device.words[0x05], 0x1234);
  device.words[0x06] = 0xBEEF;
  EXPECT_EQ(Protocall().ReadWord(kBlockDeviceByte, 0x06), 48879.0f);
}

TEST_P(OnTheBoard, BlockReadBringsThirtyTwoBytesAndChecksTheirChecksum) {
  WordBlockDevice device;
  machine_->Board()->Bus().Attach(kBlockDeviceAddress, device);
  for (std::size_t i = 0; i < 32; ++i) device.block[i] = static_cast<std::uint8_t>(0xC0 + i * 3);
  Protocall().DeviceAddress(kBlockDeviceByte);
  Protocall().UsePEC(kTrue);
  std::vector<std::int16_t> errors;
  Protocall().SMBusProtocallError().Subscribe([&](std::int16_t number, const std::string&) { errors.push_back(number); });

  EXPECT_TRUE(Protocall().BlockRead(0, 0).IsEmpty());
  const auto data = Protocall().GetBlockReadData().Array();
  ASSERT_EQ(data.size(), 34u);
  EXPECT_EQ(data[1], 32);
  for (std::size_t i = 0; i < 32; ++i) EXPECT_EQ(data[i + 2], device.block[i]) << i;
  EXPECT_EQ(Protocall().PECOK(), kTrue);
  EXPECT_TRUE(errors.empty());

  device.corruptChecksum = 0x01;
  Protocall().BlockRead(0, 0);
  EXPECT_EQ(Protocall().PECOK(), kFalse);
}

TEST_P(OnTheBoard, BlockWriteSendsCountPayloadAndTheChecksumOfWhatWasSent) {
  WordBlockDevice device;
  machine_->Board()->Bus().Attach(kBlockDeviceAddress, device);
  Protocall().DeviceAddress(kBlockDeviceByte | 1);  // the write phase clears the read bit
  Protocall().UsePEC(kTrue);
  Protocall().BlockWrite(3, comport::Variant({9, 9, 9, 0x11, 0x22, 0x33}));

  std::vector<std::uint8_t> sent{kBlockDeviceByte, kBlockWrite, 3, 0x11, 0x22, 0x33};
  const std::uint8_t checksum = Crc8(sent);
  EXPECT_EQ(device.lastBlockWrite, (std::vector<std::uint8_t>{kBlockWrite, 3, 0x11, 0x22, 0x33, checksum}));
  EXPECT_EQ(Protocall().PECOK(), kTrue);
}

TEST_P(OnTheBoard, EepromTakesAByteAtASixteenBitAddressAndGivesItBack) {
  comPort_->PrinterPort()->DeviceAddress(kEepromByte);
  auto eeprom = comPort_->PrinterPort()->EEPROM();
  Protocall().DataInverted(GetParam().dataInverted);  // creating the EEPROM loaded the inverting patterns
  eeprom->WriteByte(0x01, 0x20, 0x5A);
  eeprom->WriteByte(0x1F, 0xFF, 0xA5);
  EXPECT_EQ(eeprom->ReadByte(0x01, 0x20), 0x5A);
  EXPECT_EQ(eeprom->ReadByte(0x1F, 0xFF), 0xA5);
  EXPECT_EQ(machine_->Board()->Eeprom().At(0x0120), 0x5A);
}

TEST_P(OnTheBoard, AlertResponseNamesTheAlertingChipAndReleasesAlert) {
  Chip().SetRemoteTemperature(120);
  Convert();
  ASSERT_TRUE(Chip().AlertAsserted());
  Protocall().PreStart();
  Protocall().StartBit();
  Protocall().WriteData(25.0f);
  Protocall().Ack();
  const float answer = Protocall().ReadData();
  Protocall().NAck();
  Protocall().StopBit();
  EXPECT_EQ(answer, static_cast<float>(kChipByte));
  EXPECT_FALSE(Chip().AlertAsserted());
}

TEST_P(OnTheBoard, AbsentDeviceCompletesAndReadsTheUndrivenLine) {
  std::vector<std::int16_t> errors;
  Protocall().SMBusProtocallError().Subscribe([&](std::int16_t number, const std::string&) { errors.push_back(number); });
  Protocall().PortWrite(0x90, kConfigurationWrite, 0x40);
  EXPECT_EQ(Protocall().PortRead(0x90, kManufacturerId), 0xFF);
  EXPECT_TRUE(errors.empty());
  EXPECT_EQ(Protocall().PortRead(kChipByte, kConfigurationRead), 0x00);  // the chip was not touched
}

INSTANTIATE_TEST_SUITE_P(Wirings, OnTheBoard,
                         ::testing::Values(Wiring{"inverted", kTrue, kFalse}, Wiring{"direct", kFalse, kFalse},
                                           Wiring{"status3", kTrue, kTrue}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
