// Port discovery, selection, and the claims and releases around accesses.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "VirtualPc.h"
#include "comport/KORComPort.h"

namespace comport {
namespace {

using testing::PortEvent;
using Kind = PortEvent::Kind;

PortEvent Claim(std::uint16_t port = 1) { return {Kind::Claim, port, 0}; }
PortEvent Release(std::uint16_t port = 1) { return {Kind::Release, port, 0}; }
PortEvent Out(std::uint16_t address, std::uint8_t value) { return {Kind::Out, address, value}; }
PortEvent In(std::uint16_t address, std::uint8_t value) { return {Kind::In, address, value}; }

class NtPort : public ::testing::Test {
 protected:
  testing::VirtualPc pc_{"personality=xp,clock=manual"};
  PrinterPort port_;
};

TEST_F(NtPort, EveryRegisterAccessIsClaimedAndReleased) {
  port_.DataPort()->Value(0x5A);
  EXPECT_EQ(pc_.Log(), (std::vector{Claim(), Out(0x378, 0x5A), Release()}));
  pc_.Log().clear();
  EXPECT_EQ(port_.StatusPort()->Value(), 0x7F);  // nothing attached
  EXPECT_EQ(pc_.Log(), (std::vector{Claim(), In(0x379, 0x7F), Release()}));
}

TEST_F(NtPort, ALockHoldsTheClaimBetweenAccesses) {
  port_.LockPortOpen(kTrue);
  EXPECT_EQ(port_.LockPortOpen(), kTrue);
  port_.StatusPort()->Value();
  port_.SMBusProtocall()->PortWrite(0x98, 0x01, 0x02);
  port_.LockPortOpen(kFalse);
  const auto& log = pc_.Log();
  EXPECT_EQ(log.front(), Claim());
  EXPECT_EQ(log[1], In(0x379, 0x7F));
  EXPECT_EQ(log.back(), Release());
  EXPECT_EQ(pc_.Count(Kind::Claim), 1);
  EXPECT_EQ(pc_.Count(Kind::Release), 1);
  EXPECT_EQ(pc_.Machine().Arbiter().Holder(1), 0u);
}

TEST_F(NtPort, TheControlRegisterReclaimsAndEndsALock) {
  port_.LockPortOpen(kTrue);
  pc_.Log().clear();
  port_.ControlPort()->Value(0x04);
  EXPECT_EQ(pc_.Log(), (std::vector{Release(), Claim(), Out(0x37A, 0x04), Release()}));
  EXPECT_EQ(port_.LockPortOpen(), kFalse);
}

TEST_F(NtPort, ATransactionIsOneClaim) {
  port_.SMBusProtocall()->PortRead(0x98, 0x00);
  const auto& log = pc_.Log();
  EXPECT_EQ(log.front(), Claim());
  EXPECT_EQ(log.back(), Release());
  EXPECT_EQ(pc_.Count(Kind::Claim), 1);
  EXPECT_EQ(pc_.Count(Kind::Release), 1);
}

TEST_F(NtPort, PortinWithoutAClaimReadsZeroAndTouchesNothing) {
  EXPECT_EQ(port_.SMBusProtocall()->Portin(0x379), 0);
  EXPECT_TRUE(pc_.Log().empty());
  port_.SMBusProtocall()->Portout(0x37A, 0x08);
  EXPECT_EQ(pc_.Log(), (std::vector{Claim(), Out(0x37A, 0x08), Release()}));
}

TEST_F(NtPort, SelectionByIndexAndByAddress) {
  EXPECT_EQ(port_.PrinterPortsDetected(), 2);
  EXPECT_EQ(port_.PortAddress(), 0x378);
  port_.PortAddressIndex(1);
  EXPECT_EQ(port_.PortAddress(), 0x278);
  port_.PortAddressIndex(2);
  EXPECT_EQ(port_.PortAddressIndex(), 2);
  EXPECT_EQ(port_.PortAddress(), 0x278);

  port_.PortAddressIndex(1);
  port_.PortAddress(0x378);
  EXPECT_EQ(port_.PortAddressIndex(), 0);
  port_.PortAddress(0x3BC);  // no such port here
  EXPECT_EQ(port_.PortAddressIndex(), 0);
  EXPECT_EQ(port_.PortAddress(), 0x378);

  port_.SMBusProtocall()->PortAddress(0x278);
  EXPECT_EQ(port_.PortAddressIndex(), 1);
  pc_.Log().clear();
  port_.DataPort()->Value(1);
  EXPECT_EQ(pc_.Log(), (std::vector{Claim(2), Out(0x278, 1), Release(2)}));
}

// The builds that reach the port without a claim go straight to it; every
// other Windows claims it around each access.
TEST(PortModel, OnlyTheListedBuildsReachThePortWithoutAClaim) {
  for (const auto& [personality, claims] : std::vector<std::pair<std::string, bool>>{
           {"95", false}, {"95osr2", false}, {"98", false}, {"98se", false}, {"me", false},
           {"nt4", true}, {"2000", true}, {"xp", true}}) {
    testing::VirtualPc pc("clock=manual,personality=" + personality);
    PrinterPort port;
    port.LockPortOpen(kTrue);
    port.ControlPort()->Value(0x04);
    EXPECT_EQ(port.LockPortOpen(), claims ? kFalse : kTrue) << personality;
    port.LockPortOpen(kFalse);
    port.SMBusProtocall()->PortWrite(0x98, 0x01, 0x02);
    EXPECT_EQ(pc.Count(Kind::Claim) > 0, claims) << personality;
    EXPECT_EQ(pc.Count(Kind::Release), pc.Count(Kind::Claim)) << personality;
    EXPECT_GT(pc.Count(Kind::Out), 1) << personality;
    if (!claims) {
      EXPECT_EQ(pc.Log().front(), Out(0x37A, 0x04)) << personality;
    }
  }
}

TEST(PortModel, ARefusedClaimSkipsTheAccessSilently) {
  testing::VirtualPc pc("personality=xp,clock=manual,claimed-by-other=1");
  PrinterPort port;
  int events = 0;
  port.SMBusProtocall()->SMBusProtocallError().Subscribe([&](std::int16_t, const std::string&) { ++events; });
  port.LockPortOpen(kTrue);
  EXPECT_EQ(port.LockPortOpen(), kFalse);
  port.DataPort()->Value(1);
  EXPECT_EQ(port.StatusPort()->Value(), 0);
  port.SMBusProtocall()->ArbitrationOn(kTrue);
  EXPECT_EQ(port.SMBusProtocall()->PortRead(0x98, 0), 0);
  port.EEPROM()->WriteByte(0, 1, 2);
  EXPECT_EQ(pc.Count(Kind::In) + pc.Count(Kind::Out), 0);
  EXPECT_EQ(pc.Count(Kind::Release), 0);
  EXPECT_EQ(events, 0);
}

TEST(PortModel, WithoutPortsNothingIsAccessed) {
  testing::VirtualPc pc("personality=xp,clock=manual,ports=0");
  KORComPort com;
  auto port = com.PrinterPort();
  EXPECT_EQ(port->PrinterPortsDetected(), 0);
  port->LockPortOpen(kTrue);
  EXPECT_EQ(port->LockPortOpen(), kFalse);
  EXPECT_EQ(port->StatusPort()->Value(), 0);
  EXPECT_EQ(port->SMBusProtocall()->PortRead(0x98, 0), 0);
  EXPECT_EQ(port->SMBusProtocall()->ReadWord(0x98, 0), 0);
  EXPECT_EQ(port->EEPROM()->ReadByte(0, 0), 0);
  port->SMBusProtocall()->StartBit();
  EXPECT_EQ(port->SMBusProtocall()->WaitAck(1), kFalse);
  EXPECT_TRUE(pc.Log().empty());
}

}  // namespace
}  // namespace comport
