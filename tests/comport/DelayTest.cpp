// Bit and frame delays, the long acknowledge clock and WaitAck on a driven
// clock, including waits across midnight.
#include <gtest/gtest.h>

#include "Lines.h"
#include "ScriptedSlave.h"
#include "VirtualPc.h"
#include "comport/EEPROM.h"
#include "comport/SMBusProtocall.h"
#include "platform/Current.h"

namespace comport {
namespace {

using testing::PortEvent;
using Kind = PortEvent::Kind;

class Delays : public ::testing::Test {
 protected:
  double Time(const std::function<void()>& action) {
    const double start = pc_.Seconds();
    action();
    return pc_.Seconds() - start;
  }

  testing::VirtualPc pc_{"clock=manual"};
  SMBusProtocall protocall_;
};

TEST_F(Delays, TheBitDelayRunsOnTheTimer) {
  const double without = Time([&] { protocall_.StartBit(); });
  protocall_.Delay(0.25f);
  const double with = Time([&] { protocall_.StartBit(); });
  EXPECT_GE(with - without, 0.5);  // two bit delays in a start condition
  EXPECT_LT(with - without, 0.5 + 0.001);
  protocall_.Delay(-1);
  EXPECT_NEAR(Time([&] { protocall_.StartBit(); }), without, 1e-5);
}

TEST_F(Delays, CountedDelaysPumpMessages) {
  int pumped = 0;
  platform::Current().SetMessagePump([&] { ++pumped; });
  protocall_.RelativeDelayOn(kTrue);
  protocall_.Delay(3);
  protocall_.StartBit();
  EXPECT_EQ(pumped, 6);
  pumped = 0;
  protocall_.Delay(0.5f);  // a started count always pumps once
  protocall_.StopBit();
  EXPECT_EQ(pumped, 2);
}

TEST_F(Delays, FrameDelayIsClampedAndFollowsATransaction) {
  protocall_.FrameDelay(-1);
  EXPECT_EQ(protocall_.FrameDelay(), 0);
  protocall_.FrameDelay(1e12f);
  EXPECT_EQ(protocall_.FrameDelay(), 1e10f);
  protocall_.FrameDelay(0);
  const double without = Time([&] { protocall_.PortWrite(0x98, 1, 2); });
  protocall_.FrameDelay(0.1f);
  EXPECT_NEAR(Time([&] { protocall_.PortWrite(0x98, 1, 2); }) - without, 0.1, 0.001);
}

TEST_F(Delays, EepromFrameDelayIsStoredUnclampedInTheSharedSetting) {
  EEPROM eeprom;
  eeprom.FrameDelay(-2);
  EXPECT_EQ(eeprom.FrameDelay(), -2);
  EXPECT_EQ(protocall_.FrameDelay(), -2);
  eeprom.RelativeDelayOn(kTrue);
  EXPECT_EQ(protocall_.RelativeDelayOn(), kTrue);
}

TEST_F(Delays, AFrameDelayAcrossMidnightLastsItsLength) {
  pc_.Clock().SetStartTimeOfDay(86400 - 0.05);
  protocall_.FrameDelay(0.2f);
  const double elapsed = Time([&] { protocall_.PortWrite(0x98, 1, 2); });
  EXPECT_GE(elapsed, 0.2);
  EXPECT_LT(elapsed, 0.21);
}

TEST_F(Delays, TheLongAcknowledgeClockHoldsATenthOfASecond) {
  protocall_.BlockWriteWaitAck(kTrue);
  const double elapsed = Time([&] { protocall_.BlockWrite(2, Variant({0, 0, 0, 1, 2})); });
  EXPECT_GE(elapsed, 0.2);
  EXPECT_LT(elapsed, 0.21);
}

TEST_F(Delays, WaitAckTimesOutHavingReleasedSdaOnly) {
  protocall_.DataInverted(kFalse);
  pc_.Clock().SetStartTimeOfDay(86400 - 0.5);  // the wait spans midnight
  pc_.Log().clear();
  Boolean result = kTrue;
  const double elapsed = Time([&] { result = protocall_.WaitAck(1); });
  EXPECT_EQ(result, kFalse);
  EXPECT_GT(elapsed, 1.0);
  EXPECT_LT(elapsed, 1.001);
  EXPECT_EQ(pc_.Writes(0x378), testing::Lines("D", false));
}

TEST(WaitAck, AnAcknowledgeGivesOneClockPulse) {
  for (bool inverted : {false, true}) {
    testing::VirtualPc pc("personality=xp,clock=manual");
    testing::ScriptedSlave slave(inverted);
    pc.Attach(slave);
    SMBusProtocall protocall;
    protocall.DataInverted(ToBoolean(inverted));
    slave.holdSdaLow = true;  // a device acknowledging
    pc.Log().clear();
    EXPECT_EQ(protocall.WaitAck(1), kTrue) << inverted;
    const auto& log = pc.Log();
    EXPECT_EQ(log.front().kind, Kind::Claim);
    EXPECT_EQ(log.back().kind, Kind::Release);
    EXPECT_EQ(pc.Writes(0x378), testing::Lines("DHL", inverted));
  }
}

}  // namespace
}  // namespace comport
