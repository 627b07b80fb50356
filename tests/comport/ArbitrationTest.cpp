// Line read-back checks, the retry policy and the arbitration error.
#include <gtest/gtest.h>

#include "Lines.h"
#include "ScriptedSlave.h"
#include "VirtualPc.h"
#include "comport/CommonGlobals.h"
#include "comport/PrinterPort.h"

namespace comport {
namespace {

using testing::PortEvent;
using Kind = PortEvent::Kind;

struct Report {
  std::int16_t number;
  std::string text;
};

class Arbitration : public ::testing::Test {
 protected:
  explicit Arbitration(const std::string& options = "personality=xp,clock=manual") : pc_(options) {
    pc_.Attach(slave_);
    protocall_->DataInverted(kTrue);
    protocall_->ArbitrationOn(kTrue);
    protocall_->SMBusProtocallError().Subscribe([this](std::int16_t number, const std::string& text) {
      reports_.push_back({number, text});
    });
    pc_.Log().clear();
  }

  testing::VirtualPc pc_;
  testing::ScriptedSlave slave_{true};
  PrinterPort port_;
  std::shared_ptr<SMBusProtocall> protocall_ = port_.SMBusProtocall();
  std::vector<Report> reports_;
};

TEST_F(Arbitration, AFreeBusPassesEveryCheck) {
  slave_.replies = {0x42};
  EXPECT_EQ(protocall_->PortRead(0x98, 0x05), 0x42);
  EXPECT_TRUE(reports_.empty());
  EXPECT_EQ(slave_.Received(), (std::vector<std::uint8_t>{0x98, 0x05, 0x99}));
}

TEST_F(Arbitration, SdaHeldLowRetriesThenReportsErrorTwo) {
  slave_.holdSdaLow = true;
  protocall_->PortWrite(0x98, 0x01, 0x02);
  ASSERT_EQ(reports_.size(), 1u);
  EXPECT_EQ(reports_[0].number, 2);
  EXPECT_EQ(reports_[0].text,
            "Arbitration Error, another device is using the SMBus. 20 communication attempts were interrupted");
  // 21 attempts, each ending at the first check of the start condition.
  EXPECT_EQ(pc_.Count(Kind::In), 21);
  // Every retry re-claims; the give-up leaves the bus idle and the port free.
  EXPECT_EQ(pc_.Count(Kind::Claim), pc_.Count(Kind::Release));
  EXPECT_EQ(pc_.Machine().Arbiter().Holder(1), 0u);
  EXPECT_EQ(pc_.Writes(0x378).back(), testing::Lines("H", true).front());
}

TEST_F(Arbitration, AnUnsubscribedHandlerHearsNothing) {
  int heard = 0;
  const auto subscription =
      protocall_->SMBusProtocallError().Subscribe([&](std::int16_t, const std::string&) { ++heard; });
  protocall_->SMBusProtocallError().Unsubscribe(subscription);
  slave_.holdSdaLow = true;
  protocall_->MaxArbitrationDenials(0);
  protocall_->ShortRead(0x98);
  EXPECT_EQ(heard, 0);
  EXPECT_EQ(reports_.size(), 1u);
}

// The give-up's clean-up happens before the event: a handler that throws or
// is empty cannot leave the bus driven, the retry count set or the port held.
TEST_F(Arbitration, TheCleanUpComesBeforeTheEventWhateverTheHandlerDoes) {
  struct Seen {
    std::int16_t busError, retryCount;
    std::uint32_t holder;
    std::uint8_t lines;
  };
  std::vector<Seen> seen;
  protocall_->SMBusProtocallError().Subscribe(nullptr);
  protocall_->SMBusProtocallError().Subscribe([&](std::int16_t, const std::string&) {
    const auto& engine = CommonGlobals::State().Engine;
    seen.push_back({engine.BusError, engine.RetryCount, pc_.Machine().Arbiter().Holder(1), pc_.Writes(0x378).back()});
    throw std::runtime_error("handler failed");
  });
  slave_.holdSdaLow = true;
  protocall_->MaxArbitrationDenials(2);
  EXPECT_THROW(protocall_->PortWrite(0x98, 0x01, 0x02), std::runtime_error);
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].busError, kFalse);
  EXPECT_EQ(seen[0].retryCount, 0);
  EXPECT_EQ(seen[0].holder, 0u);
  EXPECT_EQ(seen[0].lines, testing::Lines("H", true).front());
  EXPECT_EQ(reports_.size(), 1u);  // the handler before the empty one heard it
}

TEST_F(Arbitration, TheRetryCountFollowsMaxArbitrationDenials) {
  slave_.holdSdaLow = true;
  protocall_->MaxArbitrationDenials(3);
  EXPECT_EQ(protocall_->PortRead(0x98, 0x01), 0);
  ASSERT_EQ(reports_.size(), 1u);
  EXPECT_NE(reports_[0].text.find(". 3 communication"), std::string::npos);
  EXPECT_EQ(pc_.Count(Kind::In), 4);

  // Nothing of the failure carries over into the next transaction.
  slave_.holdSdaLow = false;
  reports_.clear();
  slave_.replies = {0x24};
  EXPECT_EQ(protocall_->PortRead(0x98, 0x01), 0x24);
  EXPECT_TRUE(reports_.empty());
}

TEST_F(Arbitration, AHeldClockIsAConflictToo) {
  slave_.holdSclLow = true;
  protocall_->MaxArbitrationDenials(1);
  protocall_->ShortWrite(0x98, 0x00);
  ASSERT_EQ(reports_.size(), 1u);
  EXPECT_EQ(reports_[0].number, 2);
}

TEST_F(Arbitration, ARetryEndsALock) {
  slave_.holdSdaLow = true;
  protocall_->MaxArbitrationDenials(1);
  port_.LockPortOpen(kTrue);
  protocall_->PortWrite(0x98, 0x01, 0x02);
  EXPECT_EQ(port_.LockPortOpen(), kFalse);
  EXPECT_EQ(pc_.Machine().Arbiter().Holder(1), 0u);
}

TEST_F(Arbitration, BlockReadAndEepromGiveUpWithoutKeepingThePort) {
  slave_.holdSdaLow = true;
  protocall_->MaxArbitrationDenials(2);
  protocall_->BlockRead(0, 0);
  ASSERT_EQ(reports_.size(), 1u);
  EXPECT_EQ(reports_[0].number, 1);
  EXPECT_EQ(reports_[0].text, "The byte count read did not equal 32");
  port_.EEPROM()->WriteByte(0, 0, 0);
  protocall_->BlockWrite(1, Variant({0, 0, 0, 9}));
  EXPECT_EQ(reports_.size(), 1u);
  EXPECT_EQ(pc_.Machine().Arbiter().Holder(1), 0u);
}

// The back-off waits on the millisecond clock; across its wrap it must last
// exactly as long as anywhere else.
double BackOffSeconds(const std::string& options, std::uint32_t startTick) {
  testing::VirtualPc pc(options);
  pc.Clock().SetStartTickCount(startTick);
  testing::ScriptedSlave slave(true);
  slave.holdSdaLow = true;
  pc.Attach(slave);
  SMBusProtocall protocall;
  protocall.ArbitrationOn(kTrue);
  const double start = pc.Seconds();
  protocall.ShortWrite(0x98, 0);
  return pc.Seconds() - start;
}

TEST(BackOff, LastsAsLongAcrossTheTickCountWrap) {
  const double normal = BackOffSeconds("clock=manual", 1000);
  const double wrapping = BackOffSeconds("clock=manual", 0xFFFFFFFFu - 30);
  EXPECT_GT(normal, 0.010);  // 20 back-offs of 0 to 9 ms, not all zero
  EXPECT_LT(normal, 20 * 0.0095);
  EXPECT_NEAR(wrapping, normal, 0.002);
}

}  // namespace
}  // namespace comport
