// SCL and SDA as the engine reads them back, for the search's diagnosis of a
// silent bus: released after PreStart, pulled low after StartBit.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "comport/KORComPort.h"
#include "platform/Current.h"
#include "sim/Machine.h"
#include "sim/Process.h"

namespace {

using comport::kFalse;
using comport::kTrue;
using Levels = comport::SMBusProtocall::LineLevels;

struct Case {
  const char* name;
  const char* options;
  comport::Boolean dataInverted;
  Levels released;
  Levels pulled;
};

class LineLevels : public ::testing::TestWithParam<Case> {
 protected:
  void Start(const std::string& options) {
    machine_ = sim::Machine::Create(sim::MachineOptions::Parse("clock=manual," + options));
    platform::StartProcess(machine_->StartProcess("test"));
    comPort_ = std::make_unique<comport::KORComPort>();
  }
  void TearDown() override { comPort_.reset(); }
  comport::SMBusProtocall& Protocall() { return *comPort_->PrinterPort()->SMBusProtocall(); }

  std::shared_ptr<sim::Machine> machine_;
  std::unique_ptr<comport::KORComPort> comPort_;
};

void ExpectLevels(const std::optional<Levels>& read, const Levels& expected, const char* when) {
  ASSERT_TRUE(read) << when;
  EXPECT_EQ(read->sclHigh, expected.sclHigh) << when;
  EXPECT_EQ(read->sdaHigh, expected.sdaHigh) << when;
}

TEST_P(LineLevels, ReleasedAndPulledAsTheWiringReadsThem) {
  Start(GetParam().options);
  Protocall().DataInverted(GetParam().dataInverted);
  Protocall().PreStart();
  ExpectLevels(Protocall().ReadLineLevels(), GetParam().released, "released");
  Protocall().StartBit();
  ExpectLevels(Protocall().ReadLineLevels(), GetParam().pulled, "pulled");
  Protocall().StopBit();
  ExpectLevels(Protocall().ReadLineLevels(), GetParam().released, "after the stop");
}

INSTANTIATE_TEST_SUITE_P(
    Buses, LineLevels,
    ::testing::Values(Case{"InvertingAdapter", "", kTrue, {true, true}, {false, false}},
                      Case{"DirectAdapter", "wiring=direct", kFalse, {true, true}, {false, false}},
                      // Outputs and read-backs are both inverted, so the other
                      // table sees the lines follow too: levels cannot tell the
                      // wiring, only an acknowledge can.
                      Case{"InvertingAdapterReadAsDirect", "", kFalse, {true, true}, {false, false}},
                      Case{"SdaHeldLow", "hold=sda", kTrue, {true, false}, {false, false}},
                      Case{"SclHeldLow", "hold=scl", kTrue, {false, true}, {false, false}},
                      Case{"NoPullUps", "no-pullups", kTrue, {false, false}, {false, false}},
                      // An open status register reads 0x7F whatever is driven.
                      Case{"NothingAttached", "board-port=0", kTrue, {false, false}, {false, false}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(LineLevels, NothingIsReadWithoutAPortOrAClaim) {
  Start("ports=0");
  EXPECT_FALSE(Protocall().ReadLineLevels());
  Start("personality=xp,claimed-by-other=1");
  EXPECT_FALSE(Protocall().ReadLineLevels());
}

}  // namespace
