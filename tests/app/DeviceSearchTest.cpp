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
    machine_ = sim::Machine::Create(sim::MachineOptions::Parse("clock=manual," + options));
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
}

}  // namespace
