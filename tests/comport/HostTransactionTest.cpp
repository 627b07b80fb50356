// Transactions through the on-board host controller: register order, the
// waits, presence, and whole reads and writes of the chip on the PC's SMBus.
#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>

#include "OnBoardPc.h"
#include "comport/HardwareSMBus.h"
#include "comport/RuntimeError.h"
#include "comport/SMBus.h"
#include "comport/SMBusProtocall.h"

namespace comport {
namespace {

using sim::PortAccess;
using testing::OnBoardPc;
using Writes = std::vector<std::pair<int, std::uint32_t>>;

// The waits pump messages; on a driven clock each pump moves time on. A wait
// that never ends fails the test instead of hanging it.
// The pump stays with the process, which keeps its machine (and clock) alive.
void GuardWaits(OnBoardPc& pc, double seconds = 10) {
  const sim::Clock* clock = &pc.Machine().GetClock();
  const auto limit = clock->Now() + static_cast<std::uint64_t>(seconds * 1e9);
  platform::Current().SetMessagePump([clock, limit] {
    if (clock->Now() > limit) throw std::runtime_error("the wait did not end");
  });
}

// The last access to the controller's range.
PortAccess LastAccess(OnBoardPc& pc, int base) {
  for (auto it = pc.Accesses().rbegin(); it != pc.Accesses().rend(); ++it)
    if (it->port >= base && it->port < base + 16) return *it;
  throw std::logic_error("no access");
}

// Each register access reaches its register alone: byte reads and writes.
bool OnlyByteAccesses(OnBoardPc& pc, int base) {
  return std::all_of(pc.Accesses().begin(), pc.Accesses().end(), [base](const PortAccess& access) {
    return access.port < base || access.port >= base + 16 || access.width == 8;
  });
}

TEST(HostTransactions, Layout8086RegisterOrder) {
  OnBoardPc pc("clock=manual");
  SMBus smbus;
  GuardWaits(pc);
  pc.Accesses().clear();
  smbus.PortRead(0x4C, 0xFE);
  EXPECT_EQ(pc.Writes(0x5000), (Writes{{6, 0}, {5, 0}, {3, 0xFE}, {4, 0x99}, {0, 0x1F}, {2, 0x48}}));
  EXPECT_EQ(LastAccess(pc, 0x5000).port, 0x5006);  // the data word: data 0, then data 1 above it
  EXPECT_TRUE(OnlyByteAccesses(pc, 0x5000));

  pc.Accesses().clear();
  smbus.PortWrite(0x4C, 0x09, 0x04);
  EXPECT_EQ(pc.Writes(0x5000), (Writes{{6, 0}, {3, 0x09}, {4, 0x98}, {5, 0x04}, {0, 0x1F}, {2, 0x48}}));
  EXPECT_EQ(LastAccess(pc, 0x5000).direction, PortAccess::Direction::Out);  // no wait after the start

  pc.Accesses().clear();
  smbus.DevicePresent(0x4C);
  EXPECT_EQ(pc.Writes(0x5000), (Writes{{3, 0}, {4, 0x99}, {0, 0x1F}, {2, 0x48}}));
  EXPECT_TRUE(OnlyByteAccesses(pc, 0x5000));
}

TEST(HostTransactions, Layout10B9RegisterOrder) {
  OnBoardPc pc("clock=manual,smbus=ali");
  SMBus smbus;
  GuardWaits(pc);
  pc.Accesses().clear();
  smbus.PortRead(0x4C, 0xFE);
  EXPECT_EQ(pc.Writes(0xE800), (Writes{{0, 0xF0}, {7, 0xFE}, {3, 0x99}, {1, 0x20}, {2, 0}}));
  EXPECT_EQ(LastAccess(pc, 0xE800).port, 0xE805);
  EXPECT_TRUE(OnlyByteAccesses(pc, 0xE800));

  pc.Accesses().clear();
  smbus.PortWrite(0x4C, 0x09, 0x04);
  EXPECT_EQ(pc.Writes(0xE800), (Writes{{0, 0xF0}, {7, 0x09}, {3, 0x98}, {4, 0x04}, {1, 0x20}, {2, 0}}));
  EXPECT_EQ(LastAccess(pc, 0xE800).direction, PortAccess::Direction::Out);

  pc.Accesses().clear();
  smbus.DevicePresent(0x4C);
  EXPECT_EQ(pc.Writes(0xE800), (Writes{{0, 0xF0}, {7, 0}, {3, 0x99}, {1, 0x20}, {2, 0xFF}}));
  EXPECT_TRUE(OnlyByteAccesses(pc, 0xE800));
}

TEST(HostTransactions, ChipOnTheOnBoardSmbusReadsItsIdentityAndKeepsALimit) {
  for (const char* chipset : {"smbus=piix4", "smbus=ich", "smbus=ali"}) {
    SCOPED_TRACE(chipset);
    OnBoardPc pc(std::string("clock=manual,") + chipset);
    SMBus smbus;
    GuardWaits(pc);
    EXPECT_EQ(smbus.PortRead(0x4E, 0xFE), 0x41);
    smbus.PortWrite(0x4E, 0x0B, 0x3C);  // local high limit
    EXPECT_EQ(smbus.PortRead(0x4E, 0x05), 0x3C);
    EXPECT_EQ(pc.Machine().OnBoard().Chip().ReadRegister(0x05), 0x3C);
    // The memory modules answer too; the printer-port board's chip is not on this bus.
    EXPECT_EQ(smbus.PortRead(0x51, 2), 0x04);
    EXPECT_EQ(smbus.DevicePresent(0x4E), kTrue);
    EXPECT_EQ(smbus.DevicePresent(0x4C), kFalse);
    // An absent device leaves the data register as it was: cleared by the
    // transaction in the 0x8086 layout, the last byte read in the 0x10B9 one.
    EXPECT_EQ(smbus.PortRead(0x4E, 0xFE), 0x41);
    EXPECT_EQ(smbus.PortRead(0x4C, 0xFE), chipset == std::string("smbus=ali") ? 0x41 : 0x00);
  }
}

// A receive byte from the Alert Response Address: the alerting chip answers
// with its address byte and releases ALERT; asked again, nobody answers.
TEST(HostTransactions, ReceiveByteFromTheAlertResponseAddressReleasesAlert) {
  const struct {
    const char* chipset;
    int base;
    Writes writes;
  } cases[] = {
      {"smbus=piix4", 0x5000, {{6, 0}, {5, 0}, {4, 0x19}, {0, 0x1F}, {2, 0x44}}},
      {"smbus=ich", 0xEFA0, {{6, 0}, {5, 0}, {4, 0x19}, {0, 0x1F}, {2, 0x44}}},
      {"smbus=ali", 0xE800, {{0, 0xF0}, {4, 0}, {3, 0x19}, {1, 0x10}, {2, 0}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.chipset);
    OnBoardPc pc(std::string("clock=manual,") + c.chipset);
    SMBus smbus;
    GuardWaits(pc);
    sim::Qts5460& chip = pc.Machine().OnBoard().Chip();
    chip.SetRemoteTemperature(100);
    pc.Machine().GetClock().Advance(1'000'000'000);
    // Standby keeps a later conversion from raising ALERT again.
    smbus.PortWrite(0x4E, 0x09, 0x40);
    ASSERT_TRUE(chip.AlertAsserted());

    pc.Accesses().clear();
    EXPECT_EQ(smbus.ReceiveByte(0x0C), 0x9C);
    EXPECT_EQ(pc.Writes(c.base), c.writes);
    EXPECT_FALSE(chip.AlertAsserted());
    EXPECT_EQ(smbus.ReceiveByte(0x0C), 0);
  }
}

TEST(HostTransactions, WithoutAControllerNothingIsTouched) {
  OnBoardPc pc("smbus=none");
  SMBus smbus;
  pc.Accesses().clear();
  EXPECT_EQ(smbus.PortRead(0x4E, 0xFE), 0);
  EXPECT_EQ(smbus.ReceiveByte(0x0C), 0);
  smbus.PortWrite(0x4E, 0x0B, 0x3C);
  EXPECT_EQ(smbus.DevicePresent(0x4E), kFalse);
  EXPECT_TRUE(pc.Accesses().empty());
}

TEST(HostTransactions, ControllerThatStaysBusyCostsAboutASecondPerWaitAndTheTransactionGoesOn) {
  for (const char* chipset : {"smbus=piix4", "smbus=ali"}) {
    SCOPED_TRACE(chipset);
    OnBoardPc pc(std::string("clock=manual,smbus-busy,") + chipset);
    SMBus smbus;
    GuardWaits(pc);
    const int base = smbus.SMBusBaseAddress();
    // Time of day 1000.25: the first deadline is 1001, the second 1002.
    pc.Machine().GetClock().SetStartTimeOfDay(1000.25 - pc.Seconds());
    const double start = pc.Seconds();
    EXPECT_EQ(smbus.PortRead(0x4E, 0xFE), 0);
    EXPECT_NEAR(pc.Seconds() - start, 1.75, 0.01);
    EXPECT_EQ(pc.Writes(base).size(), chipset == std::string("smbus=ali") ? 5u : 6u);  // all of them, in between
    // A hung controller does not make a device present.
    EXPECT_EQ(smbus.DevicePresent(0x4E), kFalse);
  }
}

TEST(HostTransactions, WaitDeadlineRoundsHalfToEvenAndEndsAcrossMidnight) {
  const struct {
    double timeOfDay;
    double seconds;
  } cases[] = {{1000.5, 1.5}, {1001.5, 0.5}, {86399.7, 1.3}, {86399.4, 0.6}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.timeOfDay);
    OnBoardPc pc("clock=manual,smbus-busy");
    SMBus smbus;
    GuardWaits(pc);
    pc.Machine().GetClock().SetStartTimeOfDay(c.timeOfDay - pc.Seconds());
    const double start = pc.Seconds();
    EXPECT_FALSE(HardwareSMBus::WaitNotBusy());
    EXPECT_NEAR(pc.Seconds() - start, c.seconds, 0.001);
  }
}

TEST(HostTransactions, WaitEndsAsSoonAsTheControllerIsReady) {
  OnBoardPc pc("clock=manual");
  SMBus smbus;
  GuardWaits(pc);
  const double start = pc.Seconds();
  EXPECT_TRUE(HardwareSMBus::WaitNotBusy());
  EXPECT_LT(pc.Seconds() - start, 1e-3);
  smbus.DeviceID(0x710110B9);
  EXPECT_FALSE(HardwareSMBus::WaitIdle());  // status bit 2 never shows on this controller
  EXPECT_NEAR(pc.Seconds() - start, 1.0, 0.5);
}

// A controller whose data word does not fit a byte.
class WideDataController : public sim::PortDevice {
 public:
  explicit WideDataController(std::uint16_t data) : data_(data) {}
  std::uint8_t Read8(std::uint16_t port) override {
    const int offset = port & 0xF;
    if (offset == 5) return static_cast<std::uint8_t>(data_);
    if (offset == 6) return static_cast<std::uint8_t>(data_ >> 8);
    return 0;  // status: idle, no error
  }
  void Write8(std::uint16_t, std::uint8_t) override {}

 private:
  std::uint16_t data_;
};

TEST(HostTransactions, DataWordThatDoesNotFitAByteIsAnOverflow) {
  for (std::uint16_t word : {std::uint16_t{0x0141}, std::uint16_t{0xFF41}}) {
    OnBoardPc pc("smbus=none");
    WideDataController controller(word);
    pc.Machine().Ports().Map(0x6000, 16, controller);
    SMBus smbus;
    smbus.DeviceID(0x24438086);
    smbus.SMBusBaseAddress(0x6000);
    try {
      smbus.PortRead(0x4E, 0xFE);
      ADD_FAILURE() << "no overflow for " << word;
    } catch (const RuntimeError& error) {
      EXPECT_EQ(error.Number(), RuntimeError::kOverflow);
    }
  }
}

// The in-use semaphore of ICH-style controllers is set by the first status
// read and never cleared by the transactions; it is no error.
TEST(HostTransactions, TheInUseFlagDoesNotHideDevices) {
  OnBoardPc pc("clock=manual,smbus=ich,smbus-inuse");
  SMBus smbus;
  GuardWaits(pc);
  EXPECT_EQ(smbus.DevicePresent(0x4E), kTrue);
  EXPECT_EQ(smbus.DevicePresent(0x4E), kTrue);
  EXPECT_EQ(smbus.DevicePresent(0x2A), kFalse);
  EXPECT_EQ(smbus.PortRead(0x4E, 0xFE), 0x41);
}

TEST(HostTransactions, RefusedPortsMakeNoDevicePresent) {
  OnBoardPc pc("clock=manual,addmultiport-refused");
  SMBus smbus;
  GuardWaits(pc);
  ASSERT_EQ(smbus.SMBusBaseAddress(), 0x5000);
  EXPECT_EQ(smbus.DevicePresent(0x4E), kFalse);
  EXPECT_EQ(smbus.PortRead(0x4E, 0xFE), 0);
  EXPECT_TRUE(pc.Writes(0x5000).empty());
}

// A base a program sets can be any 32-bit number: registers past the I/O
// space (or past the largest number) cannot be opened, and nothing is sent.
TEST(HostTransactions, RegistersOutsideTheIoSpaceCannotBeOpened) {
  for (std::int32_t base : {0x10000, 2147483647 - 2, -16}) {
    SCOPED_TRACE(base);
    OnBoardPc pc("clock=manual");
    SMBus smbus;
    GuardWaits(pc);
    smbus.SMBusBaseAddress(base);
    pc.Accesses().clear();
    EXPECT_EQ(smbus.DevicePresent(0x4E), kFalse);
    EXPECT_EQ(smbus.PortRead(0x4E, 0xFE), 0);
    smbus.PortWrite(0x4E, 0x0D, 0x40);
    EXPECT_TRUE(pc.Accesses().empty());
    EXPECT_EQ(pc.Machine().OnBoard().Chip().ReadRegister(0x07), 0x55);
  }
}

TEST(HostTransactions, FrameDelayIsClampedAndSharedWithThePrinterPortEngine) {
  OnBoardPc pc;
  SMBus smbus;
  smbus.FrameDelay(-5);
  EXPECT_EQ(smbus.FrameDelay(), 0);
  smbus.FrameDelay(1e12f);
  EXPECT_EQ(smbus.FrameDelay(), 1e10f);
  smbus.FrameDelay(0.25f);
  SMBusProtocall protocall;
  EXPECT_EQ(protocall.FrameDelay(), 0.25f);
}

// The status tells a device that answered 0 from one that never answered,
// on both layouts; a write's end is waited for, a busy controller's is not
// waited for twice.
TEST(HostTransactions, LastTransactionEndNamesWhyATransferFailed) {
  for (const char* chipset : {"smbus=piix4", "smbus=ali"}) {
    SCOPED_TRACE(chipset);
    OnBoardPc pc(std::string("clock=manual,onboard-never-ack=0x50,") + chipset);
    SMBus smbus;
    GuardWaits(pc);
    EXPECT_EQ(smbus.LastTransactionEnd(), HostTransactionEnd::None);
    EXPECT_EQ(smbus.PortRead(0x4E, 0xFE), 0x41);
    EXPECT_EQ(smbus.LastTransactionEnd(), HostTransactionEnd::Completed);
    smbus.PortRead(0x50, 0x00);  // 0 on one layout, the stale 0x41 on the other
    EXPECT_EQ(smbus.LastTransactionEnd(), HostTransactionEnd::NotAcknowledged);
    smbus.PortWrite(0x2A, 0x0B, 0x10);
    EXPECT_EQ(smbus.LastTransactionEnd(), HostTransactionEnd::NotAcknowledged);
    smbus.PortWrite(0x4E, 0x0B, 0x10);
    EXPECT_EQ(smbus.LastTransactionEnd(), HostTransactionEnd::Completed);
    EXPECT_EQ(smbus.ReceiveByte(0x0C), 0);  // nobody alerts
    EXPECT_EQ(smbus.LastTransactionEnd(), HostTransactionEnd::NotAcknowledged);
  }
}

TEST(HostTransactions, LastTransactionEndOfABusyControllerCostsNoFurtherWait) {
  OnBoardPc pc("clock=manual,smbus-busy");
  SMBus smbus;
  GuardWaits(pc);
  smbus.PortRead(0x4E, 0xFE);
  const double start = pc.Seconds();
  EXPECT_EQ(smbus.LastTransactionEnd(), HostTransactionEnd::Busy);
  EXPECT_LT(pc.Seconds() - start, 1e-3);
  smbus.PortWrite(0x4E, 0x0B, 0x10);
  EXPECT_EQ(smbus.LastTransactionEnd(), HostTransactionEnd::Busy);  // waited once, for the write's end
  EXPECT_GT(pc.Seconds() - start, 0.4);
}

TEST(HostTransactions, LastTransactionEndWithoutAController) {
  OnBoardPc pc("smbus=none");
  SMBus smbus;
  smbus.PortRead(0x4E, 0xFE);
  EXPECT_EQ(smbus.LastTransactionEnd(), HostTransactionEnd::None);
}

}  // namespace
}  // namespace comport
