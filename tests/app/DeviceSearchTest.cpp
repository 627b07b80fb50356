// The device search against the virtual PC.
#include <gtest/gtest.h>

#include <vector>

#include "comport/KORComPort.h"
#include "platform/Current.h"
#include "search/DeviceSearch.h"
#include "sim/Machine.h"
#include "sim/MachineOptions.h"
#include "sim/Process.h"

namespace {

using devicesearch::Media;

class DeviceSearch : public testing::Test {
 protected:
  void StartMachine(const std::string& options) {
    auto machineOptions = sim::MachineOptions::Parse("clock=manual," + options);
    // The on-board controller's waits give up after a second of the
    // machine's time; a long step per message pump keeps that short.
    machineOptions.pumpNanoseconds = 1'000'000;
    machine_ = sim::Machine::Create(machineOptions);
    platform::StartProcess(machine_->StartProcess("search"));
    comPort_ = std::make_unique<comport::KORComPort>();
  }
  void TearDown() override { comPort_.reset(); }

  std::shared_ptr<sim::Machine> machine_;
  std::unique_ptr<comport::KORComPort> comPort_;
};

TEST_F(DeviceSearch, FindsTheBoardOnTheFirstPortWithInvertedLines) {
  StartMachine("");
  std::vector<int> steps;
  const auto finds = devicesearch::SearchDevices(*comPort_, Media{true, false, false},
                                                 [&steps](int step) { steps.push_back(step); });
  ASSERT_EQ(finds.printerPort.size(), 1u);
  EXPECT_EQ(finds.printerPort[0].address, 0x98);
  EXPECT_EQ(finds.printerPort[0].portIndex, 0);
  EXPECT_EQ(finds.printerPort[0].inverted, comport::kTrue);
  EXPECT_EQ(finds.printerPort[0].portAddress, 0x378);
  EXPECT_TRUE(finds.onBoard.empty());
  // One advance per port; the search leaves the last port selected, inverted.
  EXPECT_EQ(steps, (std::vector<int>{8, 8}));
  EXPECT_EQ(comPort_->PrinterPort()->PortAddressIndex(), 1);
  EXPECT_EQ(comPort_->PrinterPort()->SMBusProtocall()->DataInverted(), comport::kTrue);
}

TEST_F(DeviceSearch, DirectWiringAndAnotherPortAndAddress) {
  StartMachine("ports=3,board-port=3,wiring=direct,chip-address=0x1A");
  const auto finds = devicesearch::SearchDevices(*comPort_, Media{true, false, false});
  ASSERT_EQ(finds.printerPort.size(), 1u);
  EXPECT_EQ(finds.printerPort[0].address, 0x34);
  EXPECT_EQ(finds.printerPort[0].portIndex, 2);
  EXPECT_EQ(finds.printerPort[0].inverted, comport::kFalse);
  EXPECT_EQ(finds.printerPort[0].portAddress, 0x3BC);
}

TEST_F(DeviceSearch, AChipOutsideTheCandidatesIsNotFound) {
  StartMachine("chip-address=0x4F");
  EXPECT_TRUE(devicesearch::SearchDevices(*comPort_, Media{true, false, false}).Empty());
}

TEST_F(DeviceSearch, MoreThanNinePrinterPortFindsKeepTheirOrder) {
  StartMachine("ports=3,board-port=1+3,chip-address=0x18+0x19+0x1A+0x29+0x4E");
  const auto finds = devicesearch::SearchDevices(*comPort_, Media{true, false, false});
  ASSERT_EQ(finds.printerPort.size(), 10u);
  const std::vector<std::uint8_t> addresses{0x30, 0x32, 0x34, 0x52, 0x9C};
  for (std::size_t i = 0; i < finds.printerPort.size(); ++i) {
    EXPECT_EQ(finds.printerPort[i].address, addresses[i % 5]) << i;
    EXPECT_EQ(finds.printerPort[i].portIndex, i < 5 ? 0 : 2) << i;
  }
}

// Probes that fail do not end the search: each finds nothing, is recorded,
// and what was found before stays.
TEST_F(DeviceSearch, FailingProbesFindNothingAndTheSearchGoesOn) {
  StartMachine("smbus=none");
  Media media{true, true, false};
  // A base where no controller answers: every word read gives 0xFFFF, which
  // the component's read refuses as an overflow.
  media.onBoardHost = devicesearch::HostForSearch(devicesearch::DiscoveredHost(*comPort_->SMBus()), 0x5000);
  std::vector<int> steps;
  const auto finds = devicesearch::SearchDevices(*comPort_, media, [&steps](int step) { steps.push_back(step); });
  ASSERT_EQ(finds.printerPort.size(), 1u);
  EXPECT_TRUE(finds.onBoard.empty());
  ASSERT_EQ(finds.failures.size(), 9u);
  EXPECT_TRUE(finds.failures[0].onBoard);
  EXPECT_EQ(finds.failures[0].address, 0x18);
  EXPECT_EQ(finds.failures[0].error, "Overflow (error 6)");
  EXPECT_EQ(steps.size(), 2u + 10u);
  ASSERT_TRUE(finds.onBoardHost);
  EXPECT_TRUE(finds.onBoardHost->typed);
  EXPECT_EQ(comPort_->SMBus()->SMBusBaseAddress(), 0x5000);
}

TEST_F(DeviceSearch, LostArbitrationIsRecordedAgainstItsProbe) {
  StartMachine("hold=sda,ports=1");
  comPort_->PrinterPort()->SMBusProtocall()->ArbitrationOn(comport::kTrue);
  comPort_->PrinterPort()->SMBusProtocall()->MaxArbitrationDenials(1);
  const auto finds = devicesearch::SearchDevices(*comPort_, Media{true, false, false});
  EXPECT_TRUE(finds.printerPort.empty());
  ASSERT_EQ(finds.failures.size(), 18u);
  EXPECT_FALSE(finds.failures[0].onBoard);
  EXPECT_EQ(finds.failures[17].address, 0x9C);
  EXPECT_NE(finds.failures[0].error.find("Arbitration Error"), std::string::npos) << finds.failures[0].error;
  EXPECT_NE(finds.failures[0].error.find("(error 2)"), std::string::npos);
}

TEST_F(DeviceSearch, ATypedBaseReachesAControllerDiscoveryPassedBy) {
  StartMachine("smbus=ich5");
  const auto discovered = devicesearch::DiscoveredHost(*comPort_->SMBus());
  EXPECT_EQ(discovered.deviceId, 0);
  Media media{false, true, false};
  EXPECT_TRUE(devicesearch::SearchDevices(*comPort_, media).onBoard.empty());
  media.onBoardHost = devicesearch::HostForSearch(discovered, 0x400);
  const auto finds = devicesearch::SearchDevices(*comPort_, media);
  EXPECT_EQ(finds.onBoard, std::vector<std::uint8_t>{0x4E});
  EXPECT_TRUE(finds.failures.empty());
  // A later search with the box cleared goes back to what discovery found.
  media.onBoardHost = devicesearch::HostForSearch(discovered, 0);
  EXPECT_TRUE(devicesearch::SearchDevices(*comPort_, media).onBoard.empty());
  EXPECT_EQ(comPort_->SMBus()->SMBusBaseAddress(), 0);
}

TEST(OnBoardHost, TheTypedBaseIsUsedWhenDiscoveryDidNotFindIt) {
  const devicesearch::OnBoardHost piix4{0x71138086, 0x5000, false};
  const devicesearch::OnBoardHost none{};
  struct Row {
    devicesearch::OnBoardHost discovered;
    std::int32_t typed;
    devicesearch::OnBoardHost expected;
  };
  for (const Row& row : {Row{piix4, 0, piix4}, Row{piix4, 0x5000, piix4},
                         Row{piix4, 0x6000, {devicesearch::kIntelLayoutId, 0x6000, true}}, Row{none, 0, none},
                         Row{none, 0x400, {devicesearch::kIntelLayoutId, 0x400, true}},
                         // A controller whose base was never set (0) is not "found at" a typed 0.
                         Row{{0x24438086, 0, false}, 0xEFA0, {devicesearch::kIntelLayoutId, 0xEFA0, true}}}) {
    const auto host = devicesearch::HostForSearch(row.discovered, row.typed);
    EXPECT_EQ(host.deviceId, row.expected.deviceId) << row.typed;
    EXPECT_EQ(host.baseAddress, row.expected.baseAddress) << row.typed;
    EXPECT_EQ(host.typed, row.expected.typed) << row.typed;
  }
}

TEST(OnBoardHost, TypedTextIsReadAsHexadecimalDigits) {
  using devicesearch::ReadTypedBase;
  EXPECT_EQ(ReadTypedBase("5000"), 0x5000);
  EXPECT_EQ(ReadTypedBase(" efa0 "), 0xEFA0);
  EXPECT_EQ(ReadTypedBase("&H400"), 0x400);
  EXPECT_EQ(ReadTypedBase("0x400"), 0x400);
  EXPECT_EQ(ReadTypedBase("FFFF"), 0xFFFF);
  EXPECT_EQ(ReadTypedBase("000"), 0);
  EXPECT_EQ(ReadTypedBase(""), 0);
  for (const char* refused : {"10000", "50G0", "-5", "&H", "0x", "5000h", "1234567890123456789012345", "&O17"})
    EXPECT_EQ(ReadTypedBase(refused), std::nullopt) << refused;
}

TEST_F(DeviceSearch, ProgressCoversEveryCheckedMedium) {
  StartMachine("ports=0,smbus=none");
  const Media all{true, true, true};
  EXPECT_EQ(devicesearch::ProgressMaximum(all), 99);
  EXPECT_EQ(devicesearch::ProgressMaximum(Media{true, false, false}), 33);
  std::vector<int> steps;
  const auto finds = devicesearch::SearchDevices(*comPort_, all, [&steps](int step) { steps.push_back(step); });
  // No printer port: that pass neither probes nor advances; the other two
  // advance once per slot, the empty tenth included.
  EXPECT_EQ(steps, std::vector<int>(20, 3));
  EXPECT_TRUE(finds.Empty());
  EXPECT_TRUE(finds.failures.empty());
}

}  // namespace
