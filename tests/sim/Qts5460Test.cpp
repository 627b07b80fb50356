// The chip model at byte level on a driven clock.
#include "sim/Qts5460.h"

#include <gtest/gtest.h>

#include "sim/Clock.h"
#include "sim/Qts5460Registers.h"
#include "sim/SmbusAlert.h"
#include "sim/SmbusBus.h"

namespace {

using namespace sim::qts5460;

constexpr std::uint64_t kMs = 1'000'000;
constexpr std::uint64_t kConversion = sim::Qts5460::kConversionNanoseconds;

class Qts5460Test : public ::testing::Test {
 protected:
  Qts5460Test() : chip_(clock_, Constant(40.0)) {}

  static sim::TemperatureScenario Constant(double celsius) {
    sim::TemperatureScenario scenario;
    scenario.kind = sim::TemperatureScenario::Kind::Constant;
    scenario.low = celsius;
    return scenario;
  }

  bool Busy() { return (chip_.ReadRegister(kStatus) & kStatusBusy) != 0; }

  // Lets the conversion that runs at power-on finish and waits a little.
  void PastFirstConversion() { clock_.Advance(kConversion + kMs); }

  sim::Clock clock_{sim::Clock::Mode::Manual};
  sim::Qts5460 chip_;
};

TEST_F(Qts5460Test, PowerOnValuesMatchTheDataSheet) {
  EXPECT_EQ(chip_.ReadRegister(0x03), 0x00);
  EXPECT_EQ(chip_.ReadRegister(0x04), 0x07);
  EXPECT_EQ(chip_.ReadRegister(0x05), 85);
  EXPECT_EQ(chip_.ReadRegister(0x06), 0);
  EXPECT_EQ(chip_.ReadRegister(0x07), 85);
  EXPECT_EQ(chip_.ReadRegister(0x08), 0);
  for (std::uint8_t code : {0x11, 0x12, 0x13, 0x14}) EXPECT_EQ(chip_.ReadRegister(code), 0) << int(code);
  EXPECT_EQ(chip_.ReadRegister(0xFE), 0x41);
}

TEST_F(Qts5460Test, WritesGoToWriteCodesAndUnknownCodesReadAllOnes) {
  chip_.WriteRegister(0x0B, 70);
  chip_.WriteRegister(0x0E, 5);
  chip_.WriteRegister(0x13, 0xA0);
  chip_.WriteRegister(0x05, 10);  // a read code: no effect
  chip_.WriteRegister(0x20, 10);
  EXPECT_EQ(chip_.ReadRegister(0x05), 70);
  EXPECT_EQ(chip_.ReadRegister(0x08), 5);
  EXPECT_EQ(chip_.ReadRegister(0x13), 0xA0);
  for (std::uint8_t code : {0x09, 0x0F, 0x15, 0x20, 0xFD}) EXPECT_EQ(chip_.ReadRegister(code), 0xFF) << int(code);
  chip_.WriteRegister(0x09, 0xFF);
  EXPECT_EQ(chip_.ReadRegister(0x03), kConfigAlertMask | kConfigStandby);
}

TEST_F(Qts5460Test, PoweredEarlierReadsAFinishedConversionAtOnce) {
  chip_.SetRemoteTemperature(95);
  chip_.PoweredEarlier();
  EXPECT_EQ(chip_.ReadRegister(kRemoteTemperature), 95);
  EXPECT_FALSE(Busy());
  EXPECT_TRUE(chip_.AlertAsserted()) << "95 C is above the power-on high limit";
  // The next conversion comes one period (8 per second) later.
  clock_.Advance(125 * kMs - 1);
  EXPECT_FALSE(Busy());
  clock_.Advance(1);
  EXPECT_TRUE(Busy());
}

class ConversionRateTest : public Qts5460Test, public ::testing::WithParamInterface<int> {};

TEST_P(ConversionRateTest, ConversionsStartOncePerPeriodOfTheProgrammedRate) {
  const int code = GetParam();
  const std::uint64_t period = 16'000 * kMs >> code;
  PastFirstConversion();
  ASSERT_FALSE(Busy());

  chip_.WriteRegister(kConversionRateWrite, static_cast<std::uint8_t>(code));
  const std::uint64_t start = clock_.Now();
  EXPECT_TRUE(Busy());  // a new rate starts a conversion at once
  chip_.SetRemoteTemperature(50.0);
  clock_.Advance(kConversion - 1);
  EXPECT_TRUE(Busy());
  EXPECT_EQ(chip_.ReadRegister(kRemoteTemperature), 40);
  clock_.Advance(1);
  EXPECT_FALSE(Busy());
  EXPECT_EQ(chip_.ReadRegister(kRemoteTemperature), 50);

  chip_.SetRemoteTemperature(60.0);
  clock_.Advance(start + period - 1 - clock_.Now());
  EXPECT_FALSE(Busy());
  clock_.Advance(1);
  EXPECT_TRUE(Busy());
  clock_.Advance(kConversion);
  EXPECT_EQ(chip_.ReadRegister(kRemoteTemperature), 60);
  clock_.Advance(period - kConversion);
  EXPECT_TRUE(Busy());  // the third one, on time
}

INSTANTIATE_TEST_SUITE_P(EveryRate, ConversionRateTest, ::testing::Range(0, 8));

// Codes above 7 keep the fastest rate: eight conversions a second, none
// in between. In ascending order, so that a shorter period is seen before a
// code whose period would round to nothing.
TEST_F(Qts5460Test, RateCodesAboveTheFastestConvertAtTheFastestRate) {
  constexpr std::uint64_t kFastestPeriod = 125 * kMs;
  for (const int code : {8, 9, 34, 0xFF}) {
    PastFirstConversion();
    chip_.WriteRegister(kConversionRateWrite, static_cast<std::uint8_t>(code));
    ASSERT_EQ(chip_.ReadRegister(kConversionRateRead), code);
    clock_.Advance(kConversion);
    // Any shorter period would have started a conversion by now.
    clock_.Advance(kFastestPeriod / 2 + 7 * kMs - kConversion);
    ASSERT_FALSE(Busy()) << "code " << code;
    clock_.Advance(kFastestPeriod / 2 - 7 * kMs - 1);
    ASSERT_FALSE(Busy()) << "code " << code;
    clock_.Advance(1);
    ASSERT_TRUE(Busy()) << "code " << code;
    clock_.Advance(kConversion);
  }
}

// A measurement equal to its limit is within it: only one degree beyond
// raises the flag and ALERT.
struct LimitRow {
  const char* name;
  double local, remote;
  std::uint8_t flags;
};

void PrintTo(const LimitRow& row, std::ostream* out) { *out << row.name; }

class LimitEdgeTest : public Qts5460Test, public ::testing::WithParamInterface<LimitRow> {};

TEST_P(LimitEdgeTest, OnlyAMeasurementBeyondALimitFlagsIt) {
  chip_.WriteRegister(kLocalLowWrite, 20);
  chip_.WriteRegister(kRemoteLowWrite, 20);
  chip_.SetLocalTemperature(GetParam().local);
  chip_.SetRemoteTemperature(GetParam().remote);
  clock_.Advance(125 * kMs + kConversion);
  EXPECT_EQ(chip_.ReadRegister(kStatus) & kStatusAlertFlags, GetParam().flags);
  EXPECT_EQ(chip_.AlertAsserted(), GetParam().flags != 0);
}

INSTANTIATE_TEST_SUITE_P(
    AtAndBeyond, LimitEdgeTest,
    ::testing::Values(LimitRow{"BothAtTheirLimits", 85, 85, 0}, LimitRow{"BothAtTheirLowLimits", 20, 20, 0},
                      LimitRow{"LocalAbove", 86, 85, kStatusLocalHigh},
                      LimitRow{"RemoteAbove", 85, 86, kStatusRemoteHigh},
                      LimitRow{"LocalBelow", 19, 20, kStatusLocalLow},
                      LimitRow{"RemoteBelow", 20, 19, kStatusRemoteLow}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Qts5460Test, StandbyStopsConversionsAndOneShotRunsExactlyOne) {
  PastFirstConversion();
  chip_.WriteRegister(kConfigurationWrite, kConfigStandby);
  chip_.SetRemoteTemperature(55.0);
  clock_.Advance(10'000 * kMs);
  EXPECT_FALSE(Busy());
  EXPECT_EQ(chip_.ReadRegister(kRemoteTemperature), 40);

  chip_.WriteRegister(kOneShot, 0xFF);
  EXPECT_TRUE(Busy());
  clock_.Advance(kConversion);
  EXPECT_FALSE(Busy());
  EXPECT_EQ(chip_.ReadRegister(kRemoteTemperature), 55);

  chip_.SetRemoteTemperature(65.0);
  clock_.Advance(10'000 * kMs);
  EXPECT_EQ(chip_.ReadRegister(kRemoteTemperature), 55);

  chip_.WriteRegister(kConfigurationWrite, 0x00);  // leaving standby converts at once
  clock_.Advance(kConversion);
  EXPECT_EQ(chip_.ReadRegister(kRemoteTemperature), 65);
}

TEST_F(Qts5460Test, OneShotOutsideStandbyChangesNothing) {
  PastFirstConversion();
  chip_.WriteRegister(kOneShot, 0xFF);
  EXPECT_FALSE(Busy());
}

TEST_F(Qts5460Test, LimitFlagsLatchAndClearOnAReadOnceTheConditionHasGone) {
  chip_.SetRemoteTemperature(86.0);
  chip_.SetLocalTemperature(-3.0);  // reads as 0, not below a low limit of 0
  PastFirstConversion();
  EXPECT_EQ(chip_.ReadRegister(kStatus), kStatusRemoteHigh);
  EXPECT_EQ(chip_.ReadRegister(kStatus), kStatusRemoteHigh) << "the condition is still there";

  chip_.SetRemoteTemperature(50.0);
  chip_.WriteRegister(kLocalLowWrite, 20);
  clock_.Advance(125 * kMs);
  EXPECT_EQ(chip_.ReadRegister(kStatus), kStatusRemoteHigh | kStatusLocalLow);
  EXPECT_EQ(chip_.ReadRegister(kStatus), kStatusLocalLow);

  chip_.SetLocalTemperature(25.0);
  chip_.WriteRegister(kLocalHighWrite, 24);
  clock_.Advance(125 * kMs);
  EXPECT_EQ(chip_.ReadRegister(kStatus) & ~kStatusBusy, kStatusLocalLow | kStatusLocalHigh);
  EXPECT_EQ(chip_.ReadRegister(kStatus) & ~kStatusBusy, kStatusLocalHigh);
}

TEST_F(Qts5460Test, RemoteLimitsCompareInEighthsWithTheirLowBytes) {
  chip_.WriteRegister(kRemoteLowWrite, 40);
  chip_.WriteRegister(kRemoteLowLimitLow, 0x80);  // 40.5
  chip_.SetRemoteTemperature(40.375);
  clock_.Advance(125 * kMs + kConversion);
  EXPECT_EQ(chip_.ReadRegister(kStatus) & kStatusRemoteLow, kStatusRemoteLow);

  chip_.SetRemoteTemperature(40.5);
  chip_.WriteRegister(kRemoteHighWrite, 40);
  chip_.WriteRegister(kRemoteHighLimitLow, 0x60);  // 40.375
  clock_.Advance(125 * kMs);
  chip_.ReadRegister(kStatus);  // clears the old low flag
  EXPECT_EQ(chip_.ReadRegister(kStatus) & ~kStatusBusy, kStatusRemoteHigh);
}

TEST_F(Qts5460Test, OpenDiodeReadsTheTopOfTheRangeAndFlagsIt) {
  chip_.SetDiodeOpen(true);
  PastFirstConversion();
  EXPECT_EQ(chip_.ReadRegister(kRemoteTemperature), 127);
  EXPECT_EQ(chip_.ReadRegister(kStatus), kStatusRemoteOpen | kStatusRemoteHigh);
  EXPECT_TRUE(chip_.AlertAsserted());
}

TEST_F(Qts5460Test, AlertFollowsTheLatchedFlagsUnlessMasked) {
  PastFirstConversion();
  EXPECT_FALSE(chip_.AlertAsserted());
  chip_.SetRemoteTemperature(90.0);
  clock_.Advance(125 * kMs);
  EXPECT_TRUE(chip_.AlertAsserted());
  chip_.WriteRegister(kConfigurationWrite, kConfigAlertMask);
  EXPECT_FALSE(chip_.AlertAsserted());
  chip_.WriteRegister(kConfigurationWrite, 0x00);
  EXPECT_TRUE(chip_.AlertAsserted());

  chip_.SetRemoteTemperature(50.0);
  clock_.Advance(125 * kMs);
  EXPECT_TRUE(chip_.AlertAsserted()) << "latched until the status is read";
  chip_.ReadRegister(kStatus);
  EXPECT_FALSE(chip_.AlertAsserted());
}

TEST_F(Qts5460Test, AlertResponseAnswersWithTheAddressAndReleasesUntilTheNextViolation) {
  sim::SmbusBus bus;
  sim::AlertResponder alerts;
  bus.Attach(0x4C, chip_);
  bus.Attach(sim::AlertResponder::kAddress, alerts);
  alerts.Add(0x4C, chip_);

  EXPECT_FALSE(bus.Start(0x0C, true)) << "nobody alerts yet";
  bus.Stop();

  chip_.SetRemoteTemperature(90.0);
  PastFirstConversion();
  EXPECT_FALSE(bus.Start(0x0C, false)) << "only a receive byte is answered";
  ASSERT_TRUE(bus.Start(0x0C, true));
  EXPECT_EQ(bus.ReadByte(), 0x98);
  bus.Stop();
  EXPECT_FALSE(alerts.AlertLine());
  EXPECT_EQ(chip_.ReadRegister(kStatus) & kStatusRemoteHigh, kStatusRemoteHigh) << "the flag stays";

  clock_.Advance(125 * kMs);  // still too hot: the next conversion raises ALERT again
  EXPECT_TRUE(alerts.AlertLine());
}

TEST_F(Qts5460Test, ReadingTheHighByteLatchesTheMatchingLowByte) {
  chip_.SetRemoteTemperature(50.25);
  chip_.SetLocalTemperature(25.125);
  PastFirstConversion();
  EXPECT_EQ(chip_.ReadRegister(kRemoteTemperature), 50);
  EXPECT_EQ(chip_.ReadRegister(kLocalTemperature), 25);

  chip_.SetRemoteTemperature(60.75);
  chip_.SetLocalTemperature(26.875);
  clock_.Advance(125 * kMs);
  EXPECT_EQ(chip_.ReadRegister(kRemoteTemperatureLow), 0x40) << "the half read before the conversion";
  EXPECT_EQ(chip_.ReadRegister(kLocalTemperatureLow), 0x20);
  EXPECT_EQ(chip_.ReadRegister(kRemoteTemperatureLow), 0xC0) << "the latch is gone once read";
  EXPECT_EQ(chip_.ReadRegister(kLocalTemperatureLow), 0xE0);
}

TEST_F(Qts5460Test, RemoteOffsetIsAddedAndTheResultClamped) {
  chip_.WriteRegister(kRemoteOffsetHigh, 0xFE);  // -2
  chip_.WriteRegister(kRemoteOffsetLow, 0x60);   // +0.375
  chip_.SetRemoteTemperature(50.0);
  PastFirstConversion();
  clock_.Advance(125 * kMs);
  EXPECT_EQ(chip_.ReadRegister(kRemoteTemperature), 48);
  EXPECT_EQ(chip_.ReadRegister(kRemoteTemperatureLow), 0x60);

  chip_.SetRemoteTemperature(1.0);
  clock_.Advance(125 * kMs);
  EXPECT_EQ(chip_.ReadRegister(kRemoteTemperature), 0);
  EXPECT_EQ(chip_.ReadRegister(kRemoteTemperatureLow), 0x00);

  chip_.WriteRegister(kRemoteOffsetHigh, 0x7F);
  chip_.SetRemoteTemperature(200.0);
  clock_.Advance(125 * kMs);
  EXPECT_EQ(chip_.ReadRegister(kRemoteTemperature), 255);
}

TEST(TemperatureScenarioTest, DefaultCycleCrossesTheDefaultLimits) {
  const sim::TemperatureScenario cycle;
  double lowest = 1000, highest = -1000;
  for (std::uint64_t s = 0; s < 240; ++s) {
    const double t = cycle.RemoteAt(s * 1'000'000'000ull);
    lowest = std::min(lowest, t);
    highest = std::max(highest, t);
  }
  EXPECT_LT(lowest, 35.0);
  EXPECT_GT(highest, 85.0);
  EXPECT_LE(highest, 100.0);
}

TEST(TemperatureScenarioTest, ParsesEveryKindAndRefusesNonsense) {
  const auto step = sim::TemperatureScenario::Parse("step:30:95.5:10");
  EXPECT_EQ(step.RemoteAt(9'999'999'999ull), 30.0);
  EXPECT_EQ(step.RemoteAt(10'000'000'000ull), 95.5);
  EXPECT_EQ(sim::TemperatureScenario::Parse("constant:42").RemoteAt(123), 42.0);
  EXPECT_TRUE(sim::TemperatureScenario::Parse("open").DiodeOpen());
  for (const char* bad : {"", "constant", "constant:x", "step:1:2", "hot", "cycle:3"})
    EXPECT_THROW(sim::TemperatureScenario::Parse(bad), std::invalid_argument) << bad;
}

}  // namespace
